#!/usr/bin/env bash
# Runs the Port.* tests of skyloom_win_tests.exe against a pseudo-terminal
# pair: one end is the receiver's COM port that the link opens, the other the
# receiver's side that the test drives. The ports are mapped through the
# prefix's dosdevices links, which Wine reads at every open, so the running
# wineserver (and any other test using it) need not restart.
# Usage: link_port_test.sh path/to/skyloom_win_tests.exe [COM number]
set -euo pipefail
exe=$1
number=${2:-27}
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine}  # the prefix wine itself would use

dir=$(mktemp -d)
port=COM$number
peer=COM$((number + 1))
cleanup() {
  [ -n "${watcher_pid:-}" ] && kill "$watcher_pid" 2>/dev/null || true
  [ -n "${socat_pid:-}" ] && kill "$socat_pid" 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/${port,,}" "$WINEPREFIX/dosdevices/${peer,,}"
  rm -rf "$dir"
}
trap cleanup EXIT

socat pty,raw,echo=0,link="$dir/dev" pty,raw,echo=0,link="$dir/host" &
socat_pid=$!
for _ in $(seq 1 50); do
  [ -e "$dir/dev" ] && [ -e "$dir/host" ] && break
  sleep 0.1
done
[ -e "$dir/dev" ] && [ -e "$dir/host" ] || { echo "socat gave no pseudo-terminals" >&2; exit 1; }

mkdir -p "$WINEPREFIX/dosdevices"
ln -sfn "$(readlink -f "$dir/dev")" "$WINEPREFIX/dosdevices/${port,,}"
ln -sfn "$(readlink -f "$dir/host")" "$WINEPREFIX/dosdevices/${peer,,}"

export SKYLOOM_TEST_PORT=$port SKYLOOM_TEST_PEER=$peer
wine "$exe" --gtest_filter='Port.*:PortRecording.*:-Port.PulledCable*'

# The pulled cable comes last: the test asks for it by creating the file
# "pull" in the directory it is given, and the pseudo-terminals go away.
(
  while [ ! -e "$dir/pull" ]; do sleep 0.1; done
  kill "$socat_pid"
  wait "$socat_pid" 2>/dev/null || true
  touch "$dir/pulled"
) &
watcher_pid=$!
SKYLOOM_TEST_CABLE_DIR="Z:$(echo "$dir" | tr / '\\')" wine "$exe" --gtest_filter='Port.PulledCable*'
