#!/usr/bin/env bash
# Tests the Windows release as a user meets it, under Wine in a fresh prefix:
#   - the ZIP holds exactly the release's files, its programs import only
#     DLLs Windows ships and all three carry the VERSION file's number;
#   - the installer installs silently (/S) for the current user: files,
#     Start-menu shortcut, uninstall entry; the installed skyloom.exe starts
#     and shows its window;
#   - .pgl recordings open with the installed skyloom.exe;
#   - its uninstaller removes everything it installed and keeps a file the
#     user made in the folder;
#   - the same for all users (/ALLUSERS), and after both uninstalls the
#     registry holds nothing of Skyloom's.
# Tests out/ (or $SKYLOOM_RELEASE_DIR); builds the release first
# (scripts/release.sh) when out/ lacks it.
# Usage: tests/release/test_release.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/lib/common.sh"
packaging=$SKYLOOM_ROOT/packaging

version=$(head -n 1 "$SKYLOOM_ROOT/VERSION" | tr -d '[:space:]')
out=${SKYLOOM_RELEASE_DIR:-$SKYLOOM_ROOT/out}
zip=$out/skyloom-$version-win64.zip
setup=$out/skyloom-$version-setup.exe
if [ ! -f "$zip" ] || [ ! -f "$setup" ]; then
  log "no release of $version in out/: making it"
  bash "$SKYLOOM_ROOT/scripts/release.sh"
fi

failures=0
fail() {
  printf 'FAIL: %s\n' "$*" >&2
  failures=$((failures + 1))
}
pass() { printf 'ok: %s\n' "$*"; }

work=$BUILD_ROOT/release-test
rm -rf "$work"
mkdir -p "$work"

# A prefix of its own, so nothing installed earlier can make a check pass;
# winemenubuilder off, so the Start-menu shortcut does not reach the host's
# desktop menus.
export WINEPREFIX=$work/prefix
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
cleanup() {
  wineserver -k 2>/dev/null || true
  xvfb_stop
}
trap cleanup EXIT
log "fresh Wine prefix"
wine_prefix_setup
xvfb_start

files=(skyloom.exe skyloom-decode.exe skyloom-sim.exe README-windows.txt LICENSE.txt CHANGELOG.txt)
exes=(skyloom.exe skyloom-decode.exe skyloom-sim.exe)
sorted() { printf '%s\n' "$@" | LC_ALL=C sort; }

# --- the portable ZIP --------------------------------------------------------
top=skyloom-$version-win64
listing=$(python3 - "$zip" "$work/zip" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for name in z.namelist():
        print(name)
    z.extractall(sys.argv[2])
EOF
) || fail "the ZIP cannot be read"
want=$( (echo "$top/"; for f in "${files[@]}"; do echo "$top/$f"; done) | LC_ALL=C sort)
if [ "$(printf '%s\n' "$listing" | LC_ALL=C sort)" = "$want" ]; then
  pass "ZIP holds $top/ with ${files[*]}"
else
  fail "ZIP entries differ:"$'\n'"$(diff <(echo "$want") <(printf '%s\n' "$listing" | LC_ALL=C sort) || true)"
fi
unzipped=$work/zip/$top

exe_paths=()
for e in "${exes[@]}"; do exe_paths+=("$unzipped/$e"); done
if bash "$packaging/check_imports.sh" "${exe_paths[@]}" "$setup"; then
  pass "executables and installer import only DLLs that Windows ships"
else
  fail "an executable imports a DLL that Windows does not ship"
fi

if bash "$packaging/check_version.sh" "$version" "$unzipped/skyloom.exe" --about; then
  pass "skyloom.exe version resource and About box say $version"
else
  fail "skyloom.exe does not carry version $version"
fi
bash "$packaging/check_version.sh" "$version" "$setup" >/dev/null \
  && pass "installer version resource says $version" \
  || fail "the installer does not carry version $version"

version_re=${version//./\\.}
for tool in skyloom-decode.exe skyloom-sim.exe; do
  said=$(wine "$unzipped/$tool" --version 2>/dev/null | tr -d '\r') || true
  if printf '%s\n' "$said" | grep -Eq "(^|[^0-9.])$version_re([^0-9.]|$)"; then
    pass "$tool --version: $said"
  else
    fail "$tool --version says '$said', not $version"
  fi
done

head -n 1 "$unzipped/README-windows.txt" | grep -q "^Skyloom $version_re for Windows"$'\r'"$" \
  && pass "README-windows.txt names $version, CRLF lines" \
  || fail "README-windows.txt lacks its version line or CRLF line ends"

# --- install, run, uninstall ----------------------------------------------
# Wine names the profile folder after the Unix user; take it from the prefix
# rather than from $USER, which a CI job may not set.
user=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public -printf '%f\n' | head -n 1)
[ -n "$user" ] || { echo "no user profile in $WINEPREFIX" >&2; exit 1; }
uninst_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Skyloom'

reg_value() {  # reg_value ROOT NAME: the value's data, empty when missing
  wine reg query "$1\\$uninst_key" /v "$2" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}

reg_default() {  # reg_default KEY: the key's default value, empty when missing
  wine reg query "$1" /ve 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *(Default) *REG_[A-Z_]* *//p'
}

# What a double-click on a .pgl under ROOT runs: the open command of the
# class that .pgl names.
pgl_command() {
  local class
  class=$(reg_default "$1\\Software\\Classes\\.pgl")
  [ -n "$class" ] || return 0
  reg_default "$1\\Software\\Classes\\$class\\shell\\open\\command"
}

