#!/usr/bin/env bash
# Installs the build into a temporary folder (DESTDIR) and runs korcad from there, with the
# build folder and the sources out of reach:  install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build="$1" source="$2"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
DESTDIR="$tmp" cmake --install "$build" --prefix /usr/local >"$tmp/install.log" ||
  { cat "$tmp/install.log"; exit 1; }
"$source/scripts/check_installed.sh" "$tmp/usr/local" "$build" "$source"
