#!/usr/bin/env bash
# Runs a command on the current display, or on a virtual one started for it.
set -euo pipefail
if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"
