#!/usr/bin/env bash
# The sanitized host build: clang with AddressSanitizer and UndefinedBehaviorSanitizer, plus the
# libFuzzer targets, without the Windows cross build, in a folder of its own.
#   scripts/sanitize.sh build [folder]            configure and build (default build/sanitize)
#   scripts/sanitize.sh test [folder] [ctest args] run its tests, e.g. -L unit, -L posix, -L fuzz
# ctest of the main build calls both (labels sanitize and fuzz).
set -euo pipefail
source_dir="$(cd "$(dirname "$0")/.." && pwd)"
action="${1:-}"
folder="${2:-$source_dir/build/sanitize}"
shift $(( $# < 2 ? $# : 2 ))
case "$action" in
  build)
    cmake -S "$source_dir" -B "$folder" -G Ninja \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DLAUNCHER_SANITIZE=ON -DLAUNCHER_FUZZ=ON -DLAUNCHER_WINDOWS=OFF \
      -DLAUNCHER_SANITIZED_TESTS=OFF
    cmake --build "$folder"
    ;;
  test)
    ctest --test-dir "$folder" --output-on-failure --no-tests=error "$@"
    ;;
  *)
    echo "usage: $0 build|test [folder] [ctest arguments]" >&2
    exit 2
    ;;
esac
