#!/usr/bin/env bash
# The Qt program on a real X display (Xvfb): its window appears with the exact title
# and a 432 x 240 client area, and it keeps running until it is asked to close.
# Usage: under-xvfb.sh KESTRAVA
set -euo pipefail
program=$(realpath "$1")
if [ "${2:-}" != inside ]; then
  exec xvfb-run -a -s '-screen 0 1024x768x24' "$0" "$program" inside
fi
dir=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$dir"' EXIT
# A stored address, as the program's own settings file holds it.
for n in 127 46 0 1; do printf "\\$(printf '%03o' "$n")\\000\\000\\000\\000\\000\\000\\000"; done >"$dir/config.cfg"
cp "$dir/config.cfg" "$dir/stored"
cd "$dir"
"$program" &
pid=$!
title='Kestrava - Behringer X32 Compact replaced fader test'
window=$(timeout 30 xdotool search --sync --onlyvisible --name "^${title}\$" | head -n 1)
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
echo "window $window: $geometry"
[ "$geometry" = "432x240" ] || { echo "client area is $geometry, not 432x240" >&2; exit 1; }
sleep 2
kill -0 "$pid" || { echo "the program ended by itself" >&2; exit 1; }
# The settings file is only read.
cmp -s config.cfg stored || { echo "config.cfg changed" >&2; exit 1; }
echo "ok"
