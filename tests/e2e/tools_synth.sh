#!/bin/bash
# zorta-tool new and mutate: the pinned recipes of every kind, byte for byte,
# each one passing check; mutate's output, its refusals with exit 1 and a
# message naming the file, and nothing written over its input.
# Needs no X server. $1 = zorta (unused), $2 = zorta-tool.
set -u
TOOL=$2
DATA=$(cd "$(dirname "$0")/../unit/tools/data" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

for kind in pickup laser explosion powerup hit jump blip random tone click synth; do
  "$TOOL" new $kind --count 2 out > new.log || fail "new $kind: $(cat new.log)"
  grep -qx "wrote out/$kind-2.txt" new.log || fail "new $kind said: $(cat new.log)"
  for seed in 1 2; do cmp "out/$kind-$seed.txt" "$DATA/new/$kind-$seed.txt" || fail "$kind-$seed.txt differs"; done
done
"$TOOL" check out/*.txt > check.log || fail "check of the new recipes: $(cat check.log)"
[ "$(grep -c ': ok (' check.log)" = 22 ] || fail "check: $(cat check.log)"
# A recipe of the voice alone is made at the voice's 44100 Hz, twice the
# frames for the same length; render keeps that rate unless told another.
"$TOOL" check out/pickup-1.txt | grep -qx "out/pickup-1.txt: ok (24410 frames, 553.5 ms, volume 255)" ||
  fail "check of a voice: $("$TOOL" check out/pickup-1.txt)"
"$TOOL" render out/pickup-1.txt wav > render.log && grep -qx "wrote wav/pickup-1.wav (24410 frames, 44100 Hz)" render.log ||
  fail "render of a voice: $(cat render.log)"
[ "$(od -An -tu4 -j24 -N4 wav/pickup-1.wav | tr -d ' ')" = 44100 ] || fail "the WAV is not at 44100 Hz"
"$TOOL" render --rate 22050 out/pickup-1.txt wav22 > render.log && grep -q "frames, 22050 Hz)" render.log ||
  fail "render --rate 22050: $(cat render.log)"
"$TOOL" plot out/pickup-1.txt plots > /dev/null && [ -s plots/pickup-1.png ] || fail "plot of a voice"
# Seeds count on from --seed; without a folder the recipes go to stdout.
"$TOOL" new laser --seed 2 > two.txt && cmp two.txt "$DATA/new/laser-2.txt" || fail "new laser --seed 2 on stdout"
"$TOOL" new hit --seed 40 --count 3 many/ > /dev/null && [ "$(ls many | tr '\n' ' ')" = "hit-40.txt hit-41.txt hit-42.txt " ] ||
  fail "new --count 3 wrote: $(ls many)"
"$TOOL" new thunder > /dev/null 2> err.txt; [ $? = 1 ] || fail "an unknown kind is not exit 1"
grep -q "unknown kind 'thunder' (pickup, laser," err.txt || fail "$(cat err.txt)"

# mutate: the pinned result on stdout and through -o; amount 0 keeps the voice.
"$TOOL" mutate out/pickup-1.txt --seed 3 > m.txt && cmp m.txt "$DATA/mutate/pickup-1-seed-3.txt" || fail "mutate --seed 3"
"$TOOL" mutate out/random-2.txt --seed 7 --amount 0.3 --lock freq,duty -o m2.txt > /dev/null &&
  cmp m2.txt "$DATA/mutate/random-2-seed-7.txt" || fail "mutate --lock -o"
"$TOOL" check m.txt m2.txt > /dev/null || fail "check of the mutated recipes"
"$TOOL" mutate --amount 0 out/explosion-1.txt | tail -n +2 > zero.txt
tail -n +2 out/explosion-1.txt | cmp - zero.txt || fail "amount 0 changed the sound"
# Refusals: exit 1, the file named, nothing written.
printf 'frames 100\nvolume 9\nsine 0.1\n' > plain.txt
"$TOOL" mutate plain.txt -o none.txt 2> err.txt; [ $? = 1 ] || fail "a file without synth is not exit 1"
grep -qx "zorta-tool mutate: plain.txt: the recipe holds no synth statement" err.txt || fail "$(cat err.txt)"
printf 'frames 100\nvolume 9\nf = 0.2\nsynth (saw, freq = f)\n' > named.txt
"$TOOL" mutate named.txt 2> err.txt; [ $? = 1 ] || fail "a parameter by name is not exit 1"
grep -qx "zorta-tool mutate: named.txt:4:20: synth's freq must be a number, not a name" err.txt || fail "$(cat err.txt)"
"$TOOL" mutate out/hit-1.txt --lock freq,pitch 2> err.txt; [ $? = 1 ] || fail "an unknown lock is not exit 1"
grep -q "unknown parameter 'pitch' in --lock (attack, sustain," err.txt || fail "$(cat err.txt)"
for amount in 1.5 -0.1 x 0.1x; do
  "$TOOL" mutate out/hit-1.txt --amount=$amount 2> err.txt; [ $? = 1 ] || fail "amount $amount is not exit 1"
  grep -qx "zorta-tool mutate: bad amount '$amount' (a number from 0 to 1)" err.txt || fail "$(cat err.txt)"
done
"$TOOL" mutate missing.txt 2> err.txt; [ $? = 1 ] && grep -q "cannot read 'missing.txt'" err.txt || fail "$(cat err.txt)"
cp out/hit-1.txt keep.txt
"$TOOL" mutate keep.txt -o keep.txt 2> err.txt; [ $? = 1 ] || fail "mutate over its input is not exit 1"
cmp keep.txt out/hit-1.txt && grep -q "will not write over the input 'keep.txt'" err.txt || fail "$(cat err.txt)"
[ -e none.txt ] && fail "a refused mutate wrote its output"
echo "PASS"
