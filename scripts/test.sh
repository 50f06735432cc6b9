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
# Two tests at a time unless CTEST_PARALLEL_LEVEL says otherwise (1: one at a time): the tests
# of the Wine session take turns through a resource lock while the builds and the POSIX tests
# run beside them.
export CTEST_PARALLEL_LEVEL="${CTEST_PARALLEL_LEVEL:-2}"
ctest --test-dir build --output-on-failure "$@"
