#!/usr/bin/env bash
# The main job: Skyloom live on a simulated receiver.
#
# Builds the Windows program and the simulated receiver (skyloom-sim), makes a
# Wine prefix of its own with a pseudo-terminal mapped to COM5 and listed as a
# device "Skyloom Simulated GPS (COM5)", starts skyloom-sim on the other end and
# the viewer in a Wine virtual desktop.
#   - With a usable display you press "Start GPS" yourself; closing the viewer
#     ends the run.
#   - Without one (or with --headless) it runs on Xvfb, presses "Start GPS"
#     itself, waits for the first fix, saves a screenshot and closes everything.
#
# With --source tcp the simulated receiver is a TCP server on the loopback
# address instead (skyloom-sim --tcp-listen), and the viewer is started with
# its address on the command line, so it connects at once.
#
# Usage: scripts/run.sh [--source port|tcp] [--headless] [--screenshot FILE] [--advanced]
#                       [--size WxH] [--position S] [--fix-after S] [--speed KMH] [--wander M]
#                       [--quality Q]
#   --source port|tcp  the receiver on COM5 (default) or on a TCP connection
#   --headless         run on Xvfb even when a display is there
#   --screenshot FILE  where the headless run saves its screenshot
#                      (default: build/skyloom-screenshot.png)
#   --advanced         the headless run shows View > Advanced Controls before
#                      its screenshot, on a taller desktop
#   --size WxH         the headless run makes the window that large (outer size)
#   --position S       the headless run opens Receiver > Position Statistics...
#                      and takes its screenshot S seconds after the first fix,
#                      on a wider desktop
#   --fix-after S      seconds the simulated receiver searches before its fix (default 8)
#   --speed KMH        its ground speed (default 36; above 100 the RMC lines turn green)
#   --wander M         its fix wanders M metres, with GST (default 0)
#   --quality Q        its fix quality: gps, dgps, rtk-float, rtk-fixed (default gps)
set -euo pipefail
. "$(dirname "$0")/lib/common.sh"
. "$(dirname "$0")/lib/serial_port.sh"

headless=0
advanced=0
size=""
screenshot="$BUILD_ROOT/skyloom-screenshot.png"
fix_after=8
speed=36
wander=0
quality=gps
position=0
source_kind=port
while [ $# -gt 0 ]; do
  case "$1" in
    --source) source_kind=${2:?--source needs port or tcp}; shift ;;
    --headless) headless=1 ;;
    --advanced) advanced=1 ;;
    --size) size=${2:?--size needs WIDTHxHEIGHT}; shift ;;
    --screenshot) screenshot=${2:?--screenshot needs a file}; shift ;;
    --fix-after) fix_after=${2:?--fix-after needs seconds}; shift ;;
    --speed) speed=${2:?--speed needs km/h}; shift ;;
    --wander) wander=${2:?--wander needs metres}; shift ;;
    --quality) quality=${2:?--quality needs a quality}; shift ;;
    --position) position=${2:?--position needs seconds}; shift ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) die "unknown option $1 (see --help)" ;;
  esac
  shift
