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

VELK_WINE_SCREEN=800x600x24 source scripts/wine-env.sh
poke_exe="$WINEPREFIX/drive_c/velk_poke.exe"  # removed with the prefix
x86_64-w64-mingw32-gcc -municode -O1 -o "$poke_exe" scripts/tools/velk_poke.c

poke() { "$wine" "$poke_exe" "$@" >/dev/null 2>&1 || true; sleep 1.5; }
shot() { import -window root "$out/$1.png"; echo "screenshot: $out/$1.png"; }

"$wine" "$velk" >/dev/null 2>&1 &
sleep 4
poke Velk 1026 1 513          # a tap on the icon opens the "&File" menu
shot icon-menu
poke Velk 31 0 0             # WM_CANCELMODE closes the menu again
"$wine" "$poke_exe" Velk 273 57664 0 >/dev/null 2>&1 || true
sleep 2
shot about-box
poke "About Velk" 273 1 0
"$wine" "$poke_exe" Velk 273 32771 0 >/dev/null 2>&1 || true
sleep 2
shot settings
poke "Velk Settings" 786 193 0   # WM_HOTKEY: a capture offers the front window's caption
shot window-found
