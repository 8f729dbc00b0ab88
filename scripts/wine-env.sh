# Sourced by the scripts that run Windows programs under Wine: a virtual X display, a
# throw-away Wine prefix with a persistent server, and a trap that stops both and removes
# the prefix when the sourcing script exits. Afterwards "$wine" runs a program there.
# VELK_WINE_SCREEN: the display's size and depth (default 1024x768x24).

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
Xvfb -displayfd 3 -screen 0 "${VELK_WINE_SCREEN:-1024x768x24}" -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
[ -s "$display_file" ] || { echo "wine-env: Xvfb did not start" >&2; exit 1; }

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

