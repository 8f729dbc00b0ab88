#!/usr/bin/env bash
# Runs the Windows build's tests (velk_win_tests.exe) under Wine (scripts/wine-run.sh:
# a virtual X display and a throw-away prefix, all stopped again at the end).
# Usage: scripts/wine-tests.sh BUILD_DIR [gtest arguments]
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

# The tests start the peer helper and the program from these (Windows) paths.
export VELK_PEER="Z:${peer//\//\\}" VELK_EXE="Z:${program//\//\\}"
exec "$(dirname "$0")/wine-run.sh" "$tests" --gtest_brief=1 "$@"
