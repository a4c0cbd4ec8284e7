#!/bin/bash
# Remakes the pictures of docs/SOUND-DESIGN.md: the voice's defaults, then each
# parameter of the synth statement at a value that shows what it does, drawn
# by zorta-tool plot at its smallest size and kept to a few colours.
# usage: bash docs/sound-design/make-plots.sh [ZORTA_TOOL]   (default build/zorta-tool)
set -eu
TOOL=${1:-build/zorta-tool}
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# name, then the statement's contents: every picture is one second long.
while read -r name voice; do
  printf 'frames 22050\nvolume 200\nseed 0\nsynth (%s)\n' "$voice" > "$WORK/$name.txt"
done <<'LIST'
defaults square
wave-saw saw
wave-sine sine
wave-noise noise
wave-triangle triangle
attack square, attack = 0.4
sustain square, sustain = 0.6
punch square, punch = 0.8
decay square, decay = 0.8
freq square, freq = 0.6
limit square, freq = 0.6, slide = -0.3, limit = 0.3
slide square, slide = 0.3
dslide square, slide = 0.1, dslide = -0.3
vibrato square, vibrato = 0.5, vibspeed = 0.4
vibspeed square, vibrato = 0.3, vibspeed = 0.8
arp square, arp = 0.5, arpspeed = 0.6
arpspeed square, arp = -0.5, arpspeed = 0.8
duty square, duty = 0.8
dutysweep square, dutysweep = 0.5
repeat square, slide = 0.3, repeat = 0.6
phaser saw, phaser = 0.3
phasersweep saw, phaser = 0.1, phasersweep = 0.3
lpf saw, lpf = 0.3
lpfsweep saw, lpf = 0.15, lpfsweep = 0.4
resonance saw, lpf = 0.3, resonance = 0.9
hpf saw, hpf = 0.4
hpfsweep saw, hpf = 0.1, hpfsweep = 0.4
volume square, volume = 1
LIST

"$TOOL" plot --size 240x180 "$WORK"/*.txt "$WORK/png" > /dev/null
for png in "$WORK"/png/*.png; do
  convert "$png" -colors 16 -strip "PNG8:$HERE/$(basename "$png")"
done
du -ch "$HERE"/*.png | tail -1
