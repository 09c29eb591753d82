#!/usr/bin/env bash
# A plug-in shows other programs its API and nothing else:
#   exports_test.sh LIBRARY REQUIRED_REGEX ALLOWED_REGEX
# Every defined dynamic symbol must match ALLOWED_REGEX; REQUIRED_REGEX lists alternatives
# separated by '|', and each of them must be matched by at least one symbol.
set -euo pipefail
lib="$1" required="$2" allowed="$3"
symbols="$(nm -DC --defined-only "$lib" | cut -d' ' -f3-)"
[ -n "$symbols" ] || { echo "$lib exports nothing"; exit 1; }
stray="$(printf '%s\n' "$symbols" | grep -Ev -- "$allowed" || true)"
if [ -n "$stray" ]; then
  echo "$lib exports symbols that are not its API:"
  printf '%s\n' "$stray" | head -n 20
  exit 1
fi
IFS='|' read -r -a wanted <<<"$required"
for w in "${wanted[@]}"; do
  printf '%s\n' "$symbols" | grep -Eq -- "$w" || { echo "$lib does not export $w"; exit 1; }
done
echo "$lib: $(printf '%s\n' "$symbols" | wc -l) symbols, all of its API"
