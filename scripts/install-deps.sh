#!/usr/bin/env bash
# Installs the Debian 12 packages of the groups asked for; each group includes the ones above it:
#   demo    build and start the demo: C++ compiler, CMake, Ninja, a JDK, GTK/X11/PNG headers
#   build   both targets and the test tools: + MinGW-w64 cross compilers, GoogleTest
#   test    every test group: + 64- and 32-bit Wine, Xvfb and the X tools, clang
#   bench   the benchmarks: test + hyperfine, Google Benchmark, valgrind, Rhino, Ant
#
#   scripts/install-deps.sh [--check] [group...]      (no group: test)
#
# Nothing is asked of apt-get when all is installed. With --check nothing is installed: each
# missing package is named with the command that installs it. An index that `apt-get update`
# cannot fetch (a mirror in the middle of a sync) does not stop the install: it is fetched
# again when the packages need it, and if it stays broken its suite is set aside for this
# install so that 64- and 32-bit libraries still come in equal versions. The script ends with
# one line per package it could not install and what that package is for (exit status 1).
# INSTALL_DEPS_UPDATE_ATTEMPTS and INSTALL_DEPS_RETRY_DELAY (seconds) tune the update retries.
set -euo pipefail

# group  package  what it is for
catalog() {
  cat <<'EOF'
demo  build-essential            the C++ compiler and linker
demo  cmake                      configures the build
demo  ninja-build                runs the build
demo  pkg-config                 finds the GTK 3 headers for the build
demo  python3                    generates the message tables; runs the end-to-end tests
demo  openjdk-17-jdk-headless    javac and jni.h for the build; the Java runtime of the demo
demo  libgtk-3-dev               GTK 3 headers of the Linux windows; the libraries they load
demo  libx11-dev                 X11 headers of the Linux splash
demo  libxext-dev                X shape headers of the Linux splash
demo  libxrandr-dev              XRandR headers of the Linux splash (primary screen)
demo  libpng-dev                 libpng headers of the Linux splash
build g++-mingw-w64-x86-64-posix cross compiler of launcher.exe and the Windows tests
build g++-mingw-w64-i686-posix   cross compiler of launcher-x86.exe (release build)
build googletest                 GoogleTest sources for the Windows unit tests
build libgtest-dev               GoogleTest for the Linux unit tests
build libgmock-dev               GoogleMock for the unit tests
test  wine64                     runs launcher.exe and the Windows unit tests under Wine
test  wine                       Wine's commands (wineserver, wineboot) on the PATH
test  wine32:i386                runs launcher-x86.exe and its unit tests under 32-bit Wine
test  xvfb                       the virtual X display of the window tests
test  xdotool                    finds, focuses and answers windows in the window tests
test  x11-utils                  xwininfo, xprop and xmessage of the window tests
test  xclip                      reads the clipboard in the dialog tests
test  imagemagick                screenshots of the splash tests
test  icoutils                   wrestool, which lists launcher.exe's resources
test  xcompmgr                   the compositing manager of the splash transparency tests
test  openjdk-17-jre             the runtime's own splash library for the splash tests
test  clang                      the sanitized build and the fuzz targets
test  libclang-rt-14-dev         clang's sanitizer and libFuzzer runtimes
bench hyperfine                  times whole starts in the benchmarks
bench time                       peak memory of the benchmarked programs
bench libbenchmark-dev           Google Benchmark for the C++ benchmarks
bench valgrind                   instruction counts of the start benchmarks
bench rhino                      a real program for the class-data cache benchmark
bench ant                        a real program for the class-data cache benchmark
EOF
}

usage() {
  echo "usage: $0 [--check] [demo|build|test|bench ...]" >&2
  exit 2
}

# The catalog groups that a requested group takes in.
groups_of() {
  case "$1" in
    demo) echo demo ;;
    build) echo demo build ;;
    test) echo demo build test ;;
    bench) echo demo build test bench ;;
  esac
}

check_only=0
requested=()
for arg in "$@"; do
  case "$arg" in
    --check) check_only=1 ;;
    demo | build | test | bench) requested+=("$arg") ;;
    *) usage ;;
  esac
done
[ ${#requested[@]} -gt 0 ] || requested=(test)

declare -A wanted=() purpose=()
order=()
for group in "${requested[@]}"; do
  for g in $(groups_of "$group"); do wanted[$g]=1; done
done
while read -r group package what; do
  if [ -n "${wanted[$group]:-}" ] && [ -z "${purpose[$package]:-}" ]; then
    purpose[$package]="$what"
    order+=("$package")
  fi
done < <(catalog)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo "
as_root() {
  if [ -z "$sudo" ]; then "$@"; else sudo env DEBIAN_FRONTEND=noninteractive "$@"; fi
}
say() { echo "install-deps: $*"; }

native="$(dpkg --print-architecture)"
not_installed() { # prints the packages of "$@" that are not installed, in one dpkg-query
  local have p
  # dpkg-query fails for a package it has never seen, and still lists the others.
  have=" $({ dpkg-query -W -f='${Package}:${Architecture} ${Status}\n' "$@" 2>/dev/null || true; } |
    awk '/ install ok installed$/ { printf "%s ", $1 }')"
  for p in "$@"; do
    case "$p" in
      *:*) [[ "$have" == *" $p "* ]] || echo "$p" ;;
      *) [[ "$have" == *" $p:$native "* || "$have" == *" $p:all "* ]] || echo "$p" ;;
    esac
  done
}

