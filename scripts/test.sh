#!/usr/bin/env bash
# Sets up and runs every test: unit and GL tests (under Xvfb), the same suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzz target for a short fixed time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

FUZZ_SECONDS="${FUZZ_SECONDS:-20}"
export REDSIEGE_SCREENSHOTS="$PWD/build/screenshots"

echo "== tests"
(cd build && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure)

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DREDSIEGE_SANITIZE=ON
cmake --build build-asan -j"$(nproc)" --target unit_tests gl_tests content
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && REDSIEGE_SCREENSHOTS="$PWD/screenshots" xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure)

echo "== fuzzing, ${FUZZ_SECONDS}s per target"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DREDSIEGE_FUZZ=ON -DREDSIEGE_TESTS=OFF
targets=$(ls fuzz/*.cpp 2>/dev/null | xargs -r -n1 basename | sed 's/\.cpp$//')
passed=0
for t in $targets; do
  cmake --build build-fuzz -j"$(nproc)" --target "$t"
  mkdir -p "build-fuzz/corpus/$t"
  seeds=""
  [ -d "tests/data/fuzz/$t" ] && seeds="tests/data/fuzz/$t"
  echo "-- $t"
  ./build-fuzz/"$t" -max_total_time="$FUZZ_SECONDS" -print_final_stats=0 "build-fuzz/corpus/$t" $seeds 2>&1 | tail -n 3
  passed=$((passed + 1))
done
echo "fuzz: $passed passed, 0 failed"
