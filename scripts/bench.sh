#!/usr/bin/env bash
# Runs every benchmark of bench/ and prints their tables (see bench/README.md): installs what
# is missing, builds both targets with the benchmarks into ./build-bench, then
#   1. the launcher's own work before the VM (Google Benchmark),
#   2. the Linux start up to the VM step against the floor host, with instruction counts,
#   3. the whole Java start: launcher, java, jpackage, the floor host (and on a second thread),
#      with the phases of each,
#   4. launcher.exe up to the VM step under Wine against empty Win32 programs,
#   5. a later start in single-instance mode, on Linux and under Wine,
#   6. starts of Rhino, Ant and a Swing program with the class-data cache, against the cache
#      off and the java command, on Java 17 and 25 (Rhino and Ant are installed for this only),
#      first starts, and starts after a bad archive,
#   7. the splash on Linux under Xvfb: until the picture shows (against java -splash:) and the
#      whole start with and without a splash, and with a picture larger than the screen.
# Not part of the test pass. BENCH_ROUNDS sets the rounds of the whole start (default 60);
# BENCH_QUICK=1 makes every part short (a smoke run, figures too noisy to quote).
set -euo pipefail
cd "$(dirname "$0")/.."
# The benchmark tools and real programs for the class-data cache's benchmark (Rhino, Ant).
scripts/install-deps.sh bench

build=build-bench
cmake -S . -B "$build" -G Ninja -DLAUNCHER_BENCHMARKS=ON -DLAUNCHER_SANITIZED_TESTS=OFF
cmake --build "$build"

rounds=${BENCH_ROUNDS:-60}
google=()
vm_step=300
wine=40
phases=40
class_data=30
class_data_first=10
splash=30
if [ "${BENCH_QUICK:-0}" = 1 ]; then
  rounds=5 vm_step=20 wine=5 phases=5 class_data=3 class_data_first=2 splash=3
  google=(--benchmark_min_time=0.05)
fi

echo "== 1. The launcher's own work before the VM is created"
"$build/bench/launcher_benchmarks" "${google[@]}"
echo
echo "== 2. Linux start up to the VM step"
python3 bench/vm_step_benchmark.py --launcher "$build/launcher" --rounds "$vm_step"
echo
echo "== 3. Whole Java start on Linux"
python3 bench/start_benchmark.py --launcher "$build/launcher" --rounds "$rounds" \
  --thread-floor --phases "$phases"
echo
echo "== 4. Under Wine: launcher.exe up to the VM step"
python3 bench/wine_start_benchmark.py --build "$build" --rounds "$wine"
echo
echo "== 5. A later start in single-instance mode"
python3 bench/single_instance_benchmark.py --launcher "$build/launcher" --rounds "$vm_step"
python3 bench/single_instance_benchmark.py --wine --build "$build" --rounds "$wine"
echo
echo "== 6. The class-data cache: Rhino, Ant and a Swing window on Java 17 and 25"
python3 bench/class_data_benchmark.py --launcher "$build/launcher" --rounds "$class_data" \
  --first-rounds "$class_data_first" --bad-rounds "$class_data_first" --aot
echo
echo "== 7. The splash on Linux"
python3 bench/splash_benchmark.py --launcher "$build/launcher" --rounds "$splash"
