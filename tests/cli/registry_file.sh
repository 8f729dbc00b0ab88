#!/usr/bin/env bash
# velk-sim keeps the user's registry file: a file it cannot parse is reported with its
# line and left untouched; a good file gains the key path the program's reads create.
set -euo pipefail
sim="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\software]\n"Bad"=dword:xyz\n' > "$dir/bad.reg"
cp "$dir/bad.reg" "$dir/bad.orig"
set +e
"$sim" --registry "$dir/bad.reg" --show-demo >/dev/null
printf 'launch\n' | "$sim" --registry "$dir/bad.reg" - >"$dir/out" 2>"$dir/err"
rc=$?
set -e
[ "$rc" -eq 2 ] || { echo "exit code $rc, expected 2"; exit 1; }
grep -q "bad.reg:4:" "$dir/err" || { echo "no file:line in: $(cat "$dir/err")"; exit 1; }
cmp -s "$dir/bad.reg" "$dir/bad.orig" || { echo "the unreadable file was rewritten"; exit 1; }

# A hand-edited file: the user sets the default radio to WiFi and an OnRunList.
cat > "$dir/good.reg" <<'REG'
Windows Registry Editor Version 5.00

; edited by hand
[HKEY_CURRENT_USER\software\Velk\Velk\Settings]
"OnRunList"="Media Player;#bPhone"
"DefControl"=dword:00000001
REG
printf 'wlan d4\nlaunch\nopen "Media Player"\nwait 1500\nexpect wifi on\ntap\nchoose "E&xit"\n' \
    | "$sim" --registry "$dir/good.reg" - >"$dir/out" 2>&1 || { cat "$dir/out"; exit 1; }
grep -q '"OnRunList"="Media Player;#bPhone"' "$dir/good.reg" || { echo "value lost"; exit 1; }
grep -q '^\[HKEY_CURRENT_USER\\software\\Velk\\Velk\\Settings\]' "$dir/good.reg" || exit 1
echo "registry file: ok"
