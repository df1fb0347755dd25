#!/usr/bin/env bash
# Sets up and runs every test, with each stage's time: the formatter's check; the unit tests, the
# headless scripts of play and the GL and whole-program tests (under Xvfb); the golden replays with
# the C library's other maths; the unit tests (the golden replays among them, played by clang's
# build), scripts, file readers and the one whole game from "Begin" to the high scores under
# AddressSanitizer and UndefinedBehaviorSanitizer; redsiege-verify's line for each golden replay
# compared across the builds; and each fuzz target for a short fixed time. The sanitizer tests and
# the fuzz targets share one clang build.
set -euo pipefail
cd "$(dirname "$0")/.."

FUZZ_SECONDS="${FUZZ_SECONDS:-20}"
# -noreset: the server otherwise resets as the last window closes, and a program starting in that
# moment cannot reach it (a whole-program test runs the game many times, one after another).
XVFB=(xvfb-run -a -s "-screen 0 1280x1024x24 -noreset")
export REDSIEGE_SCREENSHOTS="$PWD/build/screenshots"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

began=$SECONDS
# Each stage's wall time and the processor time it spent (user + system, on every core): the
# machine may be shared, and the processor time is what a stage costs whatever else runs.
stage() {
  local name=$1 TIMEFORMAT
  shift
  echo "== $name"
  TIMEFORMAT="-- $name: %0R s (CPU %0U s user + %0S s system)"
  time "$@"
}

check_format() {
  if ! git ls-files 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
    'fuzz/*.cpp' 'fuzz/*.h' | xargs clang-format --dry-run --Werror; then
    echo "clang-format would change the files above: run clang-format -i on them"
    return 1
  fi
}

# One at a time: the whole-program runs wait on the X server's events, which a second run slows.
tests() { (cd build && "${XVFB[@]}" ctest --output-on-failure); }

# The golden replays again with the C library's other build of its maths chosen (no AVX2, no
# FMA): the rules use their own functions, so every frame's state must hash as pinned.
golden_other_libm() {
  GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA build/unit_tests --gtest_brief=1 --gtest_filter='GoldenReplays.*'
}

fuzz_targets() { ls fuzz/*.cpp | xargs -n1 basename | sed 's/\.cpp$//'; }

# Line tables are all the sanitizers' reports need of the debug information.
sanitizer_build() {
  CC=clang CXX=clang++ cmake -S . -B build-san -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" \
    -DREDSIEGE_SANITIZE=ON -DREDSIEGE_FUZZ=ON >/dev/null
  cmake --build build-san -j"$(nproc)" --target unit_tests played_game_tests redsiege-verify $(fuzz_targets)
}

# What redsiege-verify prints for each golden replay: the same line from the gcc build, from the
# clang build and with the C library's other maths.
verify_everywhere() {
  local f lines
  for f in tests/data/golden/*.rsr; do
    lines=$(
      build/redsiege-verify --data build/data "$f"
      GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA build/redsiege-verify --data build/data "$f"
      build-san/redsiege-verify --data build/data "$f"
    )
    if [ "$(sort -u <<<"$lines" | wc -l)" -ne 1 ] || [ "$(wc -l <<<"$lines")" -ne 3 ]; then
      echo "$f plays differently:"
      echo "$lines"
      return 1
    fi
    echo "$(basename "$f"): $(head -n 1 <<<"$lines")"
  done
}

sanitizer_tests() {
  build-san/unit_tests --gtest_brief=1
  (cd build-san && ASAN_OPTIONS=detect_leaks=0 REDSIEGE_SCREENSHOTS="$PWD/screenshots" \
    "${XVFB[@]}" ./played_game_tests --gtest_brief=1)
}

fuzz_one() {
  local t=$1 seeds=""
  mkdir -p "build-san/corpus/$t"
  [ -d "tests/data/fuzz/$t" ] && seeds="tests/data/fuzz/$t"
  if ./build-san/"$t" -max_total_time="$FUZZ_SECONDS" -print_final_stats=0 "build-san/corpus/$t" $seeds \
    >"build-san/$t.log" 2>&1; then
    echo "-- $t: passed"
  else
    tail -n 30 "build-san/$t.log"
    echo "-- $t: FAILED"
    return 1
  fi
}
export -f fuzz_one
export FUZZ_SECONDS

# Two targets at a time, one a core.
fuzzing() { fuzz_targets | xargs -P"$(nproc)" -I{} bash -c 'fuzz_one {}'; }

# The sanitizer build starts beside the formatting and the tests: the tests run one at a time
# and much of it waits on the X server, which leaves a core to the compiler. Its output is kept
# in a log and shown when it fails. It runs as a process group of its own, ended with the script
# should a stage before its end fail.
sanitizer_build_begin() {
  set -m
  sanitizer_build >build/sanitizer-build.log 2>&1 &
  sanitizer_build_pid=$!
  set +m
  trap 'kill -- -"$sanitizer_build_pid" 2>/dev/null || true' EXIT
}
sanitizer_build_end() {
  local status=0
  wait "$sanitizer_build_pid" || status=$?
  trap - EXIT
  if [ "$status" -ne 0 ]; then
    tail -n 60 build/sanitizer-build.log
    return 1
  fi
}

stage "set-up and build" scripts/setup.sh
sanitizer_build_begin
stage "formatting" check_format
stage "tests" tests
stage "golden replays, the C library's other maths" golden_other_libm
stage "sanitizer build (begun beside the tests)" sanitizer_build_end
stage "sanitizer tests" sanitizer_tests
stage "one game on every build" verify_everywhere
stage "fuzzing, ${FUZZ_SECONDS} s a target" fuzzing
echo "== all stages: $((SECONDS - began)) s"
times >build/times.txt  # in this shell: its children are the stages
echo "== CPU of all stages (user, system): $(tail -n 1 build/times.txt)"
