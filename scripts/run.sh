#!/usr/bin/env bash
# Usage: run.sh KESTRAVA VIRTUAL-MIXER
# Starts the virtual mixer on 127.0.0.1:10023 in the background, then Kestrava in run/,
# where it keeps its config.cfg (written with 127.0.0.1 when there is none yet). The
# mixer is stopped when Kestrava exits.
set -euo pipefail
program=$(realpath "$1")
mixer=$(realpath "$2")
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "kestrava: no display found (DISPLAY is not set); run it under a virtual display: xvfb-run -a make run" >&2
  exit 1
fi
mkdir -p run
cd run

# The settings file holds the four numbers of the address as signed 64-bit
# little-endian integers.
if [ ! -e config.cfg ]; then
  for n in 127 0 0 1; do
    printf "\\$(printf '%03o' "$n")\\000\\000\\000\\000\\000\\000\\000"
  done >config.cfg
fi

"$mixer" --listen 127.0.0.1:10023 &
mixer_pid=$!
stop_mixer() {
  kill "$mixer_pid" 2>/dev/null || true
  wait "$mixer_pid" 2>/dev/null || true
}
trap stop_mixer EXIT
trap 'exit 130' INT TERM

"$program"
