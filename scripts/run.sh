#!/usr/bin/env bash
# Starts the program in run/, where it keeps its config.cfg.
set -euo pipefail
program=$(realpath "$1")
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "kestrava: no display found (DISPLAY is not set); run it under a virtual display: xvfb-run -a make run" >&2
  exit 1
fi
mkdir -p run
cd run
exec "$program"
