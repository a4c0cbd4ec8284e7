#!/usr/bin/env bash
# The demo end to end under a real X server: the picture by pixel colour, the
# hover colour, a click on a numbered button heard in the captured audio, a
# click on an empty button heard as silence, exit code 0 after closing.
source "$(dirname "$0")/lib/x11.bash"
source "$(dirname "$0")/lib/demo.bash"
ZORTA=$1
TOOL=$2

# ZORTA_E2E_DEPTH: the X server's depth, 24 unless given (16 and 24 are checked).
start_x "${ZORTA_E2E_DEPTH:-24}"
TITLE=$(shown_colour 0 0 128)
BUTTON=$(shown_colour 64 64 64)
HOVER=$(shown_colour 96 96 96)
start_zorta "$ZORTA"
find_client
wait_first_frame

shot "$E2E_DIR/shot.png"
expect_pixel "$E2E_DIR/shot.png" 5 5 "$TITLE" "title bar"
expect_pixel "$E2E_DIR/shot.png" 639 14 "$TITLE" "title bar right end"
expect_pixel "$E2E_DIR/shot.png" 5 17 "srgb(0,0,0)" "gap under the title bar"
for slot in 0 24 25 88 89 250 499; do
  read -r bx by < <(button_xy "$slot")
  expect_pixel "$E2E_DIR/shot.png" $((bx + 2)) $((by + 15)) "$BUTTON" "button $slot"
  [ "$bx" -lt 610 ] && expect_pixel "$E2E_DIR/shot.png" $((bx + 30)) $((by + 5)) "srgb(0,0,0)" "gap right of button $slot"
  expect_pixel "$E2E_DIR/shot.png" $((bx + 5)) $((by + 16)) "srgb(0,0,0)" "gap below button $slot"
done
# Labelled buttons carry white pixels; blank ones are one flat colour.
for slot in 0 7 42 88; do
  read -r bx by < <(button_xy "$slot")
  [ "$(colours_in "$E2E_DIR/shot.png" $((bx + 1)) $((by + 1)) 28 14)" -gt 1 ] || fail "no label on button $slot"
done
for slot in 89 100 499; do
  read -r bx by < <(button_xy "$slot")
  [ "$(colours_in "$E2E_DIR/shot.png" $((bx + 1)) $((by + 1)) 28 14)" = 1 ] || fail "a label on empty button $slot"
done
echo "picture: title bar, buttons, labels 0-88 only, black gaps"

# Hovering lights the button under the pointer, and only that one.
read -r bx by < <(button_xy 30)
pointer_to $((bx + 15)) $((by + 8))
sleep 0.3
shot "$E2E_DIR/hover.png"
expect_pixel "$E2E_DIR/hover.png" $((bx + 2)) $((by + 15)) "$HOVER" "hovered button 30"
read -r ox oy < <(button_xy 31)
expect_pixel "$E2E_DIR/hover.png" $((ox + 2)) $((oy + 15)) "$BUTTON" "button 31 beside the hover"
echo "hover: button 30 lit"

# Slot 3 in the bank, exported for its own length.
mkdir -p "$E2E_DIR/bank"
"$TOOL" export --format raw --slots 3 "$E2E_DIR/bank" >/dev/null
sample_frames=$(sound_span "$E2E_DIR/bank/slot-03.raw" 1 | awk '{print $2 - $1 + 1}')
[ "$sample_frames" -gt 1000 ] || fail "slot 3 exported with $sample_frames sounding samples"

sleep 0.3
[ "$(sound_span_after 0)" = "none" ] || fail "sound before any click"
read -r bx by < <(button_xy 3)
click_at $((bx + 31)) $((by + 8))  # the gap right of the button counts for it
before=$CLICK_FRAME
sleep 1.4
span=$(sound_span_after "$before")
[ "$span" != none ] || fail "no sound after clicking button 3"
read -r first last <<<"$span"
played=$((last - first + 1))
delay_ms=$(( (first - before) * 1000 / 44100 ))
# The bank's samples run at 22050 Hz, the output at 44100 Hz.
want=$((sample_frames * 2))
echo "click on 3: sound after ${delay_ms} ms, ${played} frames sounding (slot: ${want})"
[ "$delay_ms" -lt 500 ] || fail "the sound started ${delay_ms} ms after the click"
[ $((played * 10)) -ge $((want * 9)) ] && [ $((played * 10)) -le $((want * 11)) ] \
  || fail "the sound lasted $played frames, the slot has $want"

# Taps are clicks too: each of several plays the button under it.
for slot in 5 6 7; do
  sleep 0.3
  read -r bx by < <(button_xy "$slot")
  tap_at $((bx + 10)) $((by + 8))
  before=$CLICK_FRAME
  sleep 0.6
  [ "$(sound_span_after "$before")" != none ] || fail "no sound after a tap on button $slot"
done
echo "taps on 5, 6, 7 heard"

# A move and a click in one command, as a touch screen or a tablet sends
# them: the press is judged where it happened, not where the pointer was
# when the frame before sampled it.
for try in 1 2 3; do
  pointer_to 300 5
  wait_for_silence
  read -r bx by < <(button_xy 5)
  before=$(audio_frames)
  xdotool mousemove $((CLIENT_X + bx + 10)) $((CLIENT_Y + by + 8)) click 1
  sleep 0.6
  [ "$(sound_span_after "$before")" != none ] || fail "no sound after a move-and-click onto button 5 (try $try)"
done
wait_for_silence
echo "move-and-click onto 5 heard 3 times out of 3"

# An empty button plays nothing, though it lights up.
sleep 0.3
before=$(audio_frames)
read -r bx by < <(button_xy 200)
click_at $((bx + 10)) $((by + 8))
sleep 0.8
[ "$(sound_span_after "$before")" = none ] || fail "empty button 200 made a sound"
# The gap below a button belongs to none: no sound either.
before=$(audio_frames)
read -r bx by < <(button_xy 3)
click_at $((bx + 10)) $((by + 17))
sleep 0.8
[ "$(sound_span_after "$before")" = none ] || fail "a click in the gap below button 3 made a sound"
echo "silence after clicks on an empty button and a gap"

stop_zorta
[ "$ZORTA_RC" = 0 ] || fail "exit code $ZORTA_RC after the close request"
echo "PASS demo"
