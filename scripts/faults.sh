#!/usr/bin/env bash
# Fault seeding: plants each fault of scripts/faults.txt in the sources, one at a time,
# rebuilds, runs the tests and records which tests fail; then puts the source back. A fault
# no test catches is a hole in the suite.
#
#   scripts/faults.sh [ID ...]      plant the faults given (default: all of them)
#   scripts/faults.sh --list        list the faults
#   scripts/faults.sh --check       only check that every fault still applies (no build)
#   scripts/faults.sh --baseline    first run the faults' hint tests on the clean sources,
#                                   so a test that fails anyway cannot pass for a catch
#
# Per fault: the exact search text is replaced (it must occur exactly once: code that moved
# makes the fault say so instead of planting nothing), `cmake --build` builds, the tests its
# hint names run (ctest -R), and when none of them fails the rest of the suite runs. A build
# that fails does not count as a catch. The source is always put back (also on Ctrl-C or an
# error) and checked against git; at the end the build is brought back to the sources.
# Logs go to <build>/faults/, the table also to <build>/faults/results.md.
# Exit status: 0 every fault caught; 1 a fault not caught, not built or not applied; 2 usage.
#   KOR_BUILD_DIR     the build folder (default build/), configured by scripts/build.sh
#   KOR_FAULTS_FILE   another fault list (default scripts/faults.txt)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
faults_file=${KOR_FAULTS_FILE:-scripts/faults.txt}
build=${KOR_BUILD_DIR:-build}

usage() { sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; }

# ---- the fault list ----------------------------------------------------------------------------

# records [ID...]: one line per fault, fields id, file, hint, what (separated by \x1f).
# apply ID: plants fault ID. check [ID...]: says for each fault whether it applies.
helper() {
  python3 - "$faults_file" "$@" <<'PY'
import sys

KEYS = ("id", "file", "what", "hint", "find", "repl")

def unescape(s):
    out, i = [], 0
    while i < len(s):
        if s[i] == "\\" and i + 1 < len(s) and s[i + 1] in "\\nt":
            out.append({"\\": "\\", "n": "\n", "t": "\t"}[s[i + 1]])
            i += 2
        else:
            out.append(s[i])
            i += 1
    return "".join(out)

def load(path):
    records, current = [], {}
    def close(line):
        if current:
            missing = [k for k in KEYS if k not in current]
            if missing:
                sys.exit(f"{path}:{line}: the fault ending here has no {', '.join(missing)}")
            records.append(dict(current))
            current.clear()
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for n, line in enumerate(lines, 1):
        if line.startswith("#"):
            continue
        if not line.strip():
            close(n)
            continue
        key, sep, value = line.partition(":")
        key = key.strip()
        if not sep or key not in KEYS:
            sys.exit(f"{path}:{n}: expected one of {', '.join(KEYS)} followed by ':'")
        if key in current:
            sys.exit(f"{path}:{n}: {key} given twice in one fault")
        value = value.lstrip(" \t")
        current[key] = unescape(value) if key in ("find", "repl") else value.strip()
    close(len(lines))
    ids = [r["id"] for r in records]
    for i in ids:
        if ids.count(i) > 1:
            sys.exit(f"{path}: fault {i} is listed twice")
    for r in records:
        if r["find"] == r["repl"]:
            sys.exit(f"{path}: fault {r['id']} changes nothing")
    return records

def select(records, ids):
    if not ids:
        return records
    by_id = {r["id"]: r for r in records}
    unknown = [i for i in ids if i not in by_id]
    if unknown:
        sys.exit(f"unknown fault {', '.join(unknown)} (scripts/faults.sh --list shows them)")
    return [by_id[i] for i in ids]

def occurrences(r):
    try:
        with open(r["file"], encoding="utf-8") as f:
            return f.read().count(r["find"])
    except OSError as e:
        return f"cannot read it ({e.strerror})"

path, command, args = sys.argv[1], sys.argv[2], sys.argv[3:]
records = load(path)
if command == "records":
    for r in select(records, args):
        print("\x1f".join((r["id"], r["file"], r["hint"], r["what"])))
elif command == "apply":
    (r,) = select(records, args)
    n = occurrences(r)
    if n != 1:
        how = n if isinstance(n, str) else f"the text to change occurs {n} times (exactly once expected: did the code move?)"
        print(f"{r['file']}: {how}", file=sys.stderr)
        sys.exit(3)
    with open(r["file"], encoding="utf-8") as f:
        text = f.read()
    with open(r["file"], "w", encoding="utf-8") as f:
        f.write(text.replace(r["find"], r["repl"], 1))
elif command == "check":
    bad = 0
    for r in select(records, args):
        n = occurrences(r)
        ok = n == 1
        bad += not ok
        print(f"{r['id']:5} {'applies' if ok else 'DOES NOT APPLY'}{'' if ok else ': found ' + str(n) + ' times'}  {r['file']}")
    sys.exit(1 if bad else 0)
else:
    sys.exit(f"helper: unknown command {command}")
PY
}

