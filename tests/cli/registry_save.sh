#!/usr/bin/env bash
# velk-sim never loses the user's settings: killed at any moment of a run (its save
# included) it leaves a registry file that parses; a file it cannot write (a read-only
# folder, a full disk) gives a clear message and keeps the previous file; a device is
# never taken for a registry file.
set -euo pipefail
sim="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
chmod 755 "$dir"
fail() { echo "registry save: $*"; exit 1; }
quiet='expect icons 0\n'

# A large file, so that a save takes long enough to be interrupted.
big=$(head -c 200000 /dev/zero | tr '\0' x)
make_reg() {
    printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\software\\Velk\\Velk\\Settings]\n"OnRunList"="%s"\n"OnList"="Word;"\n' "$big" > "$1"
}

# --- killed at random moments: the file always parses ----------------------------------
make_reg "$dir/kill.reg"
start=$(date +%s%N)
printf "$quiet" | "$sim" --registry "$dir/kill.reg" - >/dev/null
span=$(( ($(date +%s%N) - start) / 1000 ))   # microseconds of a whole run
[ "$span" -gt 0 ] || span=1000
for i in $(seq 1 12); do
    printf "$quiet" | "$sim" --registry "$dir/kill.reg" - >/dev/null 2>&1 &
    pid=$!
    sleep "$(awk -v s="$span" -v r="$RANDOM" 'BEGIN { printf "%.6f", s * (r / 32768) * 1.2 / 1e6 }')"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    printf 'expect setting OnList "Word;"\n' | "$sim" --registry "$dir/kill.reg" - >"$dir/out" 2>&1 \
        || { cat "$dir/out"; fail "the file does not parse after kill $i"; }
done
# Each run's load removes what the killed run before it left.
[ -z "$(ls "$dir" | grep '^kill\.reg\.')" ] || fail "a killed save's temporary file was left: $(ls "$dir")"

# --- a full disk: the write fails, the previous file stays ------------------------------
make_reg "$dir/full.reg"
cp "$dir/full.reg" "$dir/full.orig"
set +e
( trap '' XFSZ; printf "$quiet" | prlimit --fsize=100000 "$sim" --registry "$dir/full.reg" - ) \
    >/dev/null 2>"$dir/err"
rc=$?
set -e
[ "$rc" -eq 2 ] || fail "full disk: exit code $rc, expected 2"
grep -q "full.reg: not saved, the previous file is unchanged: cannot write" "$dir/err" \
    || fail "full disk: unclear message: $(cat "$dir/err")"
cmp -s "$dir/full.reg" "$dir/full.orig" || fail "full disk: the previous file changed"
[ -z "$(ls "$dir" | grep '^full\.reg\.')" ] || fail "full disk: a temporary file was left"

# --- a read-only folder -------------------------------------------------------------------
mkdir "$dir/ro"
make_reg "$dir/ro/registry.reg"
cp "$dir/ro/registry.reg" "$dir/ro.orig"
chmod 555 "$dir/ro"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    # The superuser writes anywhere: the check runs as nobody.
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
set +e
printf "$quiet" | "${as_user[@]}" "$sim" --registry "$dir/ro/registry.reg" - >/dev/null 2>"$dir/err"
rc=$?
set -e
chmod 755 "$dir/ro"
[ "$rc" -eq 2 ] || fail "read-only folder: exit code $rc, expected 2 ($(cat "$dir/err"))"
grep -q "not saved, the previous file is unchanged: cannot create a temporary file" "$dir/err" \
    || fail "read-only folder: unclear message: $(cat "$dir/err")"
cmp -s "$dir/ro/registry.reg" "$dir/ro.orig" || fail "read-only folder: the file changed"

# --- a device is no registry file ----------------------------------------------------------
set +e
printf "$quiet" | "$sim" --registry /dev/full - >/dev/null 2>"$dir/err"
rc=$?
set -e
[ "$rc" -eq 2 ] || fail "/dev/full: exit code $rc, expected 2"
grep -q "not a regular file" "$dir/err" || fail "/dev/full: unclear message: $(cat "$dir/err")"
[ -c /dev/full ] || fail "/dev/full is no longer a device"
echo "registry save: ok"
