#!/usr/bin/env bash
# Runs the Windows build's tests (velk_win_tests.exe) under Wine on a virtual X display,
# in a throw-away Wine prefix. Usage: scripts/wine-tests.sh BUILD_DIR [gtest arguments]
# Everything this script starts is stopped again, also when a test fails or hangs.
# VELK_WINE_TIMEOUT: seconds the whole run may take (default 600).
set -euo pipefail

build=${1:?usage: wine-tests.sh BUILD_DIR [gtest arguments]}
shift
build=$(cd "$build" && pwd)
tests="$build/tests/wine/velk_win_tests.exe"
peer="$build/tests/wine/velk_peer.exe"
program="$build/apps/velk/Velk.exe"
for exe in "$tests" "$peer" "$program"; do
  [ -f "$exe" ] || { echo "wine-tests: $exe is not built" >&2; exit 1; }
done

# Debian's 64-bit loader; plain "wine" only adds a warning about the missing 32-bit one.
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

prefix=$(mktemp -d "${TMPDIR:-/tmp}/velk-wine.XXXXXX")
display_file="$prefix.display"
xvfb_pid=""
cleanup() {
  WINEPREFIX="$prefix" "$wineserver" -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$prefix" "$display_file"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display itself and writes its number when it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
[ -s "$display_file" ] || { echo "wine-tests: Xvfb did not start" >&2; exit 1; }

export DISPLAY=":$(head -n1 "$display_file")"
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installers: the tests need neither.
export WINEDLLOVERRIDES="mscoree=;mshtml="

# A persistent server keeps every later Wine start quick.
"$wineserver" -p
"$wine" wineboot -i >/dev/null 2>&1
# There is no window manager on the virtual display: Wine would wait for one at every
# hide (about 2 s each), so its windows are left unmanaged.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

# The tests start the peer helper and the program from these (Windows) paths.
export VELK_PEER="Z:${peer//\//\\}" VELK_EXE="Z:${program//\//\\}"
status=0
timeout "${VELK_WINE_TIMEOUT:-600}" "$wine" "$tests" --gtest_brief=1 "$@" || status=$?
exit "$status"
