#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz (clang, libFuzzer, ASan + UBSan + LSan) into
# build-fuzz/ and runs each for a bounded time on its seed corpus.
#   scripts/fuzz.sh [SECONDS] [TARGET ...]   SECONDS per target (default 30); targets by name
#                                            (lisp functions dxf dcl answers databases_ini matchlike;
#                                            default all)
# Any crash, leak, sanitizer report, timeout or out-of-memory fails the run: the input that did
# it is saved as build-fuzz/fuzz-runs/TARGET/crash-* (or leak-, timeout-, oom-), and the log
# beside it. New inputs the fuzzer found go to build-fuzz/fuzz-runs/TARGET/corpus; the seed
# corpus in tests/fuzz/corpus/TARGET is only read (copy a finding there by hand, with its test).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
seconds="${1:-30}"
[ $# -gt 0 ] && shift
case "$seconds" in
  ''|*[!0-9]*) echo "fuzz: SECONDS must be a whole number, not '$seconds'" >&2; exit 2 ;;
esac
all=(lisp functions dxf dcl answers databases_ini matchlike)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")
for t in "${targets[@]}"; do
  [ -d "tests/fuzz/corpus/$t" ] || { echo "fuzz: no target '$t' (known: ${all[*]})" >&2; exit 2; }
done

scripts/setup.sh
command -v clang++ >/dev/null || { echo "fuzz: clang++ is missing (scripts/setup.sh installs it)" >&2; exit 1; }
dir=build-fuzz
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKOR_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
  "${launcher[@]}" >/dev/null
mkdir -p "$dir/fuzz-runs"
echo "fuzz: building ${targets[*]}"
if ! cmake --build "$dir" -j2 --target "${targets[@]/#/fuzz_}" >"$dir/fuzz-runs/build.log" 2>&1; then
  tail -40 "$dir/fuzz-runs/build.log" >&2
  echo "fuzz: the build failed (whole log: $dir/fuzz-runs/build.log)" >&2
  exit 1
fi

# Leaks of third-party libraries (Qt's, fontconfig's) are not ours: the same list as the
# sanitizer build of the tests.
export ASAN_OPTIONS="detect_odr_violation=0:allocator_may_return_null=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
ulimit -s 65536 2>/dev/null || true

# One target's run; its exit status goes to rc in its folder.
run_target() {
  local t="$1" work="$dir/fuzz-runs/$1" maxlen=8192 rc=0
  [ "$t" = dxf ] && maxlen=32768  # whole drawings
  (cd "$work" && "$root/$dir/bin/fuzz_$t" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2560 \
      -max_len="$maxlen" -print_final_stats=1 corpus "$root/tests/fuzz/corpus/$t") >"$work/fuzz.log" 2>&1 || rc=$?
  echo "$rc" >"$work/rc"
}

# Two targets at a time, one a core; each still gets its SECONDS.
running=0
for t in "${targets[@]}"; do
  mkdir -p "$dir/fuzz-runs/$t/corpus"
  rm -f "$dir/fuzz-runs/$t/rc"
  echo "fuzz: $t for ${seconds}s"
  run_target "$t" &
  running=$((running + 1))
  if [ "$running" -ge 2 ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

failed=0
summary=()
for t in "${targets[@]}"; do
  work="$dir/fuzz-runs/$t"
  log="$work/fuzz.log"
  rc=$(cat "$work/rc" 2>/dev/null || echo "no status")
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$rc" != 0 ]; then
    failed=1
    summary+=("$t: FAILED after ${runs:-?} runs (exit $rc), see $log")
    grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -5 >&2 || true
    ls "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* 2>/dev/null >&2 || true
  else
    summary+=("$t: ${runs:-?} runs, no finding")
  fi
done
echo "fuzz: results"
printf '  %s\n' "${summary[@]}"
exit "$failed"
