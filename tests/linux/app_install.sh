#!/bin/sh
# cmake --install puts the program, its desktop entry and its icons where desktops look.
# Usage: app_install.sh CMAKE BUILD_DIR
prefix=$(mktemp -d) || exit 1
trap 'rm -rf "$prefix"' EXIT
"$1" --install "$2" --prefix "$prefix" >/dev/null || exit 1
test -x "$prefix/bin/velk" || { echo "no bin/velk"; exit 1; }
grep -q '^Exec=velk$' "$prefix/share/applications/velk.desktop" || { echo "no desktop entry"; exit 1; }
for size in 16 32 48 64; do
    file "$prefix/share/icons/hicolor/${size}x${size}/apps/velk.png" | grep -q "PNG image data, $size x $size" ||
        { echo "no $size pixel icon"; exit 1; }
done
