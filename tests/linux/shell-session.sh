#!/usr/bin/env bash
# Starts a real desktop shell headless, as an unprivileged user on private buses, and runs a
# command inside its session (as that user, with its buses, Wayland and Xwayland displays).
#   shell-session.sh kwin  COMMAND...
#   shell-session.sh gnome EXTENSION_BUNDLE TEST_EXTENSION_DIR COMMAND...
# Exits with the command's status; 77 when the shell is not installed.
set -uo pipefail

desktop=$1
shift
user=65534
case $desktop in
kwin) command -v kwin_wayland >/dev/null || { echo "kwin_wayland not installed"; exit 77; } ;;
gnome)
    command -v gnome-shell >/dev/null || { echo "gnome-shell not installed"; exit 77; }
    extension=$1 test_extension=$2
    shift 2
    ;;
*) echo "usage: $0 kwin|gnome ..." >&2; exit 2 ;;
esac

root=$(mktemp -d /tmp/velk-shell.XXXXXX)
chmod 755 "$root"
run=$root/run home=$root/home
mkdir -m 700 "$run" "$home"
chown "$user:$user" "$run" "$home"
pids=()

as_user() {
    setpriv --reuid=$user --regid=$user --clear-groups \
        env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$run" LANG=C.UTF-8 \
        XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" "$@"
}

cleanup() {
    # Everything this run started, newest first, by the ids it recorded; then whatever the
    # user's helpers left (they run as the otherwise idle unprivileged user in this run's
    # runtime directory only).
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    sleep 0.3
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill -9 "${pids[i]}" 2>/dev/null; done
    local left=()
    for p in $(pgrep -U $user 2>/dev/null); do
        if tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qx "XDG_RUNTIME_DIR=$run"; then
            kill -9 "$p" 2>/dev/null
            left+=("$p")
        fi
    done
    # A killed process is gone only a moment later; its display locks are judged after.
    wait "${pids[@]}" 2>/dev/null
    for p in "${left[@]}"; do
        for _ in $(seq 50); do kill -0 "$p" 2>/dev/null || break; sleep 0.05; done
    done
    # Xwayland's display locks, when it was stopped before it could remove them.
    local lock n
    for lock in /tmp/.X*-lock; do
        [ -e "$lock" ] && [ "$(stat -c %u "$lock")" = $user ] || continue
        n=${lock#/tmp/.X}
        n=${n%-lock}
        kill -0 "$(tr -d ' ' <"$lock" 2>/dev/null)" 2>/dev/null || rm -f "$lock" "/tmp/.X11-unix/X$n"
    done
    rm -rf "$root"
}
trap cleanup EXIT

# A bus of the user's own, on a socket in the runtime directory.
start_bus() { # name type
    cat >"$root/$1.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>$2</type>
  <listen>unix:path=$run/$1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
    as_user dbus-daemon --nofork --config-file="$root/$1.conf" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do [ -S "$run/$1" ] && return 0; sleep 0.1; done
    echo "$1 bus did not start" >&2
    exit 1
}
start_bus bus session
session_bus=unix:path=$run/bus

has_owner() {
    as_user dbus-send --bus="$session_bus" --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q "boolean true"
}

# The Xwayland the shell started: its display and authority file, from its command line.
xwayland_env() {
    local p args
    for p in $(pgrep -U $user -x Xwayland); do
        tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qx "XDG_RUNTIME_DIR=$run" || continue
        mapfile -t args < <(tr '\0' '\n' <"/proc/$p/cmdline")
        local i display="" auth=""
        for ((i = 0; i < ${#args[@]}; i++)); do
            case ${args[i]} in
            :*) display=${args[i]} ;;
            -auth) auth=${args[i + 1]} ;;
            esac
        done
        [ -n "$display" ] && echo "DISPLAY=$display XAUTHORITY=$auth" && return 0
    done
    return 1
}

log=$root/shell.log
# Xwayland listens in the system's X socket directory, which a container may lack.
[ -d /tmp/.X11-unix ] || { mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix; }
case $desktop in
kwin)
    # The packaged binary carries a file capability that containers refuse to exec; a plain
    # copy runs the same code without it.
    # No window decorations: the default theme's plugin is not installed with KWin alone.
    mkdir -p "$home/.config" "$root/bin"
    printf '[org.kde.kdecoration2]\nNoPlugin=true\n' >"$home/.config/kwinrc"
    chown -R "$user:$user" "$home"
    cp /usr/bin/kwin_wayland "$root/bin/kwin_wayland"
    as_user env DBUS_SESSION_BUS_ADDRESS="$session_bus" QT_QPA_PLATFORM=wayland \
        KWIN_COMPOSE=Q nice -n 10 "$root/bin/kwin_wayland" --virtual --no-lockscreen \
        --no-global-shortcuts --xwayland --width 1280 --height 800 >"$log" 2>&1 &
    pids+=($!)
    name=org.kde.KWin
    ;;
gnome)
    start_bus system system
    # The extension as a user installs it, from the bundle; the test's own beside it.
    extensions=$home/.local/share/gnome-shell/extensions
    as_user gnome-extensions install --force "$extension" || exit 1
    uuid=$(ls "$extensions")
    test_uuid=$(sed -n 's/.*"uuid": *"\([^"]*\)".*/\1/p' "$test_extension/metadata.json")
    cp -r "$test_extension" "$extensions/$test_uuid"
    chown -R "$user:$user" "$home"
    as_user env DBUS_SESSION_BUS_ADDRESS="$session_bus" GSETTINGS_BACKEND=keyfile sh -c "
        gsettings set org.gnome.shell enabled-extensions \"['$uuid', '$test_uuid']\" &&
        gsettings set org.gnome.shell disable-user-extensions false &&
        gsettings set org.gnome.shell welcome-dialog-last-shown-version '999'" ||
        { echo "gsettings failed" >&2; exit 1; }
    as_user env DBUS_SESSION_BUS_ADDRESS="$session_bus" \
        DBUS_SYSTEM_BUS_ADDRESS="unix:path=$run/system" GSETTINGS_BACKEND=keyfile \
        XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME \
        nice -n 10 gnome-shell --headless --wayland --virtual-monitor 1280x800 >"$log" 2>&1 &
    pids+=($!)
    name=org.velk.TestSession
    ;;
esac

started=""
for _ in $(seq 600); do
    if has_owner "$name" && xenv=$(xwayland_env); then
        started=1
        break
    fi
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$started" ]; then
    echo "$desktop did not come up; its log:" >&2
    tail -40 "$log" >&2
    exit 1
fi
wayland=$(ls "$run" | grep -m1 '^wayland-[0-9]*$')

as_user env DBUS_SESSION_BUS_ADDRESS="$session_bus" WAYLAND_DISPLAY="$wayland" $xenv \
    GSETTINGS_BACKEND=keyfile VELK_TEST_DESKTOP="$desktop" "$@"
status=$?
if [ $status -ne 0 ]; then
    echo "--- $desktop log (tail)" >&2
    tail -30 "$log" >&2
fi
exit $status
