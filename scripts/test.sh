#!/usr/bin/env bash
# Builds both homes and runs every test: the sanitizer build, then the plain Linux
# build, whose suite also runs the Windows tests under Wine, then each fuzzer briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)
echo "== Windows cross build (mingw-w64)"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"
echo "== ASan + UBSan"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"
echo "== Linux, with the Windows tests under Wine"
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$jobs"
ctest --preset linux -j "$jobs"
echo "== Fuzzers, a few seconds each (scripts/fuzz.sh runs them longer)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
ctest --preset fuzz -j "$jobs"
