#!/usr/bin/env bash
# Runs a command of the Windows tests (usually ctest) the way they are meant to run:
# - in a network namespace of its own with only loopback, where the system allows one:
#   Wine 8 binds a UDP socket aimed at a 127.x.y.z address to every address of its
#   port, so the loopback tests under Wine would otherwise meet other tests' sockets;
# - on a virtual display when there is none;
# - with the Wine prefix $WINEPREFIX created first, and served by a wineserver of
#   this namespace (the server makes the sockets), ended afterwards.
# Usage: WINEPREFIX=... run-isolated.sh COMMAND...
set -euo pipefail
: "${WINEPREFIX:?set WINEPREFIX to the build directory Wine prefix}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ -z "${KESTRAVA_ISOLATED:-}" ]; then
  export KESTRAVA_ISOLATED=1
  # A server of this prefix left running elsewhere would make the sockets out there.
  wineserver -k 2>/dev/null || true
  if unshare --net true 2>/dev/null && command -v ip >/dev/null; then
    # A display reached over the network would be out of reach in there.
    unset DISPLAY
    # shellcheck disable=SC2016  # expanded by the inner shell
    exec unshare --net bash -c 'ip link set lo up && exec "$0" "$@"' "$0" "$@"
  fi
  echo "note: no network namespace available; the Wine tests share this machine's loopback" >&2
fi
if [ -z "${DISPLAY:-}" ]; then
  exec "$(dirname "$0")/with-display.sh" "$0" "$@"
fi

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || wine=wine
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX"
  "$wine" wineboot --init
  # No window manager runs here: Wine draws the frames itself and does not wait
  # for a window manager to take a window down.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
fi
status=0
"$@" || status=$?
wineserver -k 2>/dev/null || true
exit "$status"
