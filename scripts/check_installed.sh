#!/usr/bin/env bash
# Checks an installed korcad as a user of the installation meets it:
#   scripts/check_installed.sh ROOT [HIDDEN_DIR...]
# ROOT is the installation's prefix (ROOT/bin/korcad). Each HIDDEN_DIR (the build folder, the
# source tree) is covered by an empty folder for the run (a mount namespace of its own), so a
# program that still reached into it fails here. Checks: no absolute RUNPATH in any program or
# library; a LISP expression; korDialog_ButtonValue with its button's label from the installed
# sample database; kor_KlasseZuordnen on the installed sample drawing; the manual page.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "usage: scripts/check_installed.sh ROOT [HIDDEN_DIR...]" >&2
  exit 2
fi
root="$(cd "$1" && pwd)"
shift

# Out of reach: re-run inside a mount namespace with an empty tmpfs over every hidden folder.
if [ $# -gt 0 ] && [ -z "${KOR_CHECK_HIDDEN:-}" ]; then
  self="$(readlink -f "$0")"
  copy="$(mktemp)"
  cp "$self" "$copy"   # the script itself may lie in a folder about to be hidden
  # So may a sanitizer's suppressions file (a sanitized build's test run names one).
  supp=""
  if [[ "${LSAN_OPTIONS:-}" =~ suppressions=([^:]*) ]] && [ -f "${BASH_REMATCH[1]}" ]; then
    supp="$(mktemp)"
    cp "${BASH_REMATCH[1]}" "$supp"
    export LSAN_OPTIONS="${LSAN_OPTIONS/${BASH_REMATCH[1]}/$supp}"
  fi
  unshare_args=(--mount --propagation private)
  [ "$(id -u)" -eq 0 ] || unshare_args+=(--map-root-user)
  status=0
  KOR_CHECK_HIDDEN="$*" unshare "${unshare_args[@]}" bash "$copy" "$root" "$@" || status=$?
  rm -f "$copy" ${supp:+"$supp"}
  exit $status
fi
if [ -n "${KOR_CHECK_HIDDEN:-}" ]; then
  for d in "$@"; do
    mount -t tmpfs -o size=1m,mode=0755 none "$d"
    [ -z "$(ls -A "$d")" ] || { echo "check_installed: cannot hide $d" >&2; exit 1; }
  done
  cd /
fi

fail() { echo "check_installed: FAILED: $*" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
export QT_QPA_PLATFORM=offscreen KOR_DEBUGLOG=off
unset KORCAD_APP_PATH DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME"
korcad="$root/bin/korcad"
[ -x "$korcad" ] || fail "$korcad is missing"
checks=0

# 1. Every program and library finds its libraries relative to itself.
while IFS= read -r -d '' f; do
  head -c 4 "$f" | grep -q "ELF" || continue
  runpath="$(readelf -d "$f" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]/\2/p')"
  IFS=: read -r -a parts <<<"$runpath"
  for p in "${parts[@]}"; do
    case "$p" in
      '$ORIGIN'*) ;;
      *) fail "$f has the absolute RUNPATH entry '$p'" ;;
    esac
  done
  checks=$((checks + 1))
done < <(find "$root/bin" "$root/lib" -type f -print0)
[ "$checks" -ge 3 ] || fail "found only $checks programs and libraries below $root"

# 2. LISP.
out="$("$korcad" -e '(+ 1 2)')" || fail "korcad -e '(+ 1 2)' exited with $?"
[ "$out" = 3 ] || fail "korcad -e '(+ 1 2)' printed '$out'"

# 3. The module and the installed sample database: the button is found by its label, which
#    comes from the table TEXTE of WASSER (identifier 16).
printf 'click "Aus Zeichnung"\n' >"$work/button.answers"
out="$("$korcad" --answers "$work/button.answers" \
      -e '(korDialog_ButtonValue "WASSER" "TEXTE" 1 16 1.2 "ZEICHNUNG")')" ||
  fail "korDialog_ButtonValue exited with $?"
[ "$out" = '(2 "ZEICHNUNG")' ] || fail "korDialog_ButtonValue answered '$out'"

# 4. The plug-in korKlasse on the installed sample drawing: the hydrant H-101 classified.
cp "$root/share/kor/examples/netz.dxf" "$work/netz.dxf"
cat >"$work/klasse.answers" <<'EOF'
pick 31.06,1.06
input ""
type 30057 "überflur*100"
select 30058 "Überflurhydrant DN 100"
ok
click "Ja"
EOF
out="$("$korcad" --dwg "$work/netz.dxf" --answers "$work/klasse.answers" \
      -e '(arxload "korKlasse")' -e '(kor_KlasseZuordnen "Hydrant" "Punkt")' 2>"$work/klasse.err")" ||
  { cat "$work/klasse.err" >&2; fail "kor_KlasseZuordnen exited with $?"; }
[ "$(printf '%s\n' "$out" | tail -n 1)" = 1 ] || fail "kor_KlasseZuordnen answered '$out'"

# 5. The manual page.
page="$root/share/man/man1/korcad.1.gz"
[ -f "$page" ] || fail "$page is missing"
if command -v man >/dev/null; then
  MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q -- '--answers' || fail "man -l $page shows no --answers"
else
  gzip -dc "$page" | grep -q -- 'answers' || fail "$page holds no --answers"
fi

echo "check_installed: $root works ($checks programs and libraries, LISP, dialog, plug-in, manual page)"
