#!/usr/bin/env bash
# The main job: builds korcad and the module, then runs the demo LISP program. With a display
# a person answers the dialogs; without one, examples/demo.answers does, and a screenshot of
# every dialog lands in build/shots/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh korcad korDialog

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/bin/korcad examples/demo.lsp
fi
echo "demo: no display — answering from examples/demo.answers, screenshots in build/shots/"
exec build/bin/korcad --answers examples/demo.answers --shots build/shots examples/demo.lsp
