#!/usr/bin/env bash
# The layering check passes on the tree and fails on a copy with a breach planted in
# it: the framework including application code, and a cycle between two app folders.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
check="$root/scripts/check-layers.py"
python3 "$check" "$root"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
plant() {  # plant FILE INCLUDE: a copy of the product with one more include
  rm -rf "$work/tree"
  mkdir "$work/tree"
  (cd "$root" && cp -r platform res engine radio config mainframe apps "$work/tree/")
  echo "#include \"$2\"" >>"$work/tree/$1"
  if python3 "$check" "$work/tree" >"$work/out"; then
    echo "layers check missed: $1 including $2" >&2
    exit 1
  fi
  grep -q "$3" "$work/out" || { echo "unexpected report:" >&2; cat "$work/out" >&2; exit 1; }
}
plant platform/framework/dialog.h engine/rule_lists.h "may not include"
plant platform/sim/clock.h config/settings.h "may not include"
plant platform/strings.h platform/framework/wnd.h "may not include"
plant platform/model/input.h platform/sim/clock.h "may not include"
plant radio/radios.h mainframe/main_frame.h "cycle between folders"
echo "layers check: breaches detected"
