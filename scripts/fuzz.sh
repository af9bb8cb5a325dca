#!/usr/bin/env bash
# Runs the libFuzzer target over the framer and the sentence intake for a
# bounded time, seeded from the receiver captures. Fails on any crash, leak,
# timeout or sanitizer report. Needs build_fuzz first (scripts/test.sh does it).
# Usage: scripts/fuzz.sh [SECONDS]   (default 60)
set -euo pipefail
. "$(dirname "$0")/lib/common.sh"

seconds=${1:-60}
case $seconds in
  '' | *[!0-9]*) die "fuzz.sh: SECONDS must be a whole number, got '$seconds'" ;;
esac
fuzzer=$BUILD_ROOT/fuzz/fuzz/skyloom_intake_fuzzer
[ -x "$fuzzer" ] || die "no fuzz target at $fuzzer (run build_fuzz from scripts/lib/common.sh)"

# Corpus, crash artifacts and logs live in a temporary directory, never in the
# repository.
work=$(mktemp -d "${TMPDIR:-/tmp}/skyloom-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/seeds"

# Seeds: each capture cut into pieces of at most 4 KB at line ends, so the
# fuzzer starts from real receiver output of a size it mutates quickly. The two
# leading bytes are the target's clock pace and zone.
n=0
for capture in "$SKYLOOM_ROOT"/tests/data/captures/*.pgl "$SKYLOOM_ROOT"/tests/data/recordings/*.pgl; do
  [ -f "$capture" ] || continue
  n=$((n + 1))
  split -C 4000 -d -a 3 "$capture" "$work/seeds/s$n-"
done
for piece in "$work"/seeds/*; do
  { printf '\x02\x8a'; cat "$piece"; } >"$piece.seed"
  rm -f "$piece"
done
log "fuzzing for ${seconds} s from $(ls "$work/seeds" | wc -l) seeds"

status=0
(cd "$work" && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  "$fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/" corpus seeds >"$work/fuzz.log" 2>&1) || status=$?

if [ $status -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$work/fuzz.log"; then
  tail -n 60 "$work/fuzz.log" >&2
  for crash in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
    [ -f "$crash" ] && { echo "reproducer (base64) of $(basename "$crash"):" >&2; base64 "$crash" >&2; }
  done
  die "fuzzing found a fault (exit $status)"
fi
grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)|cov: ' "$work/fuzz.log" | tail -n 3 >&2
log "fuzzing: no fault in ${seconds} s"
