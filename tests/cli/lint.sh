#!/usr/bin/env bash
# velk-sim --lint reads a hand-edited registry file as a launch would, warns on standard
# output, exits 0, and leaves the file as it was; it refuses a scenario beside it.
set -euo pipefail
sim="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

cat > "$dir/r.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\software\Velk\Velk\Settings]
"OnList"="Word; Excel;word"
"DefControl"=dword:00000001
REG
cp "$dir/r.reg" "$dir/r.orig"
"$sim" --registry "$dir/r.reg" --lint >"$dir/out" 2>"$dir/err" || { echo "exit code $?"; exit 1; }
[ ! -s "$dir/err" ] || { echo "standard error: $(cat "$dir/err")"; exit 1; }
expect() { grep -qF -- "$1" "$dir/out" || { echo "missing: $1"; cat "$dir/out"; exit 1; }; }
expect '  " excel"  WiFi'
expect '"hr: "  WiFi'                      # the default off list, not stored
expect 'warning: OnList " excel" (WiFi) begins with white space'
expect 'warning: OnList "word" (WiFi) is written more than once in the list'
expect '2 warnings'
cmp -s "$dir/r.reg" "$dir/r.orig" || { echo "--lint rewrote the file"; exit 1; }

set +e
"$sim" --registry "$dir/r.reg" --lint "$dir/none.velk" >/dev/null 2>&1
rc=$?
set -e
[ "$rc" -eq 2 ] || { echo "--lint with a scenario: exit code $rc, expected 2"; exit 1; }
echo "lint: ok"
