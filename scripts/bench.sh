#!/usr/bin/env bash
# Builds the release build and measures: the Google Benchmark of one engine tick (its
# arguments go to it), velk-sim replaying a simulated day and a million ticks of the
# default rules (time and peak memory), and a million ticks of rules that switch both
# radios back and forth with the simulator's open handles checked to stay flat; and, on
# the Windows build under Wine, one tick on the real backend against the same calls bare;
# on the Linux desktop, one tick from the window table against round trips to the X server.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target velk_bench velk-sim velk_tests >/dev/null
build/release/bench/velk_bench "$@"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
interval=1500
status=0

# velk-sim on the default rules for TICKS polling intervals; prints time and peak memory.
replay() {
    local label="$1" ticks="$2"
    printf 'launch\nwait %d\n' $((ticks * interval)) > "$tmp/replay.velk"
    /usr/bin/time -f '%e %M' -o "$tmp/time" build/release/apps/velk-sim/velk-sim --fresh \
        --registry "$tmp/replay.reg" "$tmp/replay.velk" > "$tmp/replay.out"
    grep -q "still running" "$tmp/replay.out" || { echo "replay: the program ended early"; exit 1; }
    local seconds kb
    read -r seconds kb < "$tmp/time"
    printf '%-12s %9d ticks  %7.2f s  peak memory %6.1f MB\n' "$label" "$ticks" "$seconds" \
        "$(awk -v k="$kb" 'BEGIN { print k / 1024 }')"
    if [ "$kb" -gt $((64 * 1024)) ]; then
        echo "  over the 64 MB bound"
        status=1
    fi
}

echo "== velk-sim replays (default rules, ${interval} ms interval; goal: a day under 0.25 s)"
replay "a day" 57600
replay "a million" 1000000

echo "== soak: a million ticks switching both radios, open handles flat"
start=$(date +%s%N)
VELK_SOAK_TICKS=1000000 build/release/tests/velk_tests --gtest_filter='SimSoak.*' \
    --gtest_brief=1 > "$tmp/soak.out" || { cat "$tmp/soak.out"; status=1; }
printf 'soak         %9d ticks  %7.2f s\n' 1000000 \
    "$(awk -v n=$(($(date +%s%N) - start)) 'BEGIN { print n / 1e9 }')"
echo "== one tick on the Windows backend under Wine"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2 --target velk_win_bench >/dev/null
scripts/wine-run.sh build/mingw/bench/win32/velk_win_bench.exe || status=1

echo "== the Linux desktop's windows: a tick from the table against round trips to the X server"
echo "   (50 windows under Xvfb and openbox; goal: the table at most a tenth of the round trips)"
cmake --build --preset release --target velk_linux_desktop_bench >/dev/null
build/release/bench/linux/velk_linux_desktop_bench 2>/dev/null || status=1

echo "== velk on a Linux desktop at rest: memory after the settings dialog, processor time idle"
cmake --build --preset release --target velk velk_x11_windows >/dev/null
/usr/bin/python3 tests/linux/app_bench.py build/release/apps/velk-linux/velk \
    build/release/tests/linux/velk_x11_windows || status=1

echo "== KDE Plasma's and GNOME's providers: a focus change until it is in Velk's table"
echo "   (headless KWin and GNOME Shell, 20 focus changes each)"
cmake --build --preset release --target velk_shell_tests >/dev/null
ctest --test-dir build/release -R '^shells\.(kwin|gnome)$' -V 2>/dev/null |
    grep -E 'focus change to table' | sed 's/^[0-9]*: /   /' || status=1
exit "$status"
