#!/usr/bin/env bash
# Configures and builds (targets given, or all). Two jobs: the machine has two cores.
#   KOR_BUILD_DIR   the build folder (default build/)
#   KOR_CMAKE_ARGS  further arguments for the configure step (e.g. -DKOR_SANITIZE=ON)
set -euo pipefail
cd "$(dirname "$0")/.."
"scripts/setup.sh"
dir="${KOR_BUILD_DIR:-build}"
# A compiler cache kept between builds (and between clones of the repository on this machine:
# paths below the work tree are hashed relative to it). Harmless when empty.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
# shellcheck disable=SC2086
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" ${KOR_CMAKE_ARGS:-} >/dev/null
if [ $# -gt 0 ]; then
  for t in "$@"; do cmake --build "$dir" -j2 --target "$t"; done
else
  cmake --build "$dir" -j2
fi
