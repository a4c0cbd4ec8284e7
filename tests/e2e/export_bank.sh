#!/bin/bash
# zorta-tool export: WAV properties, the same samples in every format, the
# same bytes from two runs, headers that compile as C and C++, clear failures.
# $1 = zorta (unused), $2 = zorta-tool.
set -u
TOOL=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

"$TOOL" export out/wav > wav.log || fail "export to wav"
[ "$(ls out/wav | wc -l)" = 89 ] || fail "expected 89 files"
grep -q "wrote out/wav/slot-88.wav (16384 frames, 22050 Hz)" wav.log || fail "no report of slot 88"
"$TOOL" export --format raw out/raw > /dev/null || fail "export to raw"
"$TOOL" export --format=raw out/raw2 > /dev/null || fail "second export"
diff -r out/raw out/raw2 > /dev/null || fail "two runs differ"

# Frame counts of a few recipes, as the bank lists them.
declare -A frames=([00]=8192 [01]=256 [20]=32768 [56]=1024 [88]=16384)
for n in 00 01 20 56 88; do
  [ "$(soxi -s out/wav/slot-$n.wav)" = "${frames[$n]}" ] || fail "slot $n frame count"
done
for f in out/wav/*.wav; do
  n=$(basename "$f" .wav)
  [ "$(soxi -r "$f")" = 22050 ] || fail "$f rate"
  [ "$(soxi -c "$f")" = 1 ] || fail "$f channels"
  [ "$(soxi -b "$f")" = 16 ] || fail "$f bits"
  [ "$(soxi -s "$f")" = $(( $(stat -c %s out/raw/$n.raw) / 2 )) ] || fail "$f frames"
  sox "$f" -t raw -e signed -b 16 -L "$n.pcm" || fail "sox decode $f"
  cmp -s "$n.pcm" "out/raw/$n.raw" || fail "$f samples differ from the raw export"
done

# FLAC is lossless: it decodes to the same samples.
"$TOOL" export --format flac --slots 10,64 out/flac > /dev/null || fail "export flac"
sox out/flac/slot-10.flac -t raw -e signed -b 16 -L f10.pcm && cmp -s f10.pcm out/raw/slot-10.raw || fail "flac samples"
"$TOOL" export --format ogg --slots 3 out/ogg > /dev/null || fail "export ogg"
[ "$(soxi -r out/ogg/slot-03.ogg)" = 22050 ] || fail "ogg rate"

# Resampling doubles the frame count at 44100 Hz.
"$TOOL" export --rate 44100 --slots 0-1 out/r44 > /dev/null || fail "export at 44100"
[ "$(soxi -r out/r44/slot-00.wav)" = 44100 ] || fail "resampled rate"
[ "$(soxi -s out/r44/slot-00.wav)" = 16384 ] || fail "resampled frames"
[ "$(ls out/r44)" = "$(printf 'slot-00.wav\nslot-01.wav')" ] || fail "--slots chose other files"

# Headers compile as C and as C++ and hold the bank's samples.
"$TOOL" export --format h --slots 0-2,88 out/h > /dev/null || fail "export h"
cat > use.c <<'C'
#include <stdio.h>
#include "slot-00.h"
#include "slot-01.h"
#include "slot-02.h"
#include "slot-88.h"
#include "slot-00.h"
int main(void) {
  FILE* f = fopen("slot-88.pcm", "wb");
  int i;
  if (!f) return 1;
  for (i = 0; i < ZORTA_SLOT_88_FRAMES; i++) {
    unsigned short u = (unsigned short)zorta_slot_88[i];
    fputc(u & 0xFF, f);
    fputc(u >> 8, f);
  }
  fclose(f);
  return (ZORTA_SLOT_00_RATE == 22050 && sizeof zorta_slot_01 == 256 * sizeof(short)) ? 0 : 1;
}
C
cp use.c use.cpp
cc -std=c99 -pedantic -Wall -Wextra -Werror -I out/h use.c -o use_c || fail "header does not compile as C"
c++ -std=c++11 -pedantic -Wall -Wextra -Werror -I out/h use.cpp -o use_cpp || fail "header does not compile as C++"
./use_c && cmp -s slot-88.pcm out/raw/slot-88.raw || fail "C header samples"
./use_cpp && cmp -s slot-88.pcm out/raw/slot-88.raw || fail "C++ header samples"
echo 'int only_declares(void);' > unused.c
printf '#include "slot-02.h"\nint only_declares(void) { return 0; }\n' >> unused.c
cc -std=c99 -Wall -Wextra -Werror -I out/h -c unused.c -o unused.o || fail "unused header array warns"

# Failures: clear message, non-zero exit, nothing written.
touch plainfile
"$TOOL" export plainfile/sub > out.txt 2> err.txt && fail "unwritable folder accepted"
grep -q "zorta-tool export: cannot create folder" err.txt || fail "message for unwritable folder: $(cat err.txt)"
"$TOOL" export --loud out/x > out.txt 2> err.txt && fail "unknown option accepted"
grep -q "unknown option '--loud'" err.txt || fail "message for unknown option: $(cat err.txt)"
[ -e out/x ] && fail "folder made despite the error"
"$TOOL" export --slots 95 out/y 2> err.txt && fail "empty slot accepted"
grep -q "slot 95 holds no effect" err.txt || fail "message for an empty slot"
"$TOOL" --help | grep -q "zorta-tool export \[--format wav|flac|ogg|raw|h\]" || fail "--help lacks export"
echo "export: ok"