# ---- options -------------------------------------------------------------------------------------

mode=run baseline=0
ids=()
for arg in "$@"; do
  case "$arg" in
    -h|--help) usage; exit 0 ;;
    --list) mode=list ;;
    --check) mode=check ;;
    --baseline) baseline=1 ;;
    -*) echo "faults.sh: unknown option $arg" >&2; usage >&2; exit 2 ;;
    *) ids+=("$arg") ;;
  esac
done

records=$(helper records "${ids[@]}") || exit 2
if [ "$mode" = list ]; then
  while IFS=$'\x1f' read -r id file hint what; do
    printf '%-4s %-42s %s\n     tests: %s\n' "$id" "$file" "$what" "$hint"
  done <<<"$records"
  exit 0
fi
if [ "$mode" = check ]; then
  helper check "${ids[@]}"
  exit $?
fi

[ -f "$build/CMakeCache.txt" ] || { echo "faults.sh: $build/ is not configured: run scripts/build.sh first" >&2; exit 2; }
command -v ctest >/dev/null || { echo "faults.sh: ctest is missing" >&2; exit 2; }

export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
logs="$build/faults"
mkdir -p "$logs"
tmp=$(mktemp -d)

# ---- planting and putting back -----------------------------------------------------------------

planted=""   # the file that holds a fault right now
built=0      # whether build/ may hold objects of a fault
keep_tmp=0   # a file could not be put back: its original stays in $tmp

restore() {
  [ -n "$planted" ] || return 0
  cp "$tmp/original" "$planted"   # a new time stamp: make builds the file again
  if ! git diff --quiet HEAD -- "$planted"; then
    echo "faults.sh: $planted differs from git after putting it back; its original is kept in $tmp/original" >&2
    planted="" keep_tmp=1
    return 1
  fi
  planted=""
}

cleanup() {
  local status=$?
  trap - EXIT INT TERM
  if [ -n "$planted" ]; then
    echo "faults.sh: putting $planted back" >&2
    restore || status=1
  fi
  if [ "$built" = 1 ]; then
    echo "== rebuilding $build/ from the sources as they are"
    if ! cmake --build "$build" -j2 </dev/null >"$logs/final-build.log" 2>&1; then
      echo "faults.sh: the final build failed, see $logs/final-build.log" >&2
      status=1
    fi
  fi
  [ "$keep_tmp" = 1 ] || rm -rf "$tmp"
  exit "$status"
}
trap cleanup EXIT
trap 'echo; echo "faults.sh: interrupted" >&2; exit 130' INT TERM

# run_tests LOG CTEST-ARGS...: runs the tests headless as the suite does; prints the names of
# the tests that failed, one per line (nothing when all passed).
run_tests() {
  local log=$1; shift
  local failed="$build/Testing/Temporary/LastTestsFailed.log"
  rm -f "$failed"
  (
    cd "$build"
    export QT_QPA_PLATFORM=offscreen KOR_DEBUGLOG=off
    export XDG_CONFIG_HOME="$PWD/test-home/config" XDG_STATE_HOME="$PWD/test-home/state"
    ctest -j2 --timeout 300 --stop-on-failure "$@"
  ) </dev/null >"$log" 2>&1 || true
  # A run stopped at the first failure may leave the server tests' cluster behind.
  if [ -f "$build/test-pg/cluster.env" ]; then
    tests/db/pg_cluster.sh stop "$build/test-pg/cluster.env" >/dev/null 2>&1 || true
  fi
  if [ -s "$failed" ]; then
    sed -n 's/^[0-9]*://p' "$failed"
  else
    # The summary block: "	 12 - name (Failed)".
    sed -n '/The following tests FAILED:/,$ s/^[[:space:]]*[0-9][0-9]* - \(.*\) ([A-Za-z ]*)$/\1/p' "$log"
  fi
}

