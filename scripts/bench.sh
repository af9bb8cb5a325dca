#!/usr/bin/env bash
# Benchmarks on an optimised build: the intake per line and the position
# statistics over a million fixes (Google Benchmark), and
# a whole-process timing of skyloom-decode on a generated 200,000-cycle stream
# (1.8 million lines) with its JSON Lines going to /dev/null. Prints medians.
# Usage: scripts/bench.sh [RUNS]   (default 5)
set -euo pipefail
. "$(dirname "$0")/lib/common.sh"

runs=${1:-5}
require_count "bench.sh: RUNS" "$runs"
ensure_packages time  # /usr/bin/time for the CPU time of one process
build_release
dir=$BUILD_ROOT/release

stream=$dir/bench/stream-200000.pgl
if [ ! -s "$stream" ] || [ "$dir/tools/skyloom_gen/skyloom-gen" -nt "$stream" ]; then
  log "generating $stream"
  "$dir/tools/skyloom_gen/skyloom-gen" 200000 "$stream.tmp" && mv "$stream.tmp" "$stream"
fi
log "stream: $(wc -l <"$stream") lines, $(($(stat -c %s "$stream") / 1000000)) MB"

log "intake per line (median of $runs repetitions)"
"$dir/bench/skyloom_bench" --benchmark_repetitions="$runs" \
  --benchmark_report_aggregates_only=true 2>/dev/null | grep -E '^(Benchmark|-|BM_.*_median)'

log "position statistics over a million fixes (median of $runs repetitions)"
"$dir/bench/skyloom_position_bench" --benchmark_repetitions="$runs" \
  --benchmark_report_aggregates_only=true 2>/dev/null | grep -E '^(Benchmark|-|BM_.*_median)'

log "skyloom-decode, whole process, JSON Lines to /dev/null ($runs runs)"
# Wall time, and the process's own CPU time (user + system): on a shared
# machine the wall time also counts the waits for a free core.
walls=()
cpus=()
for _ in $(seq "$runs"); do
  t=$( { /usr/bin/time -f '%e %U %S' "$dir/tools/skyloom_decode/skyloom-decode" --utc-offset=0 \
    "$stream" >/dev/null; } 2>&1 | tail -n 1)
  read -r wall user sys <<<"$t"
  walls+=("$wall")
  cpus+=("$(awk -v u="$user" -v s="$sys" 'BEGIN {printf "%.2f", u + s}')")
done
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
echo "skyloom-decode wall (s): ${walls[*]}"
echo "skyloom-decode cpu  (s): ${cpus[*]}"
echo "skyloom-decode median: $(median "${walls[@]}") s wall, $(median "${cpus[@]}") s cpu," \
  "$(wc -l <"$stream") lines; load average now: $(cut -d' ' -f1-3 /proc/loadavg)"
