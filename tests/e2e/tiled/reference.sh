#!/bin/bash
# Tiled's own example maps against Tiled's own renderer. Every orthogonal map
# of 32, 16 or 8 pixel tiles imports, and each of its tile layers drawn alone
# by `map render` equals tmxrasterizer's picture of that layer alone, pixel
# for pixel (16 and 8 pixel maps at tmxrasterizer's scale 2 and 4, nearest
# pixel, as the import scales them); the same maps exported by
# `tiled --export-map json` import to the same bytes; every other map is
# refused with the reason. A map of our own adds every flip and rotation,
# two tile sets in one layer and every tile encoding.
# $1 = zorta-tool. Needs tiled (scripts/deps installs it), no X server.
set -u
TOOL=$1
HERE=$(cd "$(dirname "$0")" && pwd)
EXAMPLES=/usr/share/doc/tiled/examples
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$WORK
command -v tmxrasterizer > /dev/null || fail "tmxrasterizer is missing: scripts/deps installs tiled"
[ -d "$EXAMPLES" ] || fail "$EXAMPLES is missing: scripts/deps installs tiled"

# Debian compresses the examples, and the references between them name the
# plain files: unpack them as Tiled ships them upstream.
cp -r "$EXAMPLES" "$WORK/maps"
find "$WORK/maps" -name '*.gz' -exec gunzip -f {} +
python3 "$HERE/flips_map.py" "$WORK/maps" || fail "cannot write the flips map"
cd "$WORK" || exit 1
mkdir -p out fromjson

attr() { sed -n "s/.*<map [^>]*\\b$1=\"\\([^\"]*\\)\".*/\\1/p" "$2" | head -1; }
# Tile layer names in the file's order (the order of the imported layers).
tile_layers() { grep -o '<layer [^>]*name="[^"]*"' "$1" | sed 's/.*name="\([^"]*\)"/\1/'; }

# Object and image layers.
other_layers() { grep -oE '<(objectgroup|imagelayer) [^>]*name="[^"]*"' "$1" | sed 's/.*name="\([^"]*\)"/\1/'; }

