#!/usr/bin/env bash
# Checks what kestrava.exe is made of, from its PE headers: the GUI subsystem, icon
# group 1, one manifest selecting the version 6 common controls (with no execution
# level and no DPI awareness), and imports from DLLs of Windows itself only.
set -euo pipefail
exe=$1
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
headers=$("$objdump" -p "$exe")
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

grep -Eq '^Subsystem[[:space:]]+00000002[[:space:]]+\(Windows GUI\)' <<<"$headers" ||
  fail "not the Windows GUI subsystem"

# The resource directory as objdump prints it: a type entry, its name entries, their
# language entries. Collect "type/name" pairs.
resources=$(awk '
  /The .rsrc Resource Directory section/ { in_rsrc = 1; next }
  in_rsrc && /Entry: ID:/ {
    match($0, /^[0-9a-f]+ +/)
    depth = RLENGTH - length($1)
    id = $0; sub(/.*ID: 0x0*/, "", id); sub(/,.*/, "", id)
    if (depth == 3) { type = id } else if (depth == 5) { print type "/" id }
  }' <<<"$headers" | sort -u)
echo "resources (type/name, hex): $(tr '\n' ' ' <<<"$resources")"
grep -qx 'e/1' <<<"$resources" || fail "no icon group 1 (RT_GROUP_ICON 14, name 1)"
[ "$(grep -c '^18/' <<<"$resources" || true)" -eq 1 ] || fail "not exactly one manifest (RT_MANIFEST 24)"
grep -qx '18/1' <<<"$resources" || fail "the manifest is not resource 1"

manifest=$(strings -n 8 "$exe" | sed -n '/<assembly /,/<\/assembly>/p')
grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' <<<"$(tr -s ' \n' ' ' <<<"$manifest")" ||
  fail "the manifest does not select Common-Controls 6.0.0.0"
grep -q 'processorArchitecture="amd64"' <<<"$manifest" || fail "the manifest is not for amd64"
for absent in requestedExecutionLevel dpiAware dpiAwareness; do
  if grep -q "$absent" <<<"$manifest"; then fail "the manifest declares $absent"; fi
done

# DLLs that every Windows 10/11 installation has; nothing from the compiler.
system_dlls='^(kernel32|user32|gdi32|comctl32|shell32|ole32|ws2_32|winmm|msvcrt|advapi32)\.dll$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort -u)
echo "imports: $(tr '\n' ' ' <<<"$imports")"
while read -r dll; do
  [ -z "$dll" ] || grep -Eq "$system_dlls" <<<"$dll" || fail "imports $dll, which is not part of Windows"
done <<<"$imports"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "kestrava.exe: GUI subsystem, icon group 1, manifest, system DLLs only"
