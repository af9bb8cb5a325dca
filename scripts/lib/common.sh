# Shared by the README's commands: package set-up, builds, Wine and Xvfb.
# Source it; it defines functions and a few variables and runs nothing.

SKYLOOM_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD_ROOT=${SKYLOOM_BUILD_ROOT:-$SKYLOOM_ROOT/build}
JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}

log() { printf '== %s\n' "$*" >&2; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }
# require_count WHAT VALUE: a script's count argument, a whole number above 0.
require_count() {
  case $2 in
    '' | *[!0-9]* | 0) die "$1 must be a positive whole number, got '$2'" ;;
  esac
}

# Debian packages every command needs. Installed only when missing, so a
# machine that has them all runs no apt at all.
SKYLOOM_PACKAGES=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  libgtest-dev googletest libbenchmark-dev clang-format
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine64 xvfb socat xdotool imagemagick x11-utils python3 nsis gpsd
)

ensure_packages() {
  local missing=() p
  for p in "${SKYLOOM_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq >/dev/null || die "apt-get update failed"
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
    || die "apt-get install failed: ${missing[*]}"
}

# configure_and_build DIR [cmake args...]
configure_and_build() {
  local dir=$1; shift
  local werror=OFF
  [ "${CI:-}" = "true" ] && werror=ON
  cmake -S "$SKYLOOM_ROOT" -B "$dir" -G Ninja -DSKYLOOM_WERROR=$werror "$@" >/dev/null \
    || die "cmake configure failed for $dir"
  # The build's own output is shown only when it fails: warnings are errors
  # under CI, so a green build has nothing to say.
  mkdir -p "$dir"
  if ! cmake --build "$dir" -j "$JOBS" >"$dir/build.log" 2>&1; then
    tail -n 60 "$dir/build.log" >&2
    die "build failed in $dir (full log: $dir/build.log)"
  fi
}

build_native() {  # sanitized native build: core, tools, unit tests
  configure_and_build "$BUILD_ROOT/native" -DCMAKE_BUILD_TYPE=Debug -DSKYLOOM_SANITIZE=ON
}

build_release() {  # optimised native build: tools and benchmarks
  configure_and_build "$BUILD_ROOT/release" -DCMAKE_BUILD_TYPE=Release -DSKYLOOM_BENCH=ON \
    -DSKYLOOM_TESTS=OFF
}

build_windows() {  # the Windows program, tools and tests, cross-compiled
  configure_and_build "$BUILD_ROOT/win" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$SKYLOOM_ROOT/cmake/mingw-w64-x86_64.cmake"
}

build_fuzz() {
  configure_and_build "$BUILD_ROOT/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSKYLOOM_FUZZ=ON -DSKYLOOM_TESTS=OFF
}

# --- Wine -------------------------------------------------------------------
# A private prefix per build tree, made once; WINEDEBUG quiet.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

wine_prefix_setup() {
  export WINEPREFIX=${WINEPREFIX:-$BUILD_ROOT/wineprefix}
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating Wine prefix $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w 2>/dev/null || true
  fi
}

# Starts Xvfb on a free display unless DISPLAY already works; exports DISPLAY.
# XVFB_SCREEN sets its size (default 1024x768x24).
XVFB_PID=""
xvfb_start() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  # Xvfb picks a free display itself and names it once it listens; a display
  # left locked by a server that was killed is free to it.
  local named i
  named=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp \
    3>"$named" >/dev/null 2>&1 &
  XVFB_PID=$!
  for i in $(seq 1 200); do
    # The number is whole once its line feed is written.
    if [ "$(wc -l <"$named")" -ge 1 ] && grep -qx '[0-9][0-9]*' "$named"; then
      export DISPLAY=":$(cat "$named")"
      rm -f "$named"
      xdpyinfo >/dev/null 2>&1 && return 0
      break
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$named"
  xvfb_stop
  die "could not start Xvfb"
}

xvfb_stop() {
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
}
