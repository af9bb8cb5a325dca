#!/usr/bin/env bash
# Runs every test: native unit tests (sanitizers on), the fuzz target for a
# bounded time, and the Windows build's tests under Wine (core, in-process
# window tests, end-to-end against a simulated receiver on a pseudo-terminal).
# Installs what is missing first. Usage: scripts/test.sh [--quick]
#   --quick   skip the fuzzing run
set -euo pipefail
. "$(dirname "$0")/lib/common.sh"

quick=0
[ "${1:-}" = "--quick" ] && quick=1

ensure_packages
cd "$SKYLOOM_ROOT"

failed=0
stage() { log "$*"; }

stage "format check"
if ! bash scripts/format.sh --check; then
  echo "clang-format: files differ from the project's style (run scripts/format.sh)" >&2
  failed=1
fi

stage "native build (AddressSanitizer, UndefinedBehaviorSanitizer)"
build_native
stage "native tests"
(cd "$BUILD_ROOT/native" && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$JOBS") || failed=1

if [ -f fuzz/CMakeLists.txt ] && [ $quick -eq 0 ]; then
  stage "fuzzing (${FUZZ_SECONDS:-60} s)"
  build_fuzz
  bash scripts/fuzz.sh "${FUZZ_SECONDS:-60}" || failed=1
fi

stage "Windows build"
build_windows
wine_prefix_setup
xvfb_start
trap 'wineserver -k 2>/dev/null || true; xvfb_stop' EXIT
stage "Windows tests under Wine"
(cd "$BUILD_ROOT/win" && ctest --output-on-failure -j 1) || failed=1

if [ $failed -ne 0 ]; then
  echo "some tests failed" >&2
  exit 1
fi
log "all tests passed"
