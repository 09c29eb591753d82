#!/usr/bin/env bash
# Configures and builds into build/ (targets given, or all). Two jobs: the machine has two cores.
set -euo pipefail
cd "$(dirname "$0")/.."
"scripts/setup.sh"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ $# -gt 0 ]; then
  for t in "$@"; do cmake --build build -j2 --target "$t"; done
else
  cmake --build build -j2
fi