done
case "$screenshot" in /*) ;; *) screenshot="$PWD/$screenshot" ;; esac
case "$source_kind" in port | tcp) ;; *) die "--source is port or tcp, not $source_kind" ;; esac

COM=5
DESKTOP=skyloom
DESKTOP_SIZE=800x700
if [ $advanced -eq 1 ]; then
  # The advanced view's window is taller: room for it and its whole console.
  DESKTOP_SIZE=800x900
  export XVFB_SCREEN=1024x1000x24
fi
if [ "$position" != 0 ]; then
  # The Position Statistics window opens beside the main window.
  DESKTOP_SIZE=1300x680
  export XVFB_SCREEN=1366x768x24
fi
if [ -n "$size" ]; then
  DESKTOP_SIZE=$(( ${size%x*} + 20 ))x$(( ${size#*x} + 20 ))
  export XVFB_SCREEN=$(( ${size%x*} + 100 ))x$(( ${size#*x} + 100 ))x24
fi
RUN_DIR="$BUILD_ROOT/live"
EXE="$BUILD_ROOT/win/app/skyloom.exe"
DRIVER="$BUILD_ROOT/win/tests/e2e/skyloom-driver.exe"
SIM="$BUILD_ROOT/release/tools/skyloom_sim/skyloom-sim"

ensure_packages
build_windows
log "building skyloom-sim for this machine"
cmake -S "$SKYLOOM_ROOT" -B "$BUILD_ROOT/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DSKYLOOM_BENCH=ON -DSKYLOOM_TESTS=OFF >/dev/null || die "cmake configure failed"
cmake --build "$BUILD_ROOT/release" -j "$JOBS" --target skyloom-sim >/dev/null \
  || die "building skyloom-sim failed"
[ -f "$EXE" ] || die "no $EXE after the build"

if [ $headless -eq 1 ]; then
  unset DISPLAY
elif [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  headless=1
fi

# The live run gets a prefix of its own: the COM port and the device it
# registers must not leak into the prefix that the tests use.
export WINEPREFIX="$BUILD_ROOT/wineprefix-live"
SIM_PID=""
VIEWER_PID=""
cleanup() {
  set +e
  [ -n "$VIEWER_PID" ] && kill "$VIEWER_PID" 2>/dev/null
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null
  wineserver -k 2>/dev/null
  [ -n "$SIM_PID" ] && wait "$SIM_PID" 2>/dev/null
  serial_pty_stop
  xvfb_stop
}
trap cleanup EXIT
trap 'exit 130' INT TERM

[ $headless -eq 1 ] && xvfb_start
wine_prefix_setup
mkdir -p "$RUN_DIR"
viewer_args=()
if [ "$source_kind" = tcp ]; then
  TCP_PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  sim_output=(--tcp-listen "$TCP_PORT")
  viewer_args=("tcp://127.0.0.1:$TCP_PORT")
else
  serial_pty_start "$RUN_DIR"
  wine_com_port_register "$COM" "$RUN_DIR/gps_dev" "Skyloom Simulated GPS"
  sim_output=("$RUN_DIR/gps_host")
fi

start_sim() {
  "$SIM" --baud 115200 --fix-after "$fix_after" --speed "$speed" --wander "$wander" \
    --quality "$quality" "${sim_output[@]}" \
    >"$RUN_DIR/sim.log" 2>&1 &
  SIM_PID=$!
}

start_viewer() {
  # The viewer writes its log files beside the executable.
  (cd "$(dirname "$EXE")" &&
    exec wine explorer "/desktop=$DESKTOP,$DESKTOP_SIZE" skyloom.exe "${viewer_args[@]}") \
    >"$RUN_DIR/viewer.log" 2>&1 &
  VIEWER_PID=$!
}

drive() {  # one driver command inside the viewer's virtual desktop; its "ok" answer
  # Wine's own notes can land on standard output too: keep the answer alone.
  wine "$DRIVER" --desktop "$DESKTOP" "$@" 2>/dev/null | tr -d '\r' | grep -a '^ok'
}

if [ "$source_kind" = tcp ]; then
  # The simulated receiver waits for its first client; the viewer connects
  # at start, so the search and the first fix play out from then on.
  start_sim
  if [ $headless -eq 0 ]; then
    start_viewer
    log "Skyloom runs on display $DISPLAY, connected to tcp://127.0.0.1:$TCP_PORT."
    log "Close the Skyloom window to end; everything started here is then stopped."
    wait "$VIEWER_PID" || true
    VIEWER_PID=""
    exit 0
  fi
  log "no display: running on Xvfb ($DISPLAY) against tcp://127.0.0.1:$TCP_PORT"
  start_viewer
  drive find 60000 >/dev/null || die "the Skyloom window did not appear (see $RUN_DIR/viewer.log)"
fi

if [ $headless -eq 0 ]; then
  start_viewer
  log "Skyloom runs on display $DISPLAY with a simulated receiver on COM$COM."
  log "Pick \"Skyloom Simulated GPS (COM5)\" (preselected) and press \"Start GPS\"."
  log "Close the Skyloom window to end; everything started here is then stopped."
  # The receiver is switched on when the port is first opened, so that its
  # search and the time to the first fix play out in front of the user. A
  # driver in the viewer's desktop watches the Start button until then.
  coproc WATCH { wine "$DRIVER" --desktop "$DESKTOP" --serve 2>/dev/null; }
  while kill -0 "$VIEWER_PID" 2>/dev/null; do
    echo "text 1004" >&"${WATCH[1]}" 2>/dev/null || break
    answer=""
    IFS= read -r -t 60 answer <&"${WATCH[0]}" || break
    case "${answer%$'\r'}" in
      'ok Close\sGPS') start_sim; break ;;
      *) sleep 0.5 ;;
    esac
  done
  { echo quit >&"${WATCH[1]}"; } 2>/dev/null || true
  [ -n "$SIM_PID" ] || start_sim
  wait "$VIEWER_PID" || true
  VIEWER_PID=""
  exit 0
fi

if [ "$source_kind" = port ]; then
  log "no display: running on Xvfb ($DISPLAY), pressing Start GPS by itself"
  start_viewer
  drive find 60000 >/dev/null || die "the Skyloom window did not appear (see $RUN_DIR/viewer.log)"
  drive select 1001 8 >/dev/null     # 115200 baud, the simulator's pace
  start_sim                          # the search starts now, so the first fix is measured
  drive click 1004 >/dev/null || die "pressing Start GPS failed"
fi
if [ -n "$size" ]; then
  drive size "${size%x*}" "${size#*x}" >/dev/null || die "the window did not take $size"
fi
[ "$(drive text 1004)" = 'ok Close\sGPS' ] || die "the viewer did not open its source: $(drive text console)"
caption=""
for _ in $(seq 1 120); do
  caption=$(drive caption || true)
  case "$caption" in 'ok Skyloom\s\s'*'\sSec') break ;; esac
  sleep 0.5
done
case "$caption" in 'ok Skyloom\s\s'*'\sSec') ;; *) die "no first fix within a minute ($caption)" ;; esac
caption=${caption#ok }
log "first fix: ${caption//\\s/ }"
if [ $advanced -eq 1 ]; then
  # View > Advanced Controls, as its menu item sends it, and something in the
  # fields a user fills.
  drive send 273 40005 0 >/dev/null || die "the advanced view did not answer"
  drive settext 1022 '$PMTK605*31' >/dev/null
  drive settext 1016 5 >/dev/null
  drive settext 1020 trip1 >/dev/null
fi
if [ "$position" != 0 ]; then
  # Receiver > Position Statistics..., as its menu item sends it.
  drive send 273 40009 0 >/dev/null || die "the Position Statistics window did not open"
  log "measuring the position for $position s"
  sleep "$position"
fi
sleep 3  # a few more cycles fill the panels

mkdir -p "$(dirname "$screenshot")"
window=$(xdotool search --name "^$DESKTOP - " 2>/dev/null | head -n 1 || true)
if [ -n "$window" ]; then
  import -window "$window" "$screenshot"
else
  import -window root -crop "$DESKTOP_SIZE+0+0" "$screenshot"
fi
drive close 10000 >/dev/null || log "the viewer did not close by itself; stopping it"
log "screenshot saved: $screenshot"
echo "$screenshot"
