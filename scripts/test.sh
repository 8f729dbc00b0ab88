#!/usr/bin/env bash
# Builds both homes and runs every test: the sanitizer build, then the plain Linux
# build, whose suite also runs the Windows tests under Wine, then each fuzzer briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# Compositors and desktop shells refuse to run as root, so some Linux tests run them (and
# programs of the build) as the unprivileged user nobody, who must be able to reach the
# tree: folders above it that others cannot enter get the search permission (only that).
if ! setpriv --reuid=65534 --regid=65534 --clear-groups test -r "$PWD/CMakeLists.txt" 2>/dev/null; then
  dir=$PWD
  while [ "$dir" != / ]; do
    if [ "$(stat -c %A "$dir" | cut -c10)" != x ] && [ "$(stat -c %A "$dir" | cut -c10)" != t ]; then
      echo "test.sh: letting others enter $dir, so that the unprivileged test user reaches the tree"
      chmod o+x "$dir"
    fi
    dir=$(dirname "$dir")
  done
fi
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
