#!/bin/bash
# zorta-tool recipe, check and render, and recipe files in play and plot: a
# built-in recipe printed and rendered gives the file export writes; errors
# come as file:line:column: message with exit 1 and nothing written.
# Needs no X server. $1 = zorta (unused), $2 = zorta-tool.
set -u
TOOL=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

# The acceptance: recipe 10 rendered is byte for byte export's slot 10.
"$TOOL" recipe 10 > s.txt || fail "recipe 10"
grep -q "^frames 8192$" s.txt || fail "recipe 10 lacks its header: $(head -3 s.txt)"
"$TOOL" render s.txt out/ > render.log || fail "render: $(cat render.log)"
"$TOOL" export --slots 10 ex/ > /dev/null || fail "export"
cmp out/s.wav ex/slot-10.wav || fail "render of recipe 10 differs from export --slots 10"
# Slot 1 is the first to draw noise: seeded as at a normal start, it matches too.
"$TOOL" recipe 1 > one.txt && "$TOOL" render one.txt out/ > /dev/null && "$TOOL" export --slots 1 ex/ > /dev/null
cmp out/one.wav ex/slot-01.wav || fail "slot 1's noise differs from export"
# Every slot, noise and all: recipe N's seed line starts the noise where the
# bank's stood at slot N.
"$TOOL" export all/ > /dev/null || fail "export of the bank"
for n in $(seq -w 0 88); do "$TOOL" recipe $((10#$n)) > "r$n.txt" || fail "recipe $n"; done
"$TOOL" render r??.txt every/ > /dev/null || fail "render of the 89 recipes"
for n in $(seq -w 0 88); do cmp -s "every/r$n.wav" "all/slot-$n.wav" || fail "recipe $n renders other samples than slot $n"; done
# A file saved by Windows' Notepad: UTF-8 with a byte-order mark, or UTF-16.
printf '\xef\xbb\xbf' | cat - s.txt > bom.txt
iconv -f UTF-8 -t UTF-16 s.txt > wide.txt
"$TOOL" render bom.txt wide.txt marked/ > /dev/null || fail "render of files with byte-order marks"
cmp marked/bom.wav out/s.wav && cmp marked/wide.wav out/s.wav || fail "a byte-order mark changed the sound"
# Another seed, other noise; the same seed, the same bytes.
"$TOOL" render --seed 5 one.txt seeded/ > /dev/null || fail "render --seed"
cmp -s seeded/one.wav out/one.wav && fail "--seed 5 gave the default noise"
"$TOOL" render --seed 5 one.txt seeded2/ > /dev/null && cmp seeded/one.wav seeded2/one.wav || fail "--seed not repeatable"
# The other formats go through export's writers.
for f in flac raw h; do
  "$TOOL" render --format $f s.txt fmt/ > /dev/null || fail "render --format $f"
  "$TOOL" export --format $f --slots 10 exf/ > /dev/null
done
cmp fmt/s.raw exf/slot-10.raw || fail "raw differs"
[ "$(soxi -s fmt/s.flac)" = 8192 ] || fail "flac length"
grep -q "static const short zorta_sound_s\[8192\]" fmt/s.h || fail "header names: $(grep static fmt/s.h)"
"$TOOL" render --rate 44100 s.txt r44/ > /dev/null && [ "$(soxi -r r44/s.wav)" = 44100 ] || fail "render --rate"

# check: good files say ok; errors as file:line:column: message; exit 1.
printf 'frames 1000\nvolume 100\nsaw [900+200] C-6\n' > outside.txt
printf 'frames 1000\nvolume 100\n\n  sine 0.1 ->\n' > cut.txt
"$TOOL" check s.txt > check.log 2> check.err || fail "check of a good file: $(cat check.err)"
grep -q "^s.txt: ok (8192 frames" check.log || fail "check report: $(cat check.log)"
"$TOOL" check s.txt outside.txt cut.txt missing.txt > check.log 2> check.err
[ $? = 1 ] || fail "check with errors is not exit 1"
grep -qx "outside.txt:3:1: the run \[900+200\] lies outside the sound's 1000 frames" check.err || fail "$(cat check.err)"
grep -qx "cut.txt:4:14: expected a number, a note such as C-6, a name or '(', found the end of the line" check.err ||
  fail "$(cat check.err)"
grep -q "zorta-tool check: cannot read 'missing.txt'" check.err || fail "$(cat check.err)"
# render writes nothing when any file has an error.
"$TOOL" render s.txt cut.txt none/ > /dev/null 2> render.err && fail "render of a broken file succeeded"
[ -e none ] && fail "render made its folder despite an error"
grep -q "^cut.txt:4:14: " render.err || fail "$(cat render.err)"
"$TOOL" recipe 89 2> /dev/null; [ $? = 1 ] || fail "recipe 89 is not exit 1"
# Nothing to work on is a usage error.
for words in "recipe" "check" "render s.txt"; do
  "$TOOL" $words > /dev/null 2>&1; [ $? = 2 ] || fail "'$words' is not a usage error"
done

# plot and play take recipe files.
"$TOOL" plot s.txt pics/ > /dev/null || fail "plot of a file"
[ "$(identify -format '%wx%h' pics/s.png)" = 800x480 ] || fail "plot picture"
[ -e pics/bank.png ] && fail "plot of a file alone drew the bank"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=cap.raw "$TOOL" play s.txt 2 > play.log 2> /dev/null || fail "play of a file"
grep -q "^playing s.txt (8192 frames, 372 ms)" play.log && grep -q "^playing slot 2 " play.log || fail "$(cat play.log)"
[ "$(od -An -v -td2 cap.raw | tr -s ' ' '\n' | grep -cv '^0*$')" -gt 1000 ] || fail "play of a file was silent"
echo "recipe tools: ok"
