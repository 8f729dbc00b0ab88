#!/usr/bin/env bash
# Runs Velk.exe under Wine on a virtual display and captures what a user sees: the
# icon menu, the About box, the settings dialog and the Window Found dialog.
# Usage: scripts/screenshots.sh [OUT_DIR]  (default build/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(mkdir -p "${1:-build/screenshots}" && cd "${1:-build/screenshots}" && pwd)
velk=build/mingw/apps/velk/Velk.exe
[ -f "$velk" ] || { cmake --preset mingw >/dev/null; cmake --build --preset mingw --target Velk; }
velk=$(pwd)/$velk

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
x86_64-w64-mingw32-gcc -municode -O1 -o "$work/poke.exe" scripts/tools/velk_poke.c
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")" WINEPREFIX="$work/prefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
mkdir -p "$WINEPREFIX"
wineserver -p
wine wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

poke() { wine "$work/poke.exe" "$@" >/dev/null 2>&1 || true; sleep 1.5; }
shot() { import -window root "$out/$1.png"; echo "screenshot: $out/$1.png"; }

wine "$velk" >/dev/null 2>&1 &
sleep 4
poke Velk 1026 1 513          # a tap on the icon opens the "&File" menu
shot icon-menu
poke Velk 31 0 0             # WM_CANCELMODE closes the menu again
wine "$work/poke.exe" Velk 273 57664 0 >/dev/null 2>&1 || true
sleep 2
shot about-box
poke "About Velk" 273 1 0
wine "$work/poke.exe" Velk 273 32771 0 >/dev/null 2>&1 || true
sleep 2
shot settings
poke "Velk Settings" 786 193 0   # WM_HOTKEY: a capture offers the front window's caption
shot window-found
