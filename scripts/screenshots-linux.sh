#!/usr/bin/env bash
# Screenshots of the Linux view: the settings dialog, Window Found, About, the icon's menu
# (opened by a real click on the notification icon) and a message box, each on a desktop
# of its own making (Xvfb, openbox, a private session bus, trayer).
# Usage: scripts/screenshots-linux.sh [BUILD_DIR] [OUT_DIR]
#   defaults: build/linux, BUILD_DIR/../screens
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/linux}
out=${2:-$build/../screens}
tool=$build/tests/linux/velk_view_screens
[[ -x $tool ]] || { echo "screenshots-linux: build velk_view_screens first ($tool)" >&2; exit 1; }
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
pids=()

cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[$i]}" 2>/dev/null || true
        wait "${pids[$i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "screenshots-linux: $*" >&2
    exit 1
}

# Waits (at most 10 s) for a line matching the pattern in a file; prints it.
wait_line() {
    local file=$1 pattern=$2
    for _ in $(seq 100); do
        if grep -m1 -E "$pattern" "$file" 2>/dev/null; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1024x768x24 3>"$work/display" \
    >/dev/null 2>&1 &
pids+=($!)
wait_line "$work/display" '^[0-9]+$' >/dev/null || fail "Xvfb did not start"
export DISPLAY=:$(head -1 "$work/display")
dbus-daemon --session --nofork --print-address=1 >"$work/bus" &
pids+=($!)
wait_line "$work/bus" '^unix:' >/dev/null || fail "the session bus did not start"
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
export QT_QPA_PLATFORM=xcb
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || fail "openbox did not start"
# The notification area; trayer now and then dies while it starts, and is started again.
for _ in 1 2 3; do
    trayer --edge bottom --align right --widthtype request --height 32 --SetDockType true \
        >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do
        xdotool search --onlyvisible --class trayer >/dev/null 2>&1 && break 2
        sleep 0.1
    done
done
xdotool search --onlyvisible --class trayer >/dev/null 2>&1 || fail "trayer did not start"

# shot NAME MODE CAPTION: the tool in that mode, the window with that caption awaited.
shot() {
    local name=$1 mode=$2 caption=$3
    "$tool" "$mode" >"$work/$name.log" 2>&1 &
    local pid=$!
    if ! timeout 10 xdotool search --sync --onlyvisible --name "^$caption\$" >/dev/null; then
        kill "$pid"
        cat "$work/$name.log" >&2
        fail "no window \"$caption\" within 10 s"
    fi
    sleep 0.5  # painted
    import -window root "$out/$name.png"
    kill "$pid"
    wait "$pid" || true
    echo "$out/$name.png"
}

shot settings settings "Velk Settings"
shot window-found found "Window Found"
shot about about "About Velk"
shot message-box message "Velk"

# The menu: a click on the icon where the notification area put it (the tool's only
# window until the menu opens).
"$tool" menu >"$work/menu.log" 2>&1 &
pid=$!
icon=
for _ in $(seq 100); do
    icon=$(xdotool search --onlyvisible --classname velk_view_screens | head -1) || true
    # Embedded: the notification area is its parent.
    [[ -n $icon ]] && xwininfo -tree -id "$icon" | grep 'Parent window id' |
        grep -vq 'the root window' && break
    icon=
    sleep 0.1
done
[[ -n $icon ]] || { kill "$pid"; fail "no notification icon within 10 s"; }
eval "$(xdotool getwindowgeometry --shell "$icon")"
xdotool mousemove --window "$icon" $((WIDTH / 2)) $((HEIGHT / 2)) click 1
wait_line "$work/menu.log" '^menu$' >/dev/null || { kill "$pid"; fail "no menu within 10 s of the click on the icon"; }
sleep 0.5
import -window root "$out/icon-menu.png"
kill "$pid"
wait "$pid" || true
echo "$out/icon-menu.png"

# The dialogs as GNOME under Wayland shows them (Qt draws their frames there), photographed
# by the test session's extension on a headless GNOME Shell.
session=$root/tests/linux/shell-session.sh
bundle=$build/share/velk/gnome-shell/velk-windows-gnome43.zip
if command -v gnome-shell >/dev/null && [[ -f $bundle ]]; then
    shots=$(mktemp -d)
    chmod 777 "$shots"
    cat >"$work/gnome.sh" <<SHOTS
#!/bin/sh
for mode in settings found about message; do
    QT_QPA_PLATFORM=wayland "$tool" \$mode >"$shots/\$mode.log" 2>&1 &
    pid=\$!
    for _ in \$(seq 100); do grep -q shown "$shots/\$mode.log" && break; sleep 0.1; done
    sleep 1  # mapped and painted by the shell
    dbus-send --session --print-reply --dest=org.velk.TestSession /org/velk/TestSession \
        org.velk.TestSession.Screenshot "string:$shots/gnome-\$mode.png" >/dev/null || exit 1
    kill \$pid
    wait \$pid 2>/dev/null
done
exit 0
SHOTS
    chmod 755 "$work/gnome.sh" "$work"
    "$session" gnome "$bundle" "$root/tests/linux/gnome-test-extension" "$work/gnome.sh" ||
        fail "the GNOME Shell session failed"
    for mode in settings found about message; do
        [[ -s $shots/gnome-$mode.png ]] || fail "no GNOME screenshot of $mode"
        cp "$shots/gnome-$mode.png" "$out/" && echo "$out/gnome-$mode.png"
    done
    rm -rf "$shots"
fi
