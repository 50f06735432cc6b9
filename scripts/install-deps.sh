#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 (skips apt-get when all is there).
set -euo pipefail
packages=(
  build-essential cmake ninja-build python3 git
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine64 wine wine32:i386 xvfb xdotool x11-utils xclip imagemagick icoutils libgtk-3-dev
  libx11-dev libxext-dev libxrandr-dev libpng-dev xcompmgr
  pkg-config openjdk-17-jdk-headless openjdk-17-jre
  googletest libgtest-dev libgmock-dev
  clang libclang-rt-14-dev hyperfine time
  libbenchmark-dev valgrind
)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
# The 32-bit launcher runs under Debian's 32-bit Wine, an i386 package.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "adding the i386 architecture for wine32"
  $sudo dpkg --add-architecture i386
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
