#!/usr/bin/env bash
# The Windows stage: cross-builds the programs and tests with the windows
# preset (MinGW-w64) and runs every test under Wine, in a fresh Wine prefix
# made once per run, with one Wine server kept alive for the whole run so
# that each test process starts in milliseconds.  Then the Windows
# DeprLinkStd's reports are compared with the Linux build's, and the whole
# run through bokctl.exe run with its host window with the Linux host
# stand-in's (scripts/e2e-windows.sh).
#
# Everything under Wine runs on one virtual display, the Wine server's
# whole life long: a server that outlives its display keeps a desktop
# bound to a dead X connection, and the next program's windows cannot be
# made.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != --under-display ]; then
  scripts/install-deps.sh
  jobs=$(nproc)
  echo "== windows: configure and build"
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$jobs"
  cmake --build --preset windows --target package
  # The Linux programs, for the reports and runs to compare with.
  cmake --preset default >/dev/null
  cmake --build --preset default -j "$jobs" --target bokctl DeprLinkStd DeprLinkPro
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$PWD/scripts/test-windows.sh" --under-display
fi

jobs=$(nproc)
build=build/windows

# The environment of the test preset, also for wineboot and the server:
# a Japanese locale, so that Wine's ANSI code page is 932.
export WINEPREFIX=$PWD/$build/wine
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

echo "== windows: fresh Wine prefix"
# A server left on this prefix by an earlier run goes first, and so do the
# drives mounted for it.
# It saves its registry as it ends, so the prefix goes only once it has.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
if [[ -d $WINEPREFIX ]]; then scripts/wine-drives.sh --remove; fi
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
# The server outlives this script's pipes only when its output goes
# elsewhere; it is ended when the script ends, whatever happens.
wineserver -p </dev/null >"$build/wineserver.log" 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true; scripts/wine-drives.sh --remove' EXIT
wineboot -i </dev/null >"$build/wineboot.log" 2>&1
# The removable, CD-ROM, network, read-only, small and full drives.
scripts/wine-drives.sh

echo "== windows: tests under Wine"
ctest --preset windows -j "$jobs"

echo "== windows: reports against the Linux build's"
scripts/compare-reports.sh

echo "== windows: whole runs through bokctl.exe run against the Linux host stand-in's"
scripts/e2e-windows.sh
