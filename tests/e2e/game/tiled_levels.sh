#!/usr/bin/env bash
# The game plays its levels straight from the Tiled maps a designer saves in
# Maps/ (imported as they load, nothing written): with no .map files and no
# level tile set in the folder, each golden replay, naming the .tmx in place
# of the .map, ends on the same line and hash as recorded.
# usage: tiled_levels.sh ZORTA-GAME GAME-RUN-FOLDER SOURCE-DIR
set -euo pipefail
GAME=$(realpath "$1")
DATA=$2
SRC=$(realpath "$3")
work=$(mktemp -d /tmp/zorta-game-tiled-XXXXXX)
trap 'rm -rf "$work"' EXIT
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Tile sets beside a map are offered as maps too: they go in a folder of their own.
mkdir -p "$work/Maps/tiles" "$work/TileSets"
cp "$DATA/TileSets/sprites.gfx" "$work/TileSets/"
cp "$SRC"/game/levels/*.tsx "$SRC"/game/levels/*.png "$work/Maps/tiles/"
for tmx in "$SRC"/game/levels/*.tmx; do
  sed 's#source="\([^"/]*\.tsx\)"#source="tiles/\1"#' "$tmx" >"$work/Maps/$(basename "$tmx")"
done
grep -q 'source="tiles/' "$work/Maps/level1.tmx" || fail "level1.tmx names no tile set file to move"

n=0
for replay in "$SRC"/game/replays/*.rpl; do
  copy=$work/$(basename "$replay")
  sed 's/\.map\b/.tmx/g' "$replay" >"$copy"
  want=$(sed -n 's/^# expect: //p' "$copy")
  got=$("$GAME" --data "$work" --replay "$copy" 2>"$work/err") || fail "$(basename "$replay"): $(cat "$work/err")"
  got=$(tail -1 <<<"$got")
  [ "$got" = "$want" ] || fail "$(basename "$replay"): got '$got', expected '$want'"
  n=$((n + 1))
done
[ "$n" -ge 4 ] || fail "only $n replays found"
leftover=$(cd "$work" && find Maps TileSets -type f ! -path 'Maps/*' ! -name sprites.gfx)
[ -z "$leftover" ] || fail "loading wrote into the folder: $leftover"
echo "PASS: $n replays from the Tiled maps themselves"
