#!/usr/bin/env bash
# Installs what the build and the tests need (Debian packages), once per machine. The
# packages are listed by area in scripts/packages/*.list, one name a line.
set -euo pipefail
cd "$(dirname "$0")/.."
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for pkg in $(cat scripts/packages/*.list | sed 's/#.*//'); do
  have "$pkg" || need+=("$pkg")
done
if [ "${#need[@]}" -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
