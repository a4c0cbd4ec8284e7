#!/bin/bash
# zorta-tool plot: PNG pictures of the asked size for the chosen slots, the
# contact sheet, clear failures. $1 = zorta (unused), $2 = zorta-tool.
set -u
TOOL=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

"$TOOL" plot --slots 0,1,81 --size 640x400 out > plot.log || fail "plot"
[ "$(ls out | tr '\n' ' ')" = "bank.png slot-00.png slot-01.png slot-81.png " ] || fail "files: $(ls out)"
for f in out/slot-*.png; do
  [ "$(identify -format '%m %wx%h' "$f")" = "PNG 640x400" ] || fail "$f: $(identify "$f")"
done
identify -format '%m' out/bank.png | grep -qx PNG || fail "bank.png is no PNG"
grep -q "wrote out/slot-81.png (640x400)" plot.log || fail "no report of slot 81"

"$TOOL" plot --slots=88 out2 > /dev/null || fail "plot with --slots="
[ "$(identify -format '%wx%h' out2/slot-88.png)" = 800x480 ] || fail "default size"
# The sheet does not depend on the chosen slots.
cmp -s out/bank.png out2/bank.png || fail "contact sheets differ"

"$TOOL" plot --size 100x50 bad 2> err.txt && fail "tiny size accepted"
grep -q "bad size '100x50'" err.txt || fail "message for a tiny size: $(cat err.txt)"
"$TOOL" plot --slots 89 bad 2> err.txt && fail "empty slot accepted"
grep -q "slot 89 holds no effect" err.txt || fail "message for an empty slot: $(cat err.txt)"
[ -e bad ] && fail "folder made despite the error"
"$TOOL" plot 2> err.txt && fail "missing folder accepted"
grep -q "no output folder given" err.txt || fail "message for a missing folder"
"$TOOL" --help | grep -q "zorta-tool plot \[--slots LIST\] \[--size WxH\] OUTDIR" || fail "--help lacks plot"
echo "plot: ok"
