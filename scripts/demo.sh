#!/usr/bin/env bash
# Builds velk-sim and plays its built-in scenario on a handheld with the default
# settings (a registry of its own under build/, so the user's file is never touched).
# Extra arguments go to velk-sim.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target velk-sim >/dev/null
exec build/linux/apps/velk-sim/velk-sim --registry build/demo-registry.reg --fresh "$@"
