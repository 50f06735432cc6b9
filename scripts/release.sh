#!/usr/bin/env bash
# Builds what a vendor ships, optimised for size and stripped, into dist/:
#   launcher.exe (Windows x64), launcher-x86.exe (Windows x86, the pair product for 32-bit
#   runtimes), launcher (Linux x86-64), launcher.ini (every setting, explained),
#   VENDOR-GUIDE.md, one archive per platform named with the version, and SHA256SUMS.
#
#   scripts/release.sh [--build DIR] [--dist DIR] [-DLAUNCHER_ICON=app.ico
#       -DLAUNCHER_PRODUCT_NAME=... -DLAUNCHER_COMPANY=... -DLAUNCHER_COPYRIGHT=...
#       -DLAUNCHER_VERSION=1.2.3 -DLAUNCHER_BUILT_IN_SETTINGS=...]
#
# The -D options brand both Windows executables (icon group and version record of every
# language) and name the archives. Builds go to build-release/ unless --build says otherwise;
# scripts/size_report.py sums the link map each tree keeps (launcher.map) per file and section.
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
build="$source_dir/build-release"
dist="$source_dir/dist"
options=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$(realpath -m "$2")"; shift 2 ;;
    --dist) dist="$(realpath -m "$2")"; shift 2 ;;
    -D*) options+=("$1"); shift ;;
    *) echo "usage: $0 [--build DIR] [--dist DIR] [-DNAME=VALUE ...]" >&2; exit 2 ;;
  esac
done

# One tree per target, each building only the launcher.
build_target() { # folder, extra cmake arguments
  local folder="$1"
  shift
  cmake -S "$source_dir" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_EXE_LINKER_FLAGS=-s -DLAUNCHER_WINDOWS=OFF -DLAUNCHER_SANITIZED_TESTS=OFF \
    "${options[@]}" "$@" >/dev/null
  cmake --build "$folder" --target launcher
}
build_target "$build/linux"
build_target "$build/windows-x64" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake"
build_target "$build/windows-x86" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-i686.cmake"

version="$(sed -n 's/^LAUNCHER_VERSION:STRING=//p' "$build/linux/CMakeCache.txt")"
rm -rf "$dist"
mkdir -p "$dist"
cp "$build/windows-x64/launcher.exe" "$dist/launcher.exe"
cp "$build/windows-x86/launcher.exe" "$dist/launcher-x86.exe"
cp "$build/linux/launcher" "$dist/launcher"
cp "$source_dir/release/launcher.ini" "$source_dir/release/VENDOR-GUIDE.md" "$dist/"

# Archives with one top folder, the same bytes for the same inputs.
archive() { # name, format, files...
  local name="$1" format="$2"
  shift 2
  local stage="$build/stage/$name"
  rm -rf "$stage" && mkdir -p "$stage"
  for file in "$@"; do cp "$dist/$file" "$stage/"; done
  local suffix=".zip"
  local flags=cf
  [ "$format" = gnutar ] && suffix=".tar.gz" flags=czf
  (cd "$build/stage" && cmake -E tar "$flags" "$dist/$name$suffix" --format="$format" \
    --mtime=2000-01-01 "$name")
}
archive "launcher-$version-windows" zip launcher.exe launcher-x86.exe launcher.ini VENDOR-GUIDE.md
archive "launcher-$version-linux-x86_64" gnutar launcher launcher.ini VENDOR-GUIDE.md
(cd "$dist" && sha256sum launcher.exe launcher-x86.exe launcher launcher-*.zip \
  launcher-*.tar.gz > SHA256SUMS)

echo "== release $version in $dist"
for file in launcher.exe launcher-x86.exe launcher; do
  printf '%-18s %8d bytes\n' "$file" "$(stat -c %s "$dist/$file")"
done
