#!/usr/bin/env bash
# The extension's build for GNOME 45 on, which no shell here can run: gjs loads it as the
# ES module it is (imports resolved, the shell's own module replaced by a stand-in) and
# finds the default export that a shell would enable.
set -euo pipefail
extension=$1
command -v gjs >/dev/null || { echo "gjs not installed"; exit 77; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
sed "s|resource:///org/gnome/shell/extensions/extension.js|./shell-extension.js|" \
    "$extension/extension.js" >"$dir/extension.js"
echo 'export class Extension { constructor(metadata) { this.metadata = metadata; } }' \
    >"$dir/shell-extension.js"
cat >"$dir/check.js" <<'JS'
import Ext from './extension.js';
const e = new Ext({uuid: 'velk-windows@velk'});
if (typeof e.enable !== 'function' || typeof e.disable !== 'function')
    throw new Error('no enable/disable');
print('module ok');
JS
meta=$(dirname "$(find /usr/lib -name 'Meta-*.typelib' -print -quit)")
GI_TYPELIB_PATH=$meta gjs -m "$dir/check.js"
