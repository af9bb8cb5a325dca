#!/usr/bin/env bash
# Runs the Windows port tests and the end-to-end tests ROUNDS times while two
# busy loops load the machine, the way a shared CI runner is loaded, and tells
# how many rounds failed and which tests. A test that waits for a count or a
# fixed time instead of the event it needs shows up here.
# Usage: scripts/soak.sh [ROUNDS]   (default 5)
set -euo pipefail
. "$(dirname "$0")/lib/common.sh"

rounds=${1:-5}
require_count "soak.sh: ROUNDS" "$rounds"

ensure_packages
cd "$SKYLOOM_ROOT"
build_windows
wine_prefix_setup
xvfb_start

busy_pids=()
logs=$(mktemp -d)
stop_all() {
  local pid
  for pid in "${busy_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${busy_pids[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  busy_pids=()
  wineserver -k 2>/dev/null || true
  xvfb_stop
}
trap stop_all EXIT
trap 'exit 130' INT TERM

for _ in 1 2; do
  bash -c 'while :; do :; done' &
  busy_pids+=($!)
done
log "two busy loops: ${busy_pids[*]}; logs in $logs"

# The names of the tests that failed in one ctest log: gtest's own and the
# end-to-end runner's, else the ctest entry itself.
failed_names() {
  local out=$1 entry=$2 names
  names=$(sed -n -e 's/^\[  FAILED  \] \([A-Za-z0-9_./]*\) (.*/\1/p' \
    -e 's/^FAIL \(.*[^ ]\) \{2,\}[0-9.]* s .*/e2e: \1/p' -e 's/^FAIL \(setup\):.*/e2e: \1/p' "$out" \
    | sort -u)
  [ -n "$names" ] && printf '%s\n' "$names" || printf '%s\n' "$entry"
}

failed_rounds=0
failures=()
for round in $(seq 1 "$rounds"); do
  round_failed=()
  for entry in windows_port_tests e2e; do
    out="$logs/round$round-$entry.log"
    start=$SECONDS
    if (cd "$BUILD_ROOT/win" && ctest --output-on-failure -j 1 -R "^$entry\$") >"$out" 2>&1 \
      && grep -q '100% tests passed' "$out"; then
      printf 'round %d: %-20s passed (%d s)\n' "$round" "$entry" $((SECONDS - start))
    else
      printf 'round %d: %-20s FAILED (%d s, log %s)\n' "$round" "$entry" $((SECONDS - start)) "$out"
      while IFS= read -r name; do
        round_failed+=("$name")
        printf '    %s\n' "$name"
      done < <(failed_names "$out" "$entry")
    fi
  done
  if [ ${#round_failed[@]} -gt 0 ]; then
    failed_rounds=$((failed_rounds + 1))
    failures+=("${round_failed[@]/#/round $round: }")
  fi
done

echo "$failed_rounds of $rounds rounds failed"
for f in "${failures[@]}"; do
  echo "  $f"
done
[ "$failed_rounds" -eq 0 ]
