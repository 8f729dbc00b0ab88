#!/usr/bin/env bash
# Runs one Windows program under Wine on a virtual X display, in a throw-away Wine
# prefix, and returns its exit status. Usage: scripts/wine-run.sh EXE [arguments]
# Everything this script starts is stopped again, also when the program fails or hangs.
# VELK_WINE_TIMEOUT: seconds the program may take (default 600).
set -euo pipefail

exe=${1:?usage: wine-run.sh EXE [arguments]}
shift
[ -f "$exe" ] || { echo "wine-run: $exe is not built" >&2; exit 1; }

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
[ -s "$display_file" ] || { echo "wine-run: Xvfb did not start" >&2; exit 1; }

export DISPLAY=":$(head -n1 "$display_file")"
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installers: nothing run here needs them.
export WINEDLLOVERRIDES="mscoree=;mshtml="

# A persistent server keeps every later Wine start quick.
"$wineserver" -p
"$wine" wineboot -i >/dev/null 2>&1
# There is no window manager on the virtual display: Wine would wait for one at every
# hide (about 2 s each), so its windows are left unmanaged.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

status=0
timeout "${VELK_WINE_TIMEOUT:-600}" "$wine" "$exe" "$@" || status=$?
exit "$status"
