#!/usr/bin/env bash
# The main job: builds korcad, the module and everything the demo uses (korcad_all: the
# plug-in korKlasse, the sample databases, the manual page), then runs the demo LISP program on the sample
# drawing examples/netz.dxf and saves the result as build/netz-demo.dxf. With a display a
# person answers the dialogs and the prompts in korcad's window, which stays open after the
# demo until it is closed; without one, examples/demo.answers does, and a screenshot of
# every dialog lands in build/shots/. Then the same for examples/dcl/rohr.lsp: a pipe's
# properties asked in a DCL dialog and with korDialog_FragBox (screenshots in build/shots/dcl/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh korcad_all

# The demo works on the sample network and saves what it changed beside the build.
drawing=(--dwg examples/netz.dxf --save-as build/netz-demo.dxf)
export KORCAD_APP_PATH="$PWD/examples${KORCAD_APP_PATH:+:$KORCAD_APP_PATH}"
dcl=(env KORCAD_APP_PATH="$PWD/examples/dcl:$KORCAD_APP_PATH" build/bin/korcad)
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  build/bin/korcad "${drawing[@]}" examples/demo.lsp
  exec "${dcl[@]}" examples/dcl/rohr.lsp
fi
echo "demo: no display — answering from examples/demo.answers, screenshots in build/shots/"
build/bin/korcad "${drawing[@]}" --answers examples/demo.answers --shots build/shots examples/demo.lsp
echo "demo: the DCL example, answered from examples/dcl/rohr.answers, screenshots in build/shots/dcl/"
exec "${dcl[@]}" --answers examples/dcl/rohr.answers --shots build/shots/dcl examples/dcl/rohr.lsp
