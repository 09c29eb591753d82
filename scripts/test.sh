#!/usr/bin/env bash
# Builds everything and runs every test, headless.
#   scripts/test.sh              the normal build, in build/
#   scripts/test.sh --sanitize   built with ASan, UBSan and LSan, in build-asan/: any report of
#                                theirs fails the test it happens in (third-party leaks that are
#                                not ours are listed in tests/lsan.supp)
set -euo pipefail
cd "$(dirname "$0")/.."
export KOR_BUILD_DIR="${KOR_BUILD_DIR:-build}"
if [ "${1:-}" = "--sanitize" ]; then
  export KOR_BUILD_DIR=build-asan KOR_CMAKE_ARGS="${KOR_CMAKE_ARGS:-} -DKOR_SANITIZE=ON"
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_odr_violation=0"
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  # Sanitized frames are several times larger: give LISP's deep-recursion tests the stack
  # their depth needs (the interpreter's own limit still guards it).
  ulimit -s 65536 2>/dev/null || ulimit -s unlimited 2>/dev/null || true
fi
scripts/build.sh

export QT_QPA_PLATFORM=offscreen KOR_DEBUGLOG=off
# No test writes into the home of the person running them: saved window positions, the
# command-line history and logs go below the build folder unless a test makes its own.
export XDG_CONFIG_HOME="$PWD/$KOR_BUILD_DIR/test-home/config" XDG_STATE_HOME="$PWD/$KOR_BUILD_DIR/test-home/state"
cd "$KOR_BUILD_DIR" && ctest --output-on-failure -j2
