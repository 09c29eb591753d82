#!/usr/bin/env bash
# Builds everything and runs every test, headless — twice: once as built for use (build/), once
# built with AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer (build-asan/), where
# any report of theirs fails the test it happens in (third-party leaks that are not ours are
# listed in tests/lsan.supp). Then every fuzz target runs for a bounded time (scripts/fuzz.sh).
#   scripts/test.sh              all three stages; the first that fails ends the run
#   scripts/test.sh --normal     the normal build and its tests only
#   scripts/test.sh --sanitize   the sanitized build and its tests only
#   scripts/test.sh --fuzz       the fuzz targets only
# KOR_FUZZ_SECONDS sets the time per fuzz target (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
stage="${1:-all}"
case "$stage" in
  all|--normal|--sanitize|--fuzz) ;;
  *) echo "usage: scripts/test.sh [--normal|--sanitize|--fuzz]" >&2; exit 2 ;;
esac

# One build folder and its whole test suite.
run_suite() {
  local dir="$1" args="$2"
  (
    export KOR_BUILD_DIR="$dir" KOR_CMAKE_ARGS="${KOR_CMAKE_ARGS:-} $args"
    scripts/build.sh
    export QT_QPA_PLATFORM=offscreen KOR_DEBUGLOG=off
    # No test writes into the home of the person running them: saved window positions, the
    # command-line history and logs go below the build folder unless a test makes its own.
    export XDG_CONFIG_HOME="$PWD/$dir/test-home/config" XDG_STATE_HOME="$PWD/$dir/test-home/state"
    cd "$dir" && ctest --output-on-failure -j2
  )
}

started=$SECONDS
if [ "$stage" = all ] || [ "$stage" = --normal ]; then
  echo "== tests: normal build (build/)"
  run_suite build ""
  echo "== normal build and tests: $((SECONDS - started)) s"
fi
if [ "$stage" = all ] || [ "$stage" = --sanitize ]; then
  echo "== tests: ASan + UBSan + LSan build (build-asan/)"
  t=$SECONDS
  (
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_odr_violation=0"
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    # Sanitized frames are several times larger: give LISP's deep-recursion tests the stack
    # their depth needs (the interpreter's own limit still guards it).
    ulimit -s 65536 2>/dev/null || ulimit -s unlimited 2>/dev/null || true
    # The benchmarks are not built here: they measure the normal build.
    run_suite build-asan "-DKOR_SANITIZE=ON -DKOR_BENCH=OFF"
  )
  echo "== sanitized build and tests: $((SECONDS - t)) s"
fi
if [ "$stage" = all ] || [ "$stage" = --fuzz ]; then
  if [ -x scripts/fuzz.sh ]; then
    echo "== fuzz targets, ${KOR_FUZZ_SECONDS:-20} s each (build-fuzz/)"
    t=$SECONDS
    scripts/fuzz.sh "${KOR_FUZZ_SECONDS:-20}"
    echo "== fuzzing: $((SECONDS - t)) s"
  fi
fi
echo "== all stages passed in $((SECONDS - started)) s"
