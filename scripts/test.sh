#!/usr/bin/env bash
# Runs every test: native unit tests (sanitizers on), the fuzz target for a
# bounded time, the Windows build's tests under Wine (core, in-process
# window tests, end-to-end against a simulated receiver on a pseudo-terminal),
# and the Windows release installed, started and removed under Wine.
# Installs what is missing first. Usage: scripts/test.sh [--quick]
#   --quick   skip the fuzzing run
set -euo pipefail
. "$(dirname "$0")/lib/common.sh"

quick=0
[ "${1:-}" = "--quick" ] && quick=1

# Each stage's seconds, printed at the end: where a run's time goes.
stage_names=()
stage_seconds=()
stage_started=$SECONDS
stage_end() {
  [ ${#stage_names[@]} -gt ${#stage_seconds[@]} ] || return 0
  stage_seconds+=($((SECONDS - stage_started)))
}
stage() {
  stage_end
  stage_names+=("$*")
  stage_started=$SECONDS
  log "$*"
}
stage_times() {
  stage_end
  local i
  echo "time by stage:"
  for i in "${!stage_names[@]}"; do
    printf '  %5d s  %s\n' "${stage_seconds[$i]}" "${stage_names[$i]}"
  done
  printf '  %5d s  in all\n' "$SECONDS"
}

stage "packages"
ensure_packages
cd "$SKYLOOM_ROOT"

failed=0
stage_passed=0
stage_failed=0
# Runs one checked step; its failure is counted and the run goes on, so one
# report covers every part.
check() {
  if "$@"; then
    stage_passed=$((stage_passed + 1))
  else
    stage_failed=$((stage_failed + 1))
    failed=1
  fi
}

stage "format check"
format_check() {
  bash scripts/format.sh --check \
    || { echo "clang-format: files differ from the project's style (run scripts/format.sh)" >&2; return 1; }
}
check format_check

stage "native build (AddressSanitizer, UndefinedBehaviorSanitizer)"
build_native
stage "native tests"
check bash -c "cd '$BUILD_ROOT/native' && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $JOBS"

if [ -f fuzz/CMakeLists.txt ] && [ $quick -eq 0 ]; then
  stage "fuzz build (clang, sanitizers)"
  build_fuzz
  stage "fuzzing (${FUZZ_SECONDS:-60} s)"
  check bash scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
fi

stage "Windows build"
build_windows
wine_prefix_setup
xvfb_start
trap 'wineserver -k 2>/dev/null || true; xvfb_stop' EXIT
stage "Windows tests under Wine"
# The end-to-end tests (a prefix and display of their own) run beside the
# others; those that share the test desktop take turns (RESOURCE_LOCK).
check bash -c "cd '$BUILD_ROOT/win' && ctest --output-on-failure -j $JOBS"

stage "Windows release: package, install, start and uninstall under Wine"
check bash scripts/release.sh --test

stage_times
if [ $failed -ne 0 ]; then
  echo "some tests failed" >&2
else
  log "all tests passed"
fi
echo "stages: $stage_passed passed, $stage_failed failed"
exit $failed
