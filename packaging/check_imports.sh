#!/usr/bin/env bash
# Fails unless every given executable imports only DLLs that Windows itself
# ships (the list beside this script). A user who unpacks the release on a
# clean Windows must not meet "libstdc++-6.dll was not found".
# Usage: check_imports.sh EXE...
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
[ $# -gt 0 ] || { echo "usage: $0 EXE..." >&2; exit 2; }

mapfile -t allowed < <(grep -v '^[[:space:]]*\(#\|$\)' "$here/system-dlls.txt")

status=0
for exe in "$@"; do
  dump=$("$objdump" -p "$exe") || { echo "$exe: not readable by $objdump" >&2; status=1; continue; }
  mapfile -t dlls < <(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p')
  if [ ${#dlls[@]} -eq 0 ]; then
    # objdump always lists KERNEL32 for a mingw image; none means we read it wrong.
    echo "$exe: no imports found, cannot check" >&2
    status=1
    continue
  fi
  for dll in "${dlls[@]}"; do
    lower=${dll,,}
    ok=0
    for pattern in "${allowed[@]}"; do
      # shellcheck disable=SC2053 # the pattern is meant to glob
      [[ $lower == ${pattern,,} ]] && { ok=1; break; }
    done
    if [ $ok -eq 0 ]; then
      echo "$exe: imports $dll, which Windows does not ship" >&2
      status=1
    fi
  done
  echo "$(basename "$exe"): ${dlls[*]}"
done
exit $status