imported=0 compared=0 refused=0
while read -r map; do
  rel=${map#"$WORK"/maps/}
  name=$(basename "$map" .tmx)
  orientation=$(attr orientation "$map")
  tw=$(attr tilewidth "$map")
  th=$(attr tileheight "$map")
  out=$WORK/out/$name
  if [ "$orientation" != orthogonal ] || [ "$tw" != "$th" ] || { [ "$tw" != 32 ] && [ "$tw" != 16 ] && [ "$tw" != 8 ]; }; then
    "$TOOL" map import "$map" "$out" > out.txt 2> err.txt && fail "$rel ($orientation, $tw x $th) imported"
    grep -qF "$rel" err.txt || fail "$rel: the refusal does not name the file: $(cat err.txt)"
    if [ "$orientation" != orthogonal ]; then
      grep -qF "$orientation maps cannot be imported" err.txt || fail "$rel: $(cat err.txt)"
    else
      grep -qF "tiles of $tw x $th pixels cannot be imported" err.txt || fail "$rel: $(cat err.txt)"
      grep -qF "maps of 32, 16 or 8 pixel square tiles import" err.txt || fail "$rel: $(cat err.txt)"
    fi
    [ -e "$out" ] && fail "$rel: refused, yet $out was written"
    refused=$((refused + 1))
    continue
  fi
  "$TOOL" map import "$map" "$out" > out.txt 2> err.txt || fail "$rel: $(cat err.txt)"
  imported=$((imported + 1))
  scale=$((32 / tw))
  [ "$scale" = 1 ] || grep -qF "$tw pixel tiles scaled up $scale times" out.txt || fail "$rel: scaling not said"
  index=0
  while read -r layer; do
    "$TOOL" map render --layer "$index" "$out/Maps/$name.map" ours.png 2> err.txt || fail "$rel '$layer': $(cat err.txt)"
    tmxrasterizer --scale "$scale" --no-smoothing --show-layer "$layer" "$map" theirs.png 2> /dev/null ||
      fail "$rel '$layer': tmxrasterizer failed"
    differ=$(compare -metric AE ours.png theirs.png null: 2>&1)
    [ "$differ" = 0 ] || fail "$rel layer '$layer': $differ pixels differ from tmxrasterizer"
    # A picture of nothing would agree as well: each layer draws something.
    drawn=$(convert ours.png -alpha extract -format '%[fx:mean > 0]' info:)
    [ "$drawn" = 1 ] || fail "$rel layer '$layer' draws nothing"
    echo "same as tmxrasterizer: $rel layer '$layer' (scale $scale)"
    compared=$((compared + 1))
    index=$((index + 1))
  done < <(tile_layers "$map")
  if [ "$index" = 0 ]; then
    echo "nothing to compare: $rel has no tile layer (its objects are imported)"
  else
    # The whole map, straight from the Tiled file, against Tiled's picture
    # without the object layers (their shapes are Tiled's drawing, not ours).
    hide=()
    while read -r layer; do hide+=(--hide-layer "$layer"); done < <(other_layers "$map")
    "$TOOL" map render "$map" ours.png 2> err.txt || fail "$rel: $(cat err.txt)"
    tmxrasterizer --scale "$scale" --no-smoothing "${hide[@]}" "$map" theirs.png 2> /dev/null ||
      fail "$rel: tmxrasterizer failed"
    differ=$(compare -metric AE ours.png theirs.png null: 2>&1)
    [ "$differ" = 0 ] || fail "$rel: $differ pixels of the whole map differ from tmxrasterizer"
    echo "same as tmxrasterizer: $rel, all its tile layers"
  fi
  # The same map through Tiled's JSON, written beside it (its tile sets are
  # named relative to it): the same files, byte for byte.
  json=${map%.tmx}.json
  tiled --export-map json "$map" "$json" > /dev/null 2>&1 || fail "$rel: tiled --export-map json failed"
  "$TOOL" map import "$json" "$WORK/fromjson/$name" > /dev/null 2> err.txt || fail "$rel as JSON: $(cat err.txt)"
  find "$out" -type f -printf '%P\n' | sort > a.txt
  find "$WORK/fromjson/$name" -type f -printf '%P\n' | sort > b.txt
  cmp -s a.txt b.txt || fail "$rel as JSON writes other files: $(diff a.txt b.txt)"
  while read -r f; do
    cmp -s "$out/$f" "$WORK/fromjson/$name/$f" || fail "$rel as JSON: $f differs"
  done < a.txt
done < <(find "$WORK/maps" -name '*.tmx' | sort)

# --scale repeats our pixels as tmxrasterizer's nearest-pixel scale does.
"$TOOL" map render --scale 3 "$WORK/maps/desert.tmx" ours.png 2> err.txt || fail "desert.tmx at scale 3: $(cat err.txt)"
tmxrasterizer --scale 3 --no-smoothing "$WORK/maps/desert.tmx" theirs.png 2> /dev/null || fail "tmxrasterizer failed"
differ=$(compare -metric AE ours.png theirs.png null: 2>&1)
[ "$differ" = 0 ] || fail "desert.tmx at scale 3: $differ pixels differ from tmxrasterizer"

# A map file whose tile set is gone: one message, nothing written.
rm "$WORK/out/desert/TileSets/desert-1.gfx"
"$TOOL" map render "$WORK/out/desert/Maps/desert.map" gone.png > out.txt 2> err.txt && fail "rendered without its tile set"
[ "$(cat err.txt)" = "zorta-tool map render: '$WORK/out/desert/Maps/desert.map' draws from 'TileSets/desert-1.gfx', which is missing beside its Maps/ folder" ] ||
  fail "a missing tile set: $(cat err.txt)"
[ -e gone.png ] && fail "a picture was written without its tile set"

# The example game's levels, drawn in Tiled: every layer against Tiled's, but
# for what Tiled 1.8 cannot draw as the game does. The Far and Clouds layers
# wrap (Tiled repeats no tile layer): compared over their own size. The pond
# on Main is the tile past the tile set's last, which the game keeps from
# being drawn and Tiled marks as missing: those cells, said by the import,
# draw nothing of ours and are left out.
LEVELS=$HERE/../../../game/levels
mkdir -p game && cp "$LEVELS"/* game/
for level in game/level*.tmx; do
  name=$(basename "$level" .tmx)
  "$TOOL" map import "$level" "out/game-$name" > out.txt 2> err.txt || fail "$level: $(cat err.txt)"
  said=$(sed -n "s/.*tile 8 in \([0-9]*\) cells is past the 8 tiles of tile set 'game-tiles'.*/\1/p" out.txt)
  # The pond's cells, as ImageMagick rectangles.
  pond=$(python3 - "$level" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
layer = re.search(r'<layer [^>]*name="Main"[^>]*width="(\d+)".*?<data encoding="csv">(.*?)</data>', text, re.S)
width, cells = int(layer.group(1)), [int(v) for v in layer.group(2).split(",")]
for i, v in enumerate(cells):
    if v == 9:
        x, y = i % width * 32, i // width * 32
        print(f"rectangle {x},{y} {x + 31},{y + 31}")
PY
)
  [ -n "$said" ] && [ "$(grep -c rectangle <<<"$pond")" = "$said" ] || fail "$level: the pond not said as found: $(cat out.txt)"
  index=0 draw=()
  for layer in Far Floor Main Trees Clouds; do
    "$TOOL" map render --layer "$index" "out/game-$name/Maps/$name.map" ours.png 2> err.txt || fail "$level '$layer': $(cat err.txt)"
    tmxrasterizer --no-smoothing --show-layer "$layer" "$level" theirs.png 2> /dev/null || fail "$level '$layer': tmxrasterizer failed"
    case $layer in
      Far) convert ours.png -crop 320x256+0+0 +repage ours.png && convert theirs.png -crop 320x256+0+0 +repage theirs.png ;;
      Clouds) convert ours.png -crop 384x320+0+0 +repage ours.png && convert theirs.png -crop 384x320+0+0 +repage theirs.png ;;
      Main)
        while read -r rect; do
          lit=$(convert ours.png -crop "$(awk '{split($2,a,",");split($3,b,",");print b[1]-a[1]+1 "x" b[2]-a[2]+1 "+" a[1] "+" a[2]}' <<<"$rect")" -alpha extract -format '%[fx:maxima]' info:)
          [ "$lit" = 0 ] || fail "$level: a pond cell is drawn"
          draw+=(-draw "$rect")
        done <<<"$pond"
        convert ours.png -fill black "${draw[@]}" ours.png && convert theirs.png -fill black "${draw[@]}" theirs.png ;;
    esac
    differ=$(compare -metric AE ours.png theirs.png null: 2>&1)
    [ "$differ" = 0 ] || fail "$level layer '$layer': $differ pixels differ from tmxrasterizer"
    echo "same as tmxrasterizer: game/$name.tmx layer '$layer'"
    compared=$((compared + 1))
    index=$((index + 1))
  done
done

# What the examples must have shown: desert (32), island and
# orthogonal-outside (16), flips (32), the two sticker-knight maps (objects
# only); sewers and perspective_walls (24 and 31 pixels), the rules of the
# sewer automap (24) and the isometric and hexagonal maps refused.
[ "$imported" -ge 6 ] || fail "only $imported maps imported"
[ "$compared" -ge 21 ] || fail "only $compared layers compared"
[ "$refused" -ge 5 ] || fail "only $refused maps refused"
echo "PASS tiled reference: $imported maps imported, $compared layers the same as tmxrasterizer, $refused refused"
