#!/usr/bin/env bash
# Usage: screenshot.sh [BUILD_DIR] [OUTPUT.png]
# Takes the README's screenshot: both programs side by side during an exercise run,
# on a virtual display. Kestrava and the virtual mixer talk over 127.0.0.1:10023;
# xdotool clicks Confirm IP and START as an operator would, and ImageMagick captures
# the screen some seconds into the run. Defaults: build/debug, docs/screenshot.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/debug}")
output=$(realpath -m "${2:-$root/docs/screenshot.png}")
# Seconds from START to the capture: pass 2's sweeps, the faders at both ends of travel.
seconds_into_run=36

if [ -z "${KESTRAVA_SCREENSHOT_DISPLAY:-}" ]; then
  exec env KESTRAVA_SCREENSHOT_DISPLAY=1 \
    xvfb-run -a -s '-screen 0 1920x600x24' "$0" "$build" "$output"
fi

kestrava=$build/src/ui/qt/kestrava
mixer=$build/tools/virtual-mixer/virtual-mixer
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The settings file with 127.0.0.1, as make run writes it.
for n in 127 0 0 1; do
  # shellcheck disable=SC2059  # the format is the byte itself
  printf "\\$(printf '%03o' "$n")\\000\\000\\000\\000\\000\\000\\000"
done >"$work/config.cfg"

window_of() {
  timeout 20 xdotool search --sync --onlyvisible --name "$1" | head -n 1
}

"$mixer" --listen 127.0.0.1:10023 >"$work/mixer.out" 2>&1 &
pids+=($!)
mixer_window=$(window_of '^Virtual mixer .* 127\.0\.0\.1:10023$')
(cd "$work" && exec "$kestrava") &
pids+=($!)
kestrava_window=$(window_of '^Kestrava - ')

# Side by side, so that neither hides the other.
size_of() {
  xdotool getwindowgeometry --shell "$1" | sed -n 's/^WIDTH=//p; s/^HEIGHT=//p' | paste -sd' '
}
read -r kestrava_width kestrava_height < <(size_of "$kestrava_window")
read -r mixer_width mixer_height < <(size_of "$mixer_window")
margin=16
xdotool windowmove "$kestrava_window" 0 0
xdotool windowmove "$mixer_window" "$((kestrava_width + margin))" 0
sleep 1

# Confirm IP (x 20, y 65, 130 x 24), then START (x 20, y 112, 390 x 30), by the window's
# own coordinates.
xdotool mousemove --window "$kestrava_window" 85 77 click 1
sleep 2
xdotool mousemove --window "$kestrava_window" 215 127 click 1
xdotool mousemove 0 0
sleep "$seconds_into_run"

import -window "$kestrava_window" "$work/kestrava.png"
import -window "$mixer_window" "$work/mixer.png"
width=$((margin * 3 + kestrava_width + mixer_width))
height=$((margin * 2 + (kestrava_height > mixer_height ? kestrava_height : mixer_height)))
mkdir -p "$(dirname "$output")"
convert -size "${width}x$height" xc:'#3b4252' \
  "$work/kestrava.png" -geometry "+$margin+$margin" -composite \
  "$work/mixer.png" -geometry "+$((margin * 2 + kestrava_width))+$margin" -composite \
  -strip -define png:exclude-chunks=date,time "$output"
echo "screenshot: $output (${width}x$height)"
