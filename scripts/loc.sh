#!/bin/sh
# Lines of code and of tests, and their ratio: C++ and LISP under tests/ (the fuzz targets'
# seed corpora not counted) against C++ outside tests/ and bench/. Counts the files git tracks;
# blank lines are not counted.
set -eu
cd "$(dirname "$0")/.."
count() { xargs -r cat | grep -cv '^[[:space:]]*$' || true; }
code=$(git ls-files '*.cpp' '*.h' | grep -v '^tests/' | grep -v '^bench/' | count)
tests=$(git ls-files 'tests/*.cpp' 'tests/*.h' 'tests/*.lsp' | grep -v '^tests/fuzz/corpus/' | count)
echo "code lines:  $code"
echo "test lines:  $tests"
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests/code:  %.2f\n", (c ? t / c : 0) }'
