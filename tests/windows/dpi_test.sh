#!/usr/bin/env bash
# Runs the DPI and sizing tests of skyloom_win_tests.exe in Wine prefixes of
# their own whose screen is 144 and 192 dpi (LogPixels, which Wine 8 reports
# as the system's and every window's DPI). Each prefix is made once, from
# the test prefix when there is one, and kept beside the build.
# Usage: dpi_test.sh path/to/skyloom_win_tests.exe prefix-directory-stem
set -euo pipefail
exe=$1
stem=$2
base=${WINEPREFIX:-$HOME/.wine}
status=0

# A screen of its own, large enough for the default window at 192 dpi (the
# system keeps a window that does not fit inside the screen).
. "$(dirname "$0")/../../scripts/lib/common.sh"
unset DISPLAY
XVFB_SCREEN=2600x1700x24 xvfb_start
trap xvfb_stop EXIT
for dpi in 144 192; do
  prefix=$stem-$dpi
  if [ ! -f "$prefix/system.reg" ]; then
    rm -rf "$prefix"
    if [ -f "$base/system.reg" ]; then
      WINEPREFIX=$base wineserver -w 2>/dev/null || true
      cp -a "$base" "$prefix"
    else
      mkdir -p "$prefix"
      WINEPREFIX=$prefix wineboot -i >/dev/null 2>&1 || true
    fi
    WINEPREFIX=$prefix wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
      /d "$dpi" /f >/dev/null 2>&1
    WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
  fi
  echo "== LogPixels $dpi"
  WINEPREFIX=$prefix wine "$exe" --gtest_filter='DpiTest.*:SizingTest.*' || status=1
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
done
exit $status
