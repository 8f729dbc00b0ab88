#!/usr/bin/env bash
# Runs Velk.exe under Wine on a virtual display and captures what a user sees: the
# icon menu, the About box, the settings dialog and the Window Found dialog, at the
# standard scale (96 DPI) and at 150 % (144 DPI, files ending in -144dpi).
# Usage: scripts/screenshots.sh [OUT_DIR]  (default build/screenshots)
# Each window is waited for by its caption (at most VELK_SHOT_WAIT seconds, default 20);
# one that does not come, or a picture with nothing on it, fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(mkdir -p "${1:-build/screenshots}" && cd "${1:-build/screenshots}" && pwd)
velk=build/mingw/apps/velk/Velk.exe
[ -f "$velk" ] || { cmake --preset mingw >/dev/null; cmake --build --preset mingw --target Velk; }
velk=$(pwd)/$velk
bound=${VELK_SHOT_WAIT:-20}

VELK_WINE_SCREEN=800x600x24 source scripts/wine-env.sh
poke_exe="$WINEPREFIX/drive_c/velk_poke.exe"  # removed with the prefix
x86_64-w64-mingw32-gcc -municode -O1 -o "$poke_exe" scripts/tools/velk_poke.c

fail() { echo "screenshots: $*" >&2; exit 1; }
# Posts a message to the window of that caption; fails when there is none.
poke() { "$wine" "$poke_exe" "$@" >/dev/null 2>&1; }
# Waits until a window of that caption exists (a posted WM_NULL finds it).
wait_for() {
  local deadline=$((SECONDS + bound))
  until poke "$1" 0 0 0; do
    ((SECONDS < deadline)) || fail "no window \"$1\" after ${bound}s"
    sleep 0.2
  done
}
# Waits until the window of that caption is gone.
wait_gone() {
  local deadline=$((SECONDS + bound))
  while poke "$1" 0 0 0; do
    ((SECONDS < deadline)) || fail "window \"$1\" still there after ${bound}s"
    sleep 0.2
  done
}
# Captures the screen once something is drawn on it and the picture holds still (two
# captures alike); a screen of one colour within the bound fails.
shot() {
  local file="$out/$1.png" deadline=$((SECONDS + bound)) previous=""
  while :; do
    import -window root "$file"
    if [ "$(identify -format '%k' "$file")" -gt 1 ]; then
      [ -n "$previous" ] && compare -metric AE "$previous" "$file" null: 2>/dev/null && break
      previous="$file.previous.png"
      cp "$file" "$previous"
    fi
    ((SECONDS < deadline)) || fail "$1: nothing drawn on the screen after ${bound}s"
    sleep 0.3
  done
  rm -f "$file.previous.png"
  echo "screenshot: $file"
}
# Takes the four pictures, their names ending in $1.
take_all() {
  local suffix=$1
  "$wine" "$velk" >/dev/null 2>&1 &
  local velk_pid=$!
  wait_for Velk
  poke Velk 1026 1 513               # a tap on the icon opens the "&File" menu
  shot "icon-menu$suffix"
  poke Velk 31 0 0                   # WM_CANCELMODE closes the menu again
  poke Velk 273 57664 0              # About
  wait_for "About Velk"
  shot "about-box$suffix"
  poke "About Velk" 273 1 0
  wait_gone "About Velk"
  poke Velk 273 32771 0              # Settings...
  wait_for "Velk Settings"
  shot "settings$suffix"
  poke "Velk Settings" 786 193 0     # WM_HOTKEY: a capture offers the front window's caption
  wait_for "Window Found"
  shot "window-found$suffix"
  poke Velk 273 57665 0              # Exit
  wait_gone Velk
  wait "$velk_pid" || true
}

take_all ""
# The same at 150 %: Wine's scale, read by each program as it starts; the desktop's own
# programs (the notification area) are started again to take it too.
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
"$wineserver" -k
"$wineserver" -p
"$wine" wineboot >/dev/null 2>&1
take_all "-144dpi"

# The Linux home: the same dialogs, menu and message box drawn by its Qt view, each
# window waited for by its caption in the same way.
if [ -x build/linux/tests/linux/velk_view_screens ] ||
   cmake --build build/linux --target velk_view_screens >/dev/null 2>&1; then
  scripts/screenshots-linux.sh build/linux "$out/linux"
else
  fail "build the linux preset first for the Linux home's pictures"
fi
