#!/usr/bin/env bash
# Installs what the build and the tests need (Debian packages), once per machine.
set -euo pipefail
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for pkg in cmake ninja-build g++ libgtest-dev libgmock-dev googletest libbenchmark-dev \
           clang-format g++-mingw-w64-x86-64 wine64 xvfb xauth imagemagick python3 \
           unicode-data clang libclang-rt-14-dev time; do
  have "$pkg" || need+=("$pkg")
done
if [ "${#need[@]}" -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
