#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test (unit tests natively and
# under Wine, end-to-end tests of both executables). Extra arguments go to ctest, e.g. -L wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
ctest --test-dir build --output-on-failure "$@"
