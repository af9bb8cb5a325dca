#!/usr/bin/env bash
# Benchmarks of the whole window under Wine on Xvfb (on demand; not part of
# scripts/test.sh):
#   playback  a generated 40,000-line recording (speeds below 100 km/h) played
#             through the real window, long enough for the console to be
#             emptied 19 times: lines per second from the first line handled
#             to the last one painted, and the time per line by part; once
#             with the window at its default size, once at 1200 x 900.
#   live      a full console, then Start GPS pressed on skyloom-sim at 115200
#             baud, 10 cycles a second of a four-system receiver, for SECONDS
#             (default 60) with the log file on: every line the simulator sent
#             must be in the log file, in order; and how far the newest line
#             on screen lags behind the clock.
# In both, a second thread asks the window for its caption every 100 ms, as
# another program would: the worst and 99th-percentile answer times say how
# long the window was deaf to the user.
#   ports     the live port (skyloom-sim at 115200 baud) opened and closed
#             OPENCLOSE times (default 1000) through the Start button, then
#             pulled (its socat ended) and given back PULLS times (default
#             100): hangs, readers left running, the process's threads, GDI
#             objects and handles at the end against the start, and the
#             longest time the window did not answer.
#   paint     one paint of the status panel with 48 satellites, at the
#             default size and large at 96, 144 and 192 dpi (PAINTS times
#             each, default 500): median, mean, 99th percentile and worst.
#   network   the same receiver as live, once as skyloom-sim --tcp-listen
#             through a TCP source and once on a pseudo-terminal port, for
#             SECONDS each: lines per second side by side; then the bad
#             network cases (a host that does not resolve, a port out of
#             range, 50 MB without a line feed, NUL bytes and binary, a server
#             that never sends), the probe running in each.
# Usage: scripts/bench-wine.sh [playback|live|network|paint|all] [SECONDS]
#        scripts/bench-wine.sh paint [PAINTS]
#        scripts/bench-wine.sh ports [OPENCLOSE [PULLS]]
# SKYLOOM_WINDOW_BENCH=EXE runs that benchmark executable instead of building
# one (e.g. one built from an earlier commit, for a before/after comparison).
set -euo pipefail
. "$(dirname "$0")/lib/common.sh"
. "$(dirname "$0")/lib/serial_port.sh"

what=${1:-all}
seconds=${2:-60}
case $what in playback | live | network | ports | paint | all) ;; *) die "bench-wine.sh: playback, live, network, ports, paint or all" ;; esac
case $seconds in '' | *[!0-9]* | 0) die "bench-wine.sh: SECONDS must be a positive whole number" ;; esac

ensure_packages
build_windows
WIN=$BUILD_ROOT/win
BENCH=${SKYLOOM_WINDOW_BENCH:-$WIN/bench/wine/skyloom-window-bench.exe}
SIM=$WIN/tests/e2e/host/skyloom-sim
DIR=$BUILD_ROOT/bench-wine
mkdir -p "$DIR"
[ -f "$BENCH" ] || die "no $BENCH after the build"