started=$SECONDS
echo "== building $build/ as the sources are"
if ! cmake --build "$build" -j2 </dev/null >"$logs/start-build.log" 2>&1; then
  echo "faults.sh: the sources do not build without a fault, see $logs/start-build.log" >&2
  exit 1
fi

if [ "$baseline" = 1 ]; then
  all_hints=$(cut -d $'\x1f' -f3 <<<"$records" | paste -sd '|')
  echo "== the hint tests on the clean sources"
  broken=$(run_tests "$logs/baseline.log" -R "$all_hints")
  if [ -n "$broken" ]; then
    echo "faults.sh: these tests fail without any fault (fix them first; $logs/baseline.log):" >&2
    sed 's/^/  /' <<<"$broken" >&2
    exit 1
  fi
fi

# ---- the faults ---------------------------------------------------------------------------------

results=()   # id \x1f file \x1f what \x1f result
bad=0
mapfile -t faults <<<"$records"
count=${#faults[@]}
n=0
for record in "${faults[@]}"; do
  IFS=$'\x1f' read -r id file hint what <<<"$record"
  n=$((n + 1))
  t0=$SECONDS
  printf '== %s (%d/%d) %s: %s\n' "$id" "$n" "$count" "$file" "$what"
  result=""
  if ! git diff --quiet HEAD -- "$file" 2>/dev/null; then
    result="SKIPPED: $file has changes not committed"
  else
    cp "$file" "$tmp/original"
    planted=$file
    if ! helper apply "$id" 2>"$logs/$id.apply.log"; then
      result="DOES NOT APPLY: $(cat "$logs/$id.apply.log")"
      restore
    else
      built=1
      if ! cmake --build "$build" -j2 </dev/null >"$logs/$id.build.log" 2>&1; then
        result="DOES NOT BUILD (see $logs/$id.build.log)"
      else
        caught=$(run_tests "$logs/$id.quick.log" -R "$hint")
        if [ -z "$caught" ]; then
          if grep -q 'No tests were found' "$logs/$id.quick.log"; then
            echo "   (the hint $hint names no test: it wants updating)"
          fi
          echo "   the hint tests pass; running the rest of the suite"
          caught=$(run_tests "$logs/$id.full.log" -E "$hint")
        fi
        if [ -n "$caught" ]; then
          names=$(head -n 3 <<<"$caught" | paste -sd ',' | sed 's/,/, /g')
          more=$(( $(wc -l <<<"$caught") - 3 ))
          [ "$more" -gt 0 ] && names="$names (+$more more)"
          result="caught by $names"
        else
          result="NOT CAUGHT"
        fi
      fi
      restore
    fi
  fi
  case "$result" in caught*) ;; *) bad=$((bad + 1)) ;; esac
  printf '   %s (%d s)\n' "$result" $((SECONDS - t0))
  results+=("$id"$'\x1f'"$file"$'\x1f'"$what"$'\x1f'"$result")
done

# ---- the table ------------------------------------------------------------------------------------

{
  echo "| id | file | fault | result |"
  echo "|---|---|---|---|"
  for r in "${results[@]}"; do
    IFS=$'\x1f' read -r id file what result <<<"$r"
    echo "| $id | $file | $what | $result |"
  done
} >"$logs/results.md"
echo
cat "$logs/results.md"
echo
echo "$((${#results[@]} - bad)) of ${#results[@]} faults caught in $((SECONDS - started)) s (logs in $logs/)"
[ "$bad" = 0 ]
