#!/bin/bash
# zorta-tool play through SDL's disk audio driver: the captured output holds
# the slots' sound for about their duration; no device means a clear failure.
# $1 = zorta (unused), $2 = zorta-tool.
set -u
TOOL=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

# Prints "total first last" in ms for a capture of 16-bit stereo at 44100 Hz:
# its length and where its first and last non-zero frames lie.
span() {
  od -An -v -td2 -w4 "$1" | awk '
    { n++; if ($1 != 0 || $2 != 0) { if (!first) first = n; last = n } }
    END { printf "%d %d %d\n", n * 1000 / 44100, first * 1000 / 44100, last * 1000 / 44100 }'
}

# Slot 81: 4096 frames at 22050 Hz, 186 ms.
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=one.raw "$TOOL" play 81 > one.log 2> /dev/null || fail "play 81"
grep -q "playing slot 81 (4096 frames, 186 ms)" one.log || fail "report: $(cat one.log)"
read -r total first last <<< "$(span one.raw)"
[ "$first" -gt 0 ] && [ "$last" -gt "$first" ] || fail "silent capture"
sound=$((last - first))
[ "$sound" -ge 170 ] && [ "$sound" -le 215 ] || fail "slot 81 sounded for $sound ms"
[ "$total" -ge $((last + 20)) ] || fail "output closed before the sound ended ($total ms, sound to $last)"
# Not silent: samples reach a good part of full scale.
peak=$(od -An -v -td2 one.raw | tr -s ' ' '\n' | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }')
[ "$peak" -gt 10000 ] || fail "peak only $peak"

# Two slots one after the other (0: 372 ms), with a range.
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=two.raw "$TOOL" play 81 0-0 > two.log 2> /dev/null || fail "play 81 0-0"
[ "$(grep -c '^playing slot' two.log)" = 2 ] || fail "two slots reported"
read -r total first last <<< "$(span two.raw)"
sound=$((last - first))
[ "$sound" -ge 530 ] && [ "$sound" -le 700 ] || fail "slots 81 and 0 sounded for $sound ms"

# No device: message, non-zero exit.
SDL_AUDIODRIVER=no-such-driver "$TOOL" play 1 > out.txt 2> err.txt && fail "play without a device succeeded"
grep -q "zorta-tool play: no audio device could be opened (SDL_AUDIODRIVER=no-such-driver)" err.txt ||
  fail "message without a device: $(cat err.txt)"
"$TOOL" play 89 2> err.txt && fail "empty slot accepted"
grep -q "slot 89 holds no effect" err.txt || fail "message for an empty slot"
"$TOOL" play 2> err.txt && fail "no slot accepted"
grep -q "no slot given" err.txt || fail "message without slots"
"$TOOL" play --loud 1 2> err.txt && fail "unknown option accepted"
grep -q "unknown option '--loud'" err.txt || fail "message for an unknown option"
echo "play: ok"
