#!/usr/bin/env bash
# Runs the GUI test command on a display: the current one, or a virtual one started
# for it. Turns the BMP screenshots that the test leaves in ARTEFACT_DIR into PNGs.
# Usage: run-gui-test.sh ARTEFACT_DIR COMMAND...
set -euo pipefail
artefacts=$1
shift
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$artefacts" "$@"
fi
mkdir -p "$artefacts"
rm -f "$artefacts"/*.bmp "$artefacts"/*.png
status=0
"$@" || status=$?
if command -v convert >/dev/null; then
  for bmp in "$artefacts"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
fi
ls "$artefacts"
exit "$status"
