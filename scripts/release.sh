#!/usr/bin/env bash
# Makes the Windows release from this checkout:
#   out/skyloom-<version>-win64.zip     portable: the three programs, README, licence
#   out/skyloom-<version>-setup.exe     NSIS installer of the same files
#   out/skyloom-<version>-SHA256SUMS.txt
# <version> is the VERSION file. The packaging refuses executables that import
# a DLL Windows does not ship, or whose version resource disagrees.
# Usage: scripts/release.sh [--test]
#   --test   then install, start and uninstall the release under Wine
#            (tests/release/test_release.sh)
set -euo pipefail
. "$(dirname "$0")/lib/common.sh"

run_test=0
case "${1:-}" in
  "") ;;
  --test) run_test=1 ;;
  *) die "usage: scripts/release.sh [--test]" ;;
esac

ensure_packages nsis
cd "$SKYLOOM_ROOT"

version=$(head -n 1 VERSION | tr -d '[:space:]')
# Windows version resources and the installer hold four 16-bit numbers; a
# suffix such as -rc1 has no place there.
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "VERSION must read MAJOR.MINOR.PATCH, not '$version'"
for n in ${version//./ }; do
  [ "$n" -le 65535 ] || die "VERSION part $n is above 65535"
done

log "Windows build"
build_windows
log "packaging $version"
cmake --build "$BUILD_ROOT/win" --target release || die "packaging failed"

mkdir -p out
zip=skyloom-$version-win64.zip
setup=skyloom-$version-setup.exe
sums=skyloom-$version-SHA256SUMS.txt
cp "$BUILD_ROOT/win/packages/$zip" "$BUILD_ROOT/win/packages/$setup" out/
(cd out && sha256sum "$zip" "$setup" >"$sums")
log "made out/$zip, out/$setup, out/$sums"

if [ $run_test -eq 1 ]; then
  bash tests/release/test_release.sh
fi
