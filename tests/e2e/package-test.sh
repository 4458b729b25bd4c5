#!/usr/bin/env bash
# shellcheck disable=SC2317  # the check functions are called through check()
# Usage: package-test.sh BUILD_DIR
# Checks the Debian package that CPack made in BUILD_DIR: its files, the dependencies
# that dpkg-shlibdeps computed, the menu entries, icons and AppStream metainfo. Then, as
# root only, installs it with dpkg after installing its dependencies with apt-get,
# starts kestrava and virtual-mixer from their menu entries' Exec commands on a virtual
# display, and removes it again unless it was installed before.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
app_id=org.example.Kestrava

# launch ENTRY WINDOW-NAME-REGEX EXE [CWD]: under a display, starts the Exec command of
# the desktop entry ENTRY in a clean environment, waits for its window, and checks the
# process's executable (and working directory); then stops it.
if [ "${1:-}" = launch ]; then
  entry=$2 window=$3 exe=$4 cwd=${5:-}
  exec_line=$(sed -n 's/^Exec=//p' "$entry")
  case $exec_line in
    *[%\"\'\\]*) echo "Exec with field codes or quoting is not handled here: $exec_line" >&2; exit 1 ;;
  esac
  read -r -a command <<<"$exec_line"
  home=$(mktemp -d)
  env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 DISPLAY="$DISPLAY" \
    XAUTHORITY="${XAUTHORITY:-}" "${command[@]}" >"$home/output" 2>&1 &
  pid=$!
  status=0
  if ! timeout 30 xdotool search --sync --onlyvisible --name "$window" >/dev/null; then
    echo "no window named /$window/ appeared" >&2
    status=1
  elif ! kill -0 "$pid" 2>/dev/null; then
    echo "the program ended" >&2
    status=1
  elif [ "$(readlink "/proc/$pid/exe")" != "$exe" ]; then
    echo "the process runs $(readlink "/proc/$pid/exe"), not $exe" >&2
    status=1
  elif [ -n "$cwd" ] && [ "$(readlink "/proc/$pid/cwd")" != "$home/$cwd" ]; then
    echo "it runs in $(readlink "/proc/$pid/cwd"), not in $home/$cwd" >&2
    status=1
  fi
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if [ $status -ne 0 ]; then
    sed 's/^/  | /' "$home/output" >&2
  fi
  rm -rf "$home"
  exit $status
fi

build_dir=${1:?usage: package-test.sh BUILD_DIR}
passed=0
failed=0
check() {
  local name=$1
  shift
  if "$@"; then
    echo "package: ok: $name"
    passed=$((passed + 1))
  else
    echo "package: FAILED: $name" >&2
    failed=$((failed + 1))
  fi
}
finish() {
  echo "package: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit $?
}

shopt -s nullglob
debs=("$build_dir"/kestrava_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "package: FAILED: expected one kestrava_*.deb in $build_dir, found ${#debs[@]}" >&2
  exit 1
fi
deb=${debs[0]}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/root"

expected_files() {
  echo /usr/bin/kestrava
  echo /usr/bin/virtual-mixer
  echo /usr/libexec/kestrava/start-kestrava
  echo "/usr/share/applications/$app_id.desktop"
  echo "/usr/share/applications/$app_id.VirtualMixer.desktop"
  echo "/usr/share/metainfo/$app_id.metainfo.xml"
  for size in 16 22 24 32 48 64 128 256; do
    echo "/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png"
  done
}
files_are_exactly_the_expected_ones() {
  diff <(expected_files | sort) <(cd "$work/root" && find . -type f | sed 's/^\.//' | sort)
}
# "libc6 (>= 2.34), libqt6core6 (>= 6.4.0) | other, ..." -> the first name of each.
dependency_names() {
  dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/|.*//; s/(.*)//; s/ //g'
}
depends_computed_by_shlibdeps() {
  local names lib
  names=$(dependency_names)
  echo "  Depends: $(dpkg-deb -f "$deb" Depends)"
  for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6; do
    grep -qxF "$lib" <<<"$names" || { echo "  $lib missing" >&2; return 1; }
  done
}
icons_have_their_sizes() {
  local size actual
  for size in 16 22 24 32 48 64 128 256; do
    actual=$(identify -format '%wx%h' "$work/root/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png")
    [ "$actual" = "${size}x$size" ] || { echo "  ${size}x$size icon is $actual" >&2; return 1; }
  done
}
menu_entries_run_packaged_programs() {
  local launcher
  launcher=$(sed -n 's/^Exec=//p' "$work/root/usr/share/applications/$app_id.desktop")
  [ -x "$work/root$launcher" ] || { echo "  $launcher is not in the package" >&2; return 1; }
  grep -q '^exec "/usr/bin/kestrava"$' "$work/root$launcher" &&
    grep -qx 'Exec=virtual-mixer' "$work/root/usr/share/applications/$app_id.VirtualMixer.desktop"
}
binaries_carry_no_build_tree_runpath() {
  ! readelf -d "$work/root/usr/bin/kestrava" "$work/root/usr/bin/virtual-mixer" | grep -Eq 'RUNPATH|RPATH'
}

check "the package holds exactly the expected files" files_are_exactly_the_expected_ones
check "dependencies computed by dpkg-shlibdeps" depends_computed_by_shlibdeps
check "desktop-file-validate accepts both menu entries" \
  desktop-file-validate "$work/root/usr/share/applications/$app_id.desktop" \
  "$work/root/usr/share/applications/$app_id.VirtualMixer.desktop"
check "appstreamcli validate --no-net accepts the metainfo" \
  appstreamcli validate --no-net "$work/root/usr/share/metainfo/$app_id.metainfo.xml"
check "appstreamcli validate-tree --no-net accepts the installed tree" \
  appstreamcli validate-tree --no-net "$work/root"
check "hicolor icons have their sizes" icons_have_their_sizes
check "the menu entries run the packaged programs" menu_entries_run_packaged_programs
check "the binaries carry no RUNPATH (Debian policy)" binaries_carry_no_build_tree_runpath

if [ "$(id -u)" -ne 0 ]; then
  echo "package: skipped installing the package: that needs root (CI runs as root)"
  finish
fi

was_installed=no
if dpkg-query -W -f='${Status}' kestrava 2>/dev/null | grep -q 'install ok installed'; then
  was_installed=yes
fi
remove_package() {
  if [ "$was_installed" = no ]; then
    dpkg -r kestrava >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap remove_package EXIT

install_with_dependencies() {
  local names
  names=$(dependency_names)
  local apt=(apt-get -o DPkg::Lock::Timeout=120 -y -qq --no-install-recommends)
  # shellcheck disable=SC2086
  if ! DEBIAN_FRONTEND=noninteractive "${apt[@]}" install $names >/dev/null; then
    "${apt[@]}" update &&
      DEBIAN_FRONTEND=noninteractive "${apt[@]}" install $names >/dev/null
  fi
  # dpkg does not wait for another package manager to finish.
  local tries=0
  until dpkg -i "$deb" >/dev/null; do
    tries=$((tries + 1))
    [ "$tries" -lt 24 ] || return 1
    sleep 5
  done
  dpkg-query -W -f='${Status}' kestrava | grep -q 'install ok installed'
}
libraries_resolve() {
  ! ldd /usr/bin/kestrava /usr/bin/virtual-mixer | grep 'not found'
}
launch() {
  xvfb-run -a -s '-screen 0 1280x800x24' "$here/package-test.sh" launch "$@"
}

check "dpkg -i after apt-get install of its dependencies" install_with_dependencies
check "the installed programs find every library" libraries_resolve
check "kestrava starts from its menu entry, in its settings folder" \
  launch "/usr/share/applications/$app_id.desktop" '^Kestrava - ' /usr/bin/kestrava .config/kestrava
check "virtual-mixer starts from its menu entry" \
  launch "/usr/share/applications/$app_id.VirtualMixer.desktop" \
  '^Virtual mixer .* 127\.0\.0\.1:10023$' /usr/bin/virtual-mixer
finish
