#!/usr/bin/env bash
# Runs the GUI test of kestrava.exe: on the current display or a virtual one started
# for it, with a native capture of the datagrams that reach CAPTURE_ADDRESS:10023
# (kernel-stamped, so the pacing measured is the sender's). Appends ARTEFACT_DIR,
# CAPTURE_ADDRESS and the capture file to COMMAND. Keeps the capture and the
# screenshots (turned into PNGs) in ARTEFACT_DIR.
# Usage: run-gui-test.sh ARTEFACT_DIR CAPTURE_ADDRESS COMMAND...
set -euo pipefail
artefacts=$1
address=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${DISPLAY:-}" ]; then
  exec "$here/with-display.sh" "$0" "$artefacts" "$address" "$@"
fi
mkdir -p "$artefacts"
rm -f "$artefacts"/*.bmp "$artefacts"/*.png "$artefacts"/datagrams.txt
capture=$artefacts/datagrams.txt

python3 "$here/udp-capture.py" "$address" 10023 "$capture" &
capture_pid=$!
trap 'kill "$capture_pid" 2>/dev/null || true; wait "$capture_pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -e "$capture" ] && break
  kill -0 "$capture_pid" 2>/dev/null || { echo "cannot listen on $address:10023" >&2; exit 1; }
  sleep 0.05
done

status=0
"$@" "$artefacts" "$address" "$capture" || status=$?
if command -v convert >/dev/null; then
  for bmp in "$artefacts"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
fi
echo "artefacts in $artefacts: $(cd "$artefacts" && echo *)"
exit "$status"
