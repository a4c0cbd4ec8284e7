#!/usr/bin/env bash
# Rebuilds the example map and its tile set shipped in data/ with
# ImageMagick and zorta-tool:  tools/example-map/make.sh build/zorta-tool
set -euo pipefail
tool=${1:?usage: make.sh ZORTA-TOOL}
here=$(cd "$(dirname "$0")" && pwd)
data=$here/../../data
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Eight 32 x 32 tiles in a 128 x 64 image: block 0 stays unused (tile value 0
# is an empty cell), 1-4 ground and brick, 5-7 drawn over magenta (keyed).
convert -size 128x64 xc:black \
  -fill '#6b4a2b' -draw 'rectangle 32,0 63,31' -fill '#3f8f3f' -draw 'rectangle 32,0 63,7' \
  -fill '#8a8a8a' -draw 'rectangle 64,0 95,31' -fill '#5a5a5a' -draw 'line 64,15 95,15' -draw 'line 80,0 80,15' \
  -fill '#2b3f8f' -draw 'rectangle 96,0 127,31' \
  -fill '#101830' -draw 'rectangle 0,32 31,63' \
  -fill magenta -draw 'rectangle 32,32 127,63' \
  -fill '#f0d020' -draw 'circle 48,48 48,40' \
  -fill '#d02020' -draw 'polygon 66,62 80,34 94,62' \
  -fill '#ffffff' -draw 'rectangle 100,44 123,51' \
  -type TrueColor BMP3:"$work/tiles.bmp"
"$tool" map tiles "$work/tiles.bmp" "$data/TileSets/example.gfx"
"$tool" map build "$here/example.json" "$data/Maps/example.map"