installed_files() {  # the files in DIR, one per line, sorted
  (cd "$1" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
}

check_installed() {  # check_installed MODE DIR SHORTCUT ROOT OTHER_ROOT
  local mode=$1 dir=$2 shortcut=$3 root=$4 other=$5
  if [ "$(installed_files "$dir")" = "$(sorted "${files[@]}" uninstall.exe)" ]; then
    pass "$mode: installed ${files[*]} uninstall.exe"
  else
    fail "$mode: installed files differ: $(installed_files "$dir" | tr '\n' ' ')"
  fi
  local e
  for e in "${exes[@]}"; do
    cmp -s "$dir/$e" "$unzipped/$e" || fail "$mode: installed $e differs from the ZIP's"
  done
  [ -f "$shortcut" ] && pass "$mode: Start-menu shortcut" || fail "$mode: no shortcut $shortcut"
  local shown
  shown=$(reg_value "$root" DisplayVersion)
  [ "$shown" = "$version" ] && pass "$mode: uninstall entry under $root, version $shown" \
    || fail "$mode: uninstall entry under $root says '$shown'"
  [ -z "$(reg_value "$other" DisplayName)" ] || fail "$mode: uninstall entry also under $other"
  local opens want
  opens=$(pgl_command "$root")
  want="\"$(winepath -w "$dir")\\skyloom.exe\" \"%1\""
  [ "$opens" = "$want" ] && pass "$mode: .pgl opens with $opens" \
    || fail "$mode: .pgl under $root opens with '$opens', not '$want'"
  [ -z "$(pgl_command "$other")" ] || fail "$mode: .pgl associated under $other too"
}

check_removed() {  # check_removed MODE DIR SHORTCUT ROOT [KEPT_FILE]
  local mode=$1 dir=$2 shortcut=$3 root=$4 kept=${5:-}
  if [ -n "$kept" ]; then
    [ "$(installed_files "$dir")" = "$kept" ] \
      && pass "$mode: uninstall removed its files and kept the user's $kept" \
      || fail "$mode: after uninstall the folder holds: $(installed_files "$dir" | tr '\n' ' ')"
  else
    [ ! -e "$dir" ] && pass "$mode: install folder removed" || fail "$mode: $dir still there"
  fi
  [ ! -e "$shortcut" ] && pass "$mode: shortcut removed" || fail "$mode: $shortcut still there"
  [ -z "$(reg_value "$root" DisplayName)" ] && pass "$mode: uninstall entry removed" \
    || fail "$mode: uninstall entry under $root still there"
  [ -z "$(pgl_command "$root")" ] && pass "$mode: .pgl association removed" \
    || fail "$mode: .pgl under $root still opens with $(pgl_command "$root")"
}

# The installer and uninstaller hand work to child processes; wineserver -w
# returns once every process of the prefix has ended.
run_wine() {
  local rc=0
  wine "$@" >/dev/null 2>&1 || rc=$?
  wineserver -w
  return $rc
}

log "current user"
dir=$WINEPREFIX/drive_c/users/$user/AppData/Local/Programs/Skyloom
windir="C:\\users\\$user\\AppData\\Local\\Programs\\Skyloom"
shortcut="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Skyloom.lnk"
if run_wine "$setup" /S; then pass "silent install for the current user"; else fail "silent install exited $?"; fi
check_installed "current user" "$dir" "$shortcut" HKCU HKLM

wine "$windir\\skyloom.exe" >/dev/null 2>&1 &
app_pid=$!
window=""
for _ in $(seq 1 100); do
  window=$(xdotool search --onlyvisible --name '^Skyloom' 2>/dev/null | head -n 1) || true
  [ -n "$window" ] && break
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.2
done
if [ -n "$window" ]; then
  pass "installed skyloom.exe shows its window: '$(xdotool getwindowname "$window")'"
else
  fail "installed skyloom.exe showed no window named Skyloom within 20 s"
fi
wineserver -k 2>/dev/null || true
wait "$app_pid" 2>/dev/null || true

# A file of the user's (a log the program wrote) must survive the uninstall.
printf 'user data\r\n' >"$dir/gps_log.txt"
run_wine "$dir/uninstall.exe" /S || fail "uninstaller exited $?"
check_removed "current user" "$dir" "$shortcut" HKCU gps_log.txt
rm -rf "$dir"

log "all users"
dir="$WINEPREFIX/drive_c/Program Files/Skyloom"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Skyloom.lnk"
if run_wine "$setup" /S /ALLUSERS; then pass "silent install for all users"; else fail "silent /ALLUSERS install exited $?"; fi
check_installed "all users" "$dir" "$shortcut" HKLM HKCU
run_wine "$dir/uninstall.exe" /S || fail "all-users uninstaller exited $?"
check_removed "all users" "$dir" "$shortcut" HKLM

rc=0
run_wine "$setup" /S /ALLUSERS /CURRENTUSER || rc=$?
[ $rc -eq 2 ] && [ ! -e "$dir" ] && pass "/ALLUSERS with /CURRENTUSER refused (exit 2)" \
  || fail "/ALLUSERS with /CURRENTUSER: exit $rc"

# The program keeps no settings and the uninstallers took their entries:
# nothing of Skyloom's may be left in the registry or on drive C:.
wineserver -k 2>/dev/null || true
wineserver -w
left=$(grep -il skyloom "$WINEPREFIX"/*.reg || true)
[ -z "$left" ] && pass "registry holds nothing of Skyloom's" \
  || fail "registry still mentions Skyloom: $(grep -ih -B2 skyloom "$WINEPREFIX"/*.reg | head -n 12)"
left=$(find "$WINEPREFIX/drive_c" -iname '*skyloom*' | head -n 5)
[ -z "$left" ] && pass "drive C: holds nothing of Skyloom's" || fail "left on drive C: $left"

if [ $failures -ne 0 ]; then
  echo "release test: $failures check(s) failed" >&2
  exit 1
fi
log "release test passed"
