#!/usr/bin/env bash
# The long soak of Velk.exe under Wine: ten minutes (or SECONDS) at a 10 ms interval with
# the rules switching both radios back and forth on the test libraries that play the
# device, while its handles and GDI and USER objects are counted from outside. Prints the
# figures after the warm-up and at the end. Usage: scripts/soak.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2 --target Velk velk_win_tests
VELK_SOAK_SECONDS="$seconds" VELK_WINE_TIMEOUT=$((seconds + 300)) \
  scripts/wine-tests.sh build/mingw --gtest_filter='Soak.*'
