#!/usr/bin/env bash
# Runs one Windows program under Wine on a virtual X display, in a throw-away Wine
# prefix, and returns its exit status. Usage: scripts/wine-run.sh EXE [arguments]
# Everything this script starts is stopped again, also when the program fails or hangs.
# VELK_WINE_TIMEOUT: seconds the program may take (default 600).
set -euo pipefail

exe=${1:?usage: wine-run.sh EXE [arguments]}
shift
[ -f "$exe" ] || { echo "wine-run: $exe is not built" >&2; exit 1; }

source "$(dirname "$0")/wine-env.sh"

status=0
timeout "${VELK_WINE_TIMEOUT:-600}" "$wine" "$exe" "$@" || status=$?
exit "$status"
