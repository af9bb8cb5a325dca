#!/usr/bin/env bash
# Fails unless an executable's version resource carries VERSION, as Explorer's
# Properties > Details shows it, and (with --about) the About box says
# "Skyloom Version VERSION". The number has one home, the VERSION file; this
# catches a resource that was built from something else or lost its
# VERSIONINFO.
# Usage: check_version.sh VERSION EXE [--about]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 2 ] || { echo "usage: $0 VERSION EXE [--about]" >&2; exit 2; }
version=$1 exe=$2 about=${3:-}

info=$(python3 "$here/pe_resources.py" version "$exe") || exit 1
status=0
expect() {
  local key=$1 want=$2 got
  got=$(printf '%s\n' "$info" | sed -n "s/^$key=//p" | head -n 1)
  if [ "$got" != "$want" ]; then
    echo "$exe: $key is '${got:-missing}', expected '$want'" >&2
    status=1
  fi
}
expect FixedFileVersion "$version.0"
expect FixedProductVersion "$version.0"
expect FileVersion "$version"
expect ProductVersion "$version"

if [ "$about" = "--about" ]; then
  texts=$(python3 "$here/pe_resources.py" dialog-text "$exe" 101) || exit 1
  if ! printf '%s\n' "$texts" | grep -qxF "Skyloom Version $version"; then
    echo "$exe: the About box does not say 'Skyloom Version $version'" >&2
    printf '%s\n' "$texts" | sed 's/^/  its text: /' >&2
    status=1
  fi
fi
[ $status -eq 0 ] && echo "$(basename "$exe"): version $version"
exit $status
