#!/usr/bin/env bash
# Installs what the demo needs, builds the Linux launcher and the demo's jar, and starts the
# demo application through the launcher with the Java runtime it finds on this machine.
# Extra arguments go to the demo application. LAUNCHER_DEMO_BUILD names the build folder
# (default: build-demo).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh demo
build="${LAUNCHER_DEMO_BUILD:-build-demo}"
# Neither the cross build nor the tests and their tools: the demo needs none of them.
cmake -S . -B "$build" -G Ninja -DLAUNCHER_TESTS=OFF -DLAUNCHER_WINDOWS=OFF
cmake --build "$build"
demo_dir="$build/demo-app"
rm -rf "$demo_dir" && mkdir -p "$demo_dir"
cp demo/demo.ini demo/splash.png "$build/demo/demo.jar" "$demo_dir/"
cp "$build/launcher" "$demo_dir/demo"
echo "== starting $demo_dir/demo (settings: $demo_dir/demo.ini)"
set +e
# From its own folder, where demo.ini's relative splash picture lies; with a display the
# picture shows while the VM starts.
(cd "$demo_dir" && ./demo "$@")
code=$?
set -e
echo "== the launcher ended with exit status $code"
exit $code
