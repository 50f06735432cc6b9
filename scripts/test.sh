#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test (unit tests natively and
# under Wine, end-to-end tests of both executables). Extra arguments go to ctest, e.g. -L wine.
set -euo pipefail
cd "$(dirname "$0")/.."
# Every test group's tools come first: one that cannot be installed stops the run here, named
# with the command that installs it, rather than failing its tests after the build.
if ! scripts/install-deps.sh test; then
  echo "test.sh: stopped before the build: the tests need the package(s) named above" >&2
  exit 1
fi
scripts/build.sh
# Two tests at a time: much of a test's time goes to waiting for a VM, Wine or a window. The
# tests of the Wine session take turns (a resource lock); later arguments may change -j.
ctest --test-dir build --output-on-failure -j2 "$@"
