#!/bin/bash
# Remakes docs/tiled.png: a map made in Tiled (Tiled's desert tile set, every
# flip and rotation of a few tiles) imported and drawn by `map render`.
# Usage: bash docs/tiled-picture.sh build/zorta-tool [OUT.png]   (needs tiled)
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
TOOL=$(realpath "$1")
OUT=$(realpath -m "${2:-$HERE/tiled.png}")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp /usr/share/doc/tiled/examples/desert.tsx /usr/share/doc/tiled/examples/tmw_desert_spacing.png "$WORK/"
python3 "$HERE/../tests/e2e/tiled/flips_map.py" "$WORK"
"$TOOL" map import "$WORK/flips.tmx" "$WORK/data"
"$TOOL" map render --layer 0 "$WORK/data/Maps/flips.map" "$OUT"
