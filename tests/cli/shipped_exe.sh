#!/usr/bin/env bash
# The program as shipped: a 64-bit Windows GUI program of at most 256 KB, stripped,
# importing only the system's own libraries (no mingw runtime DLL beside it).
set -euo pipefail
exe=${1:?usage: shipped_exe.sh Velk.exe}
limit=$((256 * 1024))
objdump=x86_64-w64-mingw32-objdump
fail=0
complain() { echo "shipped_exe: $*" >&2; fail=1; }

size=$(stat -c %s "$exe")
echo "$(basename "$exe"): $size bytes (limit $limit)"
((size <= limit)) || complain "$size bytes, over the limit of $limit"

headers=$($objdump -p "$exe")
grep -q "file format pei-x86-64" <<<"$headers" || complain "not a 64-bit program"
grep -q "(PE32+)" <<<"$headers" || complain "not PE32+"
grep -q "Subsystem.*(Windows GUI)" <<<"$headers" || complain "not a GUI program"
symbols=$(x86_64-w64-mingw32-nm "$exe" 2>&1 || true)
grep -q "no symbols" <<<"$symbols" || complain "not stripped"

# The libraries every Windows installation has in its system directory.
system="ADVAPI32.dll COMCTL32.dll GDI32.dll KERNEL32.dll msvcrt.dll OLE32.dll OLEAUT32.dll SHELL32.dll USER32.dll"
while read -r dll; do
  grep -qiw -- "$dll" <<<"$system" || complain "imports $dll, not a system library"
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
exit $fail
