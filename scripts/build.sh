#!/usr/bin/env bash
# Configures and builds both targets (host launcher and, through the cross compiler,
# launcher.exe) into ./build.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja "$@"
cmake --build build