# One line per missing package: what it is for, the command that installs it, apt's reason.
report_missing() { # packages...
  local p
  for p in "$@"; do
    echo "  missing $p: ${purpose[$p]}; install it with: ${sudo}apt-get install $p${reason[$p]:+ (apt: ${reason[$p]})}" >&2
  done
}

declare -A reason=()
mapfile -t missing < <(not_installed "${order[@]}")
[ ${#missing[@]} -gt 0 ] || exit 0
if [ "$check_only" -eq 1 ]; then
  echo "install-deps: ${#missing[@]} package(s) of '${requested[*]}' are not installed:" >&2
  report_missing "${missing[@]}"
  echo "install-deps: or install all of them with: ${sudo}$0 ${requested[*]}" >&2
  exit 1
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export DEBIAN_FRONTEND=noninteractive

# Architectures whose package lists the install reads: this machine's and the foreign ones
# that missing packages name (wine32:i386).
needed_archs=" $native all "
for p in "${missing[@]}"; do
  case "$p" in
    *:*)
      arch="${p##*:}"
      needed_archs+="$arch "
      if ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
        say "adding the $arch architecture for $p"
        as_root dpkg --add-architecture "$arch"
      fi
      ;;
  esac
done

# Runs apt-get update; fills failed_suites with the suites of the indexes that could not be
# fetched. Returns 0 when every index that this install reads was fetched.
failed_suites=()
update_once() {
  local log="$work/update.log" url arch needed=0
  failed_suites=()
  if as_root apt-get update >"$log" 2>&1; then
    return 0
  fi
  while read -r url; do
    failed_suites+=("$(sed -n 's#.*/dists/\([^/]*\)/.*#\1#p' <<<"$url")")
    arch="$(sed -n 's#.*/binary-\([^/]*\)/.*#\1#p' <<<"$url")"
    # An index of another architecture is not read; a failed Release file affects all.
    if [ -z "$arch" ] || [[ "$needed_archs" == *" $arch "* ]]; then needed=1; fi
  done < <(grep -o 'Failed to fetch [^ ]*' "$log" | cut -d' ' -f4)
  mapfile -t failed_suites < <(printf '%s\n' "${failed_suites[@]}" | grep . | sort -u)
  grep -E '^(E|W|Err):' "$log" | sed 's/^/  /' >&2 || true
  # A failure without a named index (no network, a lock) counts as needed.
  [ ${#failed_suites[@]} -gt 0 ] && [ "$needed" -eq 0 ]
}

attempts="${INSTALL_DEPS_UPDATE_ATTEMPTS:-2}"
delay="${INSTALL_DEPS_RETRY_DELAY:-10}"
say "installing: ${missing[*]}"
for ((attempt = 1; ; attempt++)); do
  if update_once; then
    if [ ${#failed_suites[@]} -gt 0 ]; then
      say "the failed index is of an architecture this install does not read; going on"
      failed_suites=()
    fi
    break
  fi
  if [ "$attempt" -ge "$attempts" ]; then
    say "apt-get update failed $attempt times; going on with the package lists there are"
    break
  fi
  say "apt-get update failed (attempt $attempt of $attempts); trying again in $delay s"
  sleep "$delay"
done

# apt-get install; its last error line becomes the reason of each package it was asked for.
apt_options=()
install_packages() { # packages...
  local log="$work/install.log" p
  if as_root apt-get "${apt_options[@]}" install -y -q --no-install-recommends "$@" 2>&1 |
    tee "$log"; then
    return 0
  fi
  for p in "$@"; do reason[$p]="$(grep '^E:' "$log" | tail -n 1 | sed 's/^E: //')"; done
  return 1
}

# A suite whose index is missing on one architecture would give that architecture older
# versions than the other; multi-arch libraries need equal ones, so the install takes both
# from the suites that are whole. Updates of that suite come with the next apt-get upgrade.
pin_failed_suites() {
  local prefs="$work/preferences" suite
  [ -f /etc/apt/preferences ] && cat /etc/apt/preferences >"$prefs" && echo >>"$prefs"
  for suite in "${failed_suites[@]}"; do
    printf 'Package: *\nPin: release n=%s\nPin-Priority: -1\n\n' "$suite" >>"$prefs"
  done
  apt_options=(-o "Dir::Etc::Preferences=$prefs")
  say "installing without the suites whose index failed: ${failed_suites[*]}"
}

if ! install_packages "${missing[@]}"; then
  if [ ${#failed_suites[@]} -gt 0 ]; then
    pin_failed_suites
    install_packages "${missing[@]}" || true
  fi
  # Whatever still fails is tried one package at a time, so that the rest comes in.
  mapfile -t left < <(not_installed "${missing[@]}")
  if [ ${#left[@]} -gt 1 ]; then
    for p in "${left[@]}"; do install_packages "$p" || true; done
  fi
fi

mapfile -t left < <(not_installed "${missing[@]}")
if [ ${#apt_options[@]} -gt 0 ] && [ ${#left[@]} -lt ${#missing[@]} ]; then
  say "note: installed without the updates of ${failed_suites[*]}; once its index downloads," \
    "run: ${sudo}apt-get update && ${sudo}apt-get upgrade"
fi
if [ ${#left[@]} -gt 0 ]; then
  echo "install-deps: ${#left[@]} package(s) could not be installed:" >&2
  report_missing "${left[@]}"
  exit 1
fi
say "installed ${#missing[@]} package(s)"
