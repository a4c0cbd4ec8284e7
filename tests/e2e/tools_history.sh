#!/bin/bash
# zorta-tool history: a slot's versions listed (number, time, size, first
# comment line, the current one marked) for a numbered file and for one the
# folder's record gives a slot, byte for byte; --show K prints version K
# as kept; a version or a history that is not there is exit 1 with a message,
# and nothing in the folder changes. Needs no X server. $2 = zorta-tool.
set -u
TOOL=$2
DATA=$(cd "$(dirname "$0")/../unit/tools/data/history" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cp -a "$DATA/Sounds" "$WORK/" || exit 1
cd "$WORK" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

TZ=Asia/Tokyo "$TOOL" history Sounds/120-laser.txt > list.txt || fail "history: $(cat list.txt)"
cmp list.txt "$DATA/list-120.txt" || fail "the list of slot 120 differs: $(cat list.txt)"
"$TOOL" history Sounds/quiet.txt > list.txt || fail "history of a file without a number: $(cat list.txt)"
cmp list.txt "$DATA/list-quiet.txt" || fail "the list of quiet.txt differs: $(cat list.txt)"
for k in 1 2 4; do
  "$TOOL" history Sounds/120-laser.txt --show $k > shown.txt || fail "--show $k"
  cmp shown.txt "Sounds/.history/120/000$k.txt" || fail "--show $k printed another text"
done

"$TOOL" history Sounds/120-laser.txt --show 3 > out.txt 2> err.txt && fail "--show of a dropped version answered 0"
[ "$(cat err.txt)" = "zorta-tool history: no version '3' of 'Sounds/120-laser.txt' (versions 1 to 4)" ] ||
  fail "--show 3 said: $(cat err.txt)"
[ -s out.txt ] && fail "--show 3 printed: $(cat out.txt)"
"$TOOL" history Sounds/122-none.txt 2> err.txt && fail "a file without versions answered 0"
grep -qF "no versions kept of 'Sounds/122-none.txt'" err.txt || fail "no history said: $(cat err.txt)"
"$TOOL" history 2> err.txt; [ $? = 2 ] || fail "no file is not a usage error"

diff -r "$DATA/Sounds" Sounds || fail "history changed the folder"
echo "history: lists and versions as pinned, refusals with exit 1"
