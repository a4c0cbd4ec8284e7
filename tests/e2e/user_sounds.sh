#!/usr/bin/env bash
# A user's sound heard live: a recipe in Sounds/ plays from its numbered
# button; saved anew while the program runs, the next click half a second
# later plays the new sound; saved broken, it opens the message window with
# file, line, column and message, and the button keeps the last good sound.
source "$(dirname "$0")/lib/x11.bash"
source "$(dirname "$0")/lib/demo.bash"
ZORTA=$1

SOUND="$E2E_DIR/run/Sounds/120-live.txt"
# Saved as editors save: a new file put in the old one's place.
save() {
  printf "$1" > "$SOUND.tmp"
  mv "$SOUND.tmp" "$SOUND"
}
# Largest magnitude of the captured audio's frames $1 to $2.
peak_of() {
  od -An -v -td2 -j $(($1 * 4)) -N $((($2 - $1 + 1) * 4)) "$E2E_DIR/audio.raw" | tr -s ' ' '\n' |
    awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }'
}
# Clicks button 120, waits out the sound and prints "frames peak" of what was heard.
hear_120() {
  local before span first last
  before=$CLICK_FRAME
  sleep 1.2
  span=$(sound_span_after "$before")
  [ "$span" != none ] || fail "nothing heard after clicking button 120 ($1)"
  read -r first last <<<"$span"
  echo "$((last - first + 1)) $(peak_of "$first" "$last")"
}
near() {  # $1 within 10 % of $2
  [ $(($1 * 10)) -ge $(($2 * 9)) ] && [ $(($1 * 10)) -le $(($2 * 11)) ]
}

mkdir -p "$E2E_DIR/run/Sounds"
# The old sound: 4410 frames (0.2 s), quiet. The new one: 11025 frames, loud.
save 'frames 4410\nvolume 255\nsine 0.02 a(0.25)\n'

start_x 24
start_zorta "$ZORTA"
find_client
wait_first_frame
read -r bx by < <(button_xy 120)
shot "$E2E_DIR/start.png"
[ "$(colours_in "$E2E_DIR/start.png" $((bx + 1)) $((by + 1)) 28 14)" -gt 1 ] || fail "button 120 has no label"
read -r ox oy < <(button_xy 121)
[ "$(colours_in "$E2E_DIR/start.png" $((ox + 1)) $((oy + 1)) 28 14)" = 1 ] || fail "empty button 121 has a label"

# The sound as the program started with it (output runs at twice the rate).
click_at $((bx + 15)) $((by + 8))
read -r frames peak < <(hear_120 "old sound")
echo "old sound: $frames frames, peak $peak"
near "$frames" 8820 || fail "the old sound lasted $frames frames, not about 8820"
[ "$peak" -gt 6000 ] && [ "$peak" -lt 10000 ] || fail "the old sound peaked at $peak"

# A saved change, heard on a click half a second later.
save 'frames 11025\nvolume 255\nsaw 0.05 a(1)\n'
sleep 0.4
CLICK_FRAME=$(audio_frames)
xdotool mousedown 1
sleep 0.1
xdotool mouseup 1
read -r frames peak < <(hear_120 "new sound")
echo "new sound 0.5 s after saving: $frames frames, peak $peak"
near "$frames" 22050 || fail "the new sound lasted $frames frames, not about 22050"
[ "$peak" -gt 25000 ] || fail "the new sound peaked at only $peak"

# A broken file: the message window, a log line, and the last good sound kept.
save 'frames 4410\nvolume 255\n\nsine [0+5000] 0.1\n'
sleep 0.6
shot "$E2E_DIR/broken.png"
expect_pixel "$E2E_DIR/broken.png" 20 40 "srgb(128,128,128)" "message window frame"
expect_pixel "$E2E_DIR/broken.png" 24 44 "srgb(32,32,32)" "message window"
[ "$(colours_in "$E2E_DIR/broken.png" 21 41 598 40)" -gt 1 ] || fail "the message window shows no text"
grep -qF "Sound recipe error: Sounds/120-live.txt, line 4, column 1: the run [0+5000] lies outside the sound's 4410 frames" \
  "$E2E_DIR/run/log.txt" || fail "no log line: $(cat "$E2E_DIR/run/log.txt")"
echo "broken file: message window and log line"
click_at $((bx + 15)) $((by + 8))
read -r frames peak < <(hear_120 "kept sound")
echo "after the broken save: $frames frames, peak $peak"
near "$frames" 22050 && [ "$peak" -gt 25000 ] || fail "the last good sound was not kept"
sleep 0.2
shot "$E2E_DIR/closed.png"
expect_pixel "$E2E_DIR/closed.png" 24 44 "srgb(64,64,64)" "button 1 again after the click closed the message window"

stop_zorta
[ "$ZORTA_RC" = 0 ] || fail "exit code $ZORTA_RC"
echo "user sounds: ok"
