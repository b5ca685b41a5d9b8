#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: an optimised
# build (then the Slurm job array example on a cluster of this machine), and a
# build under AddressSanitizer and UndefinedBehaviorSanitizer;
# between them checks the installed library and the Debian package.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
jobs=$(nproc)

echo "== optimised build"
bash "$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=Release
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

echo "== a Slurm job array on a single-node cluster of this machine (skipped, saying why, when Slurm cannot start)"
bash "$root/tests/app/slurm_test.sh" "$root/build/bin/korvel-cli"

echo "== installed and packaged: the consumer against static and shared installs, the Debian package"
bash "$root/scripts/package_test.sh" "$root/build"

echo "== sanitizer build (address, undefined, leaks; every rough stop-test decision checked)"
bash "$root/scripts/build.sh" build-asan -DCMAKE_BUILD_TYPE=Debug -DKORVEL_SANITIZE=ON -DKORVEL_BENCH=OFF \
  -DKORVEL_CHECK_STOP_TEST=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"

echo "== searches on two threads under ThreadSanitizer (that test and what it links)"
cmake -S "$root" -B "$root/build-tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_BENCH=OFF \
  -DKORVEL_TSAN=ON >/dev/null
cmake --build "$root/build-tsan" --target test_threads
TSAN_OPTIONS=halt_on_error=1 "$root/build-tsan/bin/test_threads" --gtest_filter='Threads.TwoSearches*'

echo "== fuzzing the input readers and the radix conversion (clang, libFuzzer, address and undefined sanitizers)"
bash "$root/scripts/build.sh" build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_FUZZ=ON \
  -DCMAKE_CXX_COMPILER=clang++-14 -DKORVEL_FUZZ_SECONDS="${KORVEL_FUZZ_SECONDS:-90}"
(cd "$root/build-fuzz" && ctest --output-on-failure)