# A prefix of its own: the COM port it registers stays out of the tests' prefix.
export WINEPREFIX="$BUILD_ROOT/wineprefix-bench"
SIM_PID=""
cleanup() {
  set +e
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
  wineserver -k 2>/dev/null
  serial_pty_stop
  xvfb_stop
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# Room for the window at 1200 x 900.
export XVFB_SCREEN=${XVFB_SCREEN:-1400x1000x24}
xvfb_start
wine_prefix_setup

if [ "$what" = playback ] || [ "$what" = all ]; then
  rec=$DIR/playback-40000.pgl
  if [ ! -s "$rec" ]; then
    # 9 lines a cycle; the generator keeps to road speeds (at most 50 knots).
    wine "$WIN/tools/skyloom_gen/skyloom-gen.exe" 4445 - 2>/dev/null | head -n 40000 >"$rec.tmp"
    mv "$rec.tmp" "$rec"
  fi
  log "playback: $(wc -l <"$rec") lines"
  log "playback: the window at its default size"
  wine "$BENCH" playback "$(winepath -w "$rec" 2>/dev/null)" | tr -d '\r'
  log "playback: the window at 1200 x 900"
  wine "$BENCH" playback "$(winepath -w "$rec" 2>/dev/null)" 1200x900 | tr -d '\r'
fi
if [ "$what" = paint ] || [ "$what" = all ]; then
  paints=500
  [ "$what" = paint ] && paints=${2:-500}
  wine "$WIN/bench/wine/skyloom-paint-bench.exe" "$paints" | tr -d '\r'
fi

if [ "$what" = live ] || [ "$what" = network ] || [ "$what" = all ]; then
  COM=7
  serial_pty_start "$DIR/pty"
  wine_com_port_register $COM "$DIR/pty/gps_dev"
  sent=$DIR/sim-sent.txt
  logname=bench-live
  logfile=$(dirname "$BENCH")/${logname}_log.txt
  rm -f "$sent" "$logfile"
  # The viewer opens the port first (after filling its console); the receiver
  # starts once it has, so the first line it sends is the first one the
  # reader can see.
  wine "$BENCH" live COM$COM $((seconds + 4)) $logname >"$DIR/live.out" 2>&1 &
  bench_pid=$!
  for _ in $(seq 1 300); do
    grep -q "^live: COM$COM open" "$DIR/live.out" 2>/dev/null && break
    kill -0 "$bench_pid" 2>/dev/null || break
    sleep 0.1
  done
  "$SIM" --baud 115200 --rate-hz 10 --systems GP,GL,GA,BD --fix-after 0 \
    --duration "$seconds" --log-sent "$sent" "$DIR/pty/gps_host" >"$DIR/sim.out" 2>&1 &
  SIM_PID=$!
  wait "$SIM_PID" || true
  SIM_PID=""
  wait "$bench_pid" || true
  tr -d '\r' <"$DIR/live.out"
  python3 - "$sent" "$logfile" <<'PY'
import sys
sent = open(sys.argv[1], 'rb').read().split(b'\n')
sent = [l + b'\n' for l in sent[:-1]]  # only lines that the line feed ended
logged = open(sys.argv[2], 'rb').read()
if logged[:2] == b'\xff\xfe':
    logged = logged[2:]
text = logged.decode('utf-16-le', errors='replace')
got = [l + '\n' for l in text.split('\n')[:-1]]
want = [l.decode('latin-1') for l in sent]
# Every sent line in the log, in order: the longest common run from the start.
missing, j = [], 0
for i, line in enumerate(want):
    k = j
    while k < len(got) and got[k] != line:
        k += 1
    if k == len(got):
        missing.append(i)
    else:
        j = k + 1
print(f"live: {len(want)} lines sent, {len(got)} logged, {len(missing)} sent lines "
      f"missing from the log (in order)")
if missing[:5]:
    print("live: first missing:", [want[i].strip() for i in missing[:5]])
PY
fi

if [ "$what" = network ] || [ "$what" = all ]; then
  # The same receiver as live, served by skyloom-sim over TCP on loopback;
  # the simulator starts sending once the viewer has connected.
  tcp_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  "$SIM" --tcp-listen "$tcp_port" --baud 115200 --rate-hz 10 --systems GP,GL,GA,BD \
    --fix-after 0 --duration "$seconds" >"$DIR/sim-tcp.out" 2>&1 &
  SIM_PID=$!
  wine "$BENCH" live "tcp://127.0.0.1:$tcp_port" $((seconds + 4)) bench-tcp >"$DIR/live-tcp.out" 2>&1 || true
  wait "$SIM_PID" || true
  SIM_PID=""
  tr -d '\r' <"$DIR/live-tcp.out" | sed 's/^live:/tcp:/'
  rate_of() { tr -d '\r' <"$1" | sed -n 's/.* lines handled in .* (\([0-9]*\) lines\/s)$/\1/p'; }
  echo "network: lines per second, TCP source $(rate_of "$DIR/live-tcp.out") against pseudo-terminal port $(rate_of "$DIR/live.out") (the same simulated receiver, 115200 baud, 10 Hz, four systems)"
  log "network: bad cases"
  wine "$BENCH" bad-servers 2>&1 | tr -d '\r'
fi

if [ "$what" = ports ] || [ "$what" = all ]; then
  open_close=1000 pulls=100
  if [ "$what" = ports ]; then open_close=${2:-1000} pulls=${3:-100}; fi
  case $open_close$pulls in *[!0-9]*) die "bench-wine.sh: OPENCLOSE and PULLS are whole numbers" ;; esac
  PORT_BENCH=$WIN/bench/wine/skyloom-port-bench.exe
  [ -f "$PORT_BENCH" ] || die "no $PORT_BENCH after the build"
  COM=8
  pdir=$DIR/ports
  ctl=$pdir/control
  mkdir -p "$ctl"
  rm -f "$ctl"/*
  serial_pty_stop
  serial_pty_start "$pdir"
  wine_com_port_register $COM "$pdir/gps_dev" "Skyloom Bench GPS"
  start_receiver() {
    "$SIM" --baud 115200 --fix-after 0 "$pdir/gps_host" >>"$pdir/sim.out" 2>&1 &
    SIM_PID=$!
  }
  start_receiver
  log "ports: $open_close open/close cycles, $pulls pulls on COM$COM"
  wine "$PORT_BENCH" COM$COM "$open_close" "$pulls" "$(winepath -w "$ctl" 2>/dev/null)" \
    >"$pdir/bench.out" 2>&1 &
  bench_pid=$!
  # The bench asks for the cable to be pulled or given back by creating a
  # file, and waits until it is gone again.
  while kill -0 "$bench_pid" 2>/dev/null; do
    if [ -e "$ctl/pull" ]; then
      serial_pty_stop
      wait "$SIM_PID" 2>/dev/null || true
      SIM_PID=""
      rm -f "$ctl/pull"
    fi
    if [ -e "$ctl/return" ]; then
      serial_pty_start "$pdir"
      start_receiver
      rm -f "$ctl/return"
    fi
    sleep 0.05
  done
  wait "$bench_pid" || true
  tr -d '\r' <"$pdir/bench.out"
fi
