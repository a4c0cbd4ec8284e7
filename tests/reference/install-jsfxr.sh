#!/usr/bin/env bash
# Installs jsfxr, the reference the synth voice is checked against, into the
# build folder (nothing from npm goes into the tree): at one pinned version,
# and only when that version is not there already.
set -euo pipefail
dir="$1"
version=1.4.1
if [ -f "$dir/node_modules/jsfxr/package.json" ] &&
   grep -q "\"version\": \"$version\"" "$dir/node_modules/jsfxr/package.json"; then
  exit 0
fi
mkdir -p "$dir"
npm install --prefix "$dir" --no-audit --no-fund --no-save "jsfxr@$version"
