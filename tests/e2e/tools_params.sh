#!/bin/bash
# zorta-tool import and export-params: a sound of every kind through each of
# the other tools' formats and back, the files byte for byte the same and the
# recipes too; the pinned .sfs and .rfx written again; damaged files refused
# with exit 1, their name and the reason, and nothing written; binary output
# refused on a terminal.
# Needs no X server. $1 = zorta (unused), $2 = zorta-tool.
set -u
TOOL=$2
DATA=$(cd "$(dirname "$0")/../unit/tools/data" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

for kind in pickup laser explosion powerup hit jump blip random tone click synth; do
  "$TOOL" new $kind --seed 5 > $kind.txt || fail "new $kind"
  for format in sfs jsfxr b58 rfx; do
    "$TOOL" export-params $kind.txt --format $format -o a.$format > /dev/null || fail "export $kind as $format"
    "$TOOL" import a.$format -o a.txt > /dev/null || fail "import of $kind as $format"
    "$TOOL" export-params a.txt --format $format -o b.$format > /dev/null || fail "export of the import"
    "$TOOL" import b.$format > b.txt || fail "import of $kind's second $format"
    cmp a.$format b.$format || fail "$kind as $format differs after import and export"
    cmp a.txt b.txt || fail "$kind's recipe from $format differs after import and export"
    tail -n +2 a.txt | cmp - <(tail -n +2 $kind.txt) || fail "$kind from $format is not the recipe it was"
  done
  "$TOOL" check a.txt > /dev/null || fail "check of the imported $kind"
done
# The pinned files, again; a share code on the command line, in a link too.
"$TOOL" new random > random-1.txt && "$TOOL" new laser --seed 2 > laser-2.txt
"$TOOL" export-params random-1.txt --format sfs > r.sfs && cmp r.sfs "$DATA/params/random-1.sfs" || fail "random-1.sfs"
"$TOOL" export-params laser-2.txt --format rfx > l.rfx && cmp l.rfx "$DATA/params/laser-2.rfx" || fail "laser-2.rfx"
code=$("$TOOL" export-params laser-2.txt --format b58)
"$TOOL" import "$code" > c1.txt && "$TOOL" import "https://sfxr.me/#$code" > c2.txt || fail "import of a code"
cmp c1.txt c2.txt && tail -n +2 c1.txt | cmp - <(tail -n +2 laser-2.txt) || fail "the code is not laser-2"

# Refusals: exit 1, "zorta-tool import: FILE: reason", nothing written.
refused() {  # FILE MESSAGE
  "$TOOL" import "$1" -o none.txt > /dev/null 2> err.txt; [ $? = 1 ] || fail "$1 is not exit 1"
  grep -qxF "zorta-tool import: $1: $2" err.txt || fail "$1: $(cat err.txt)"
  [ -e none.txt ] && fail "a refused import of $1 wrote its output"
  return 0
}
head -c 60 r.sfs > short.sfs
refused short.sfs "truncated: 60 of the 105 bytes of a version 102 .sfs"
cp l.rfx long.rfx && printf 'x' >> long.rfx
refused long.rfx "1 byte after the end of an .rfx"
printf '{"wave_type": 2, "p_base_freq": "high"}' > bad.json
refused bad.json 'p_base_freq is "high", not a number'
printf '{"wave_type": 2, ' > cut.json
refused cut.json "not well-formed JSON"
printf '%s' "${code:0:50}" > short.b58
refused short.b58 "the share code holds 37 bytes, not the 89 of a sound"
head -c 70000 /dev/zero | tr '\0' 'z' > huge.b58
refused huge.b58 "larger than 64 KB, which no such file is"
refused random-1.txt "not an .sfs, an .rfx, jsfxr's JSON or a share code"
refused missing.sfs "No such file or directory"
# Out of range: clamped, said on stderr, exit 0.
printf '{"p_base_freq": 1.25}' > high.json
"$TOOL" import high.json > high.txt 2> err.txt || fail "a value out of range is refused"
grep -qxF "zorta-tool import: high.json: freq 1.25 is outside 0 to 1: 1 taken" err.txt || fail "$(cat err.txt)"
grep -qE "freq = 1(,|\))" high.txt || fail "freq not clamped: $(cat high.txt)"

# export-params: its input never overwritten, the triangle refused, binary
# never to a terminal.
cp a.sfs keep.sfs
"$TOOL" import keep.sfs -o keep.sfs 2> err.txt; [ $? = 1 ] || fail "import over its input is not exit 1"
cmp keep.sfs a.sfs && grep -q "will not write over the input 'keep.sfs'" err.txt || fail "$(cat err.txt)"
printf 'frames 100\nvolume 9\nsynth (triangle)\n' > tri.txt
"$TOOL" export-params tri.txt --format rfx -o none.rfx 2> err.txt; [ $? = 1 ] || fail "a triangle is not exit 1"
grep -qxF "zorta-tool export-params: tri.txt: the triangle wave has no place in an .rfx (square, sawtooth, sine and noise only)" \
  err.txt || fail "$(cat err.txt)"
[ -e none.rfx ] && fail "a refused export wrote its output"
"$TOOL" export-params random-1.txt --format wav 2> err.txt; [ $? = 1 ] || fail "an unknown format is not exit 1"
grep -qxF "zorta-tool export-params: unknown format 'wav' (use sfs, jsfxr, b58 or rfx)" err.txt || fail "$(cat err.txt)"
"$TOOL" export-params random-1.txt 2> err.txt; [ $? = 2 ] || fail "no format is not exit 2"
grep -qF "zorta-tool export-params: no --format given (sfs, jsfxr, b58 or rfx)" err.txt || fail "$(cat err.txt)"
python3 - "$TOOL" random-1.txt > tty.txt <<'EOF' || fail "binary on a terminal: $(cat tty.txt)"
import os, pty, subprocess, sys
master, slave = pty.openpty()
run = subprocess.run([sys.argv[1], "export-params", sys.argv[2], "--format", "sfs"], stdout=slave, stderr=subprocess.PIPE)
os.close(slave)
os.set_blocking(master, False)
try:
    written = os.read(master, 4096)
except OSError:  # nothing was written, and the terminal is closed
    written = b""
want = "zorta-tool export-params: will not write a binary .sfs to a terminal (give -o OUT or redirect the output)\n"
sys.exit(0 if run.returncode == 1 and run.stderr.decode() == want and not written else 1)
EOF
echo "PASS"
