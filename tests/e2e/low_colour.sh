#!/usr/bin/env bash
# On a 256-colour desktop the program goes full screen at 640 x 480 x 16 and
# shows the demo by itself, without any input (the picture centred on the
# 1024 x 768 screen, colours the nearest the screen has); the pointer is
# mapped into the picture, so the button under it lights and plays.
source "$(dirname "$0")/lib/x11.bash"
source "$(dirname "$0")/lib/demo.bash"
ZORTA=$1

start_x 8
start_zorta "$ZORTA"

# The picture at its place on the screen; the nearest of 6 levels per
# component: 128 -> 153, 64 -> 51, 96 -> 102.
CLIENT_X=192
CLIENT_Y=144
ok=""
for i in $(seq 1 100); do
  if import -window root -crop "1x1+$((CLIENT_X + 5))+$((CLIENT_Y + 5))" -depth 8 txt:- 2>/dev/null | grep -q '#000099'; then
    ok=1
    break
  fi
  sleep 0.1
done
[ -n "$ok" ] || fail "no frame was shown without input"

log=$(cat "$E2E_DIR/run/log.txt")
grep -qx "DD Set Display Mode: Ok" <<<"$log" || fail "no display mode in log.txt: $log"
grep -qx "DD Create Back Surface: Ok" <<<"$log" || fail "no back buffer in log.txt: $log"
grep -qx "Screen Depth: 16" <<<"$log" || fail "not 16 bits in log.txt: $log"

shot "$E2E_DIR/shot.png"
expect_pixel "$E2E_DIR/shot.png" 5 5 "srgb(0,0,153)" "title bar"
expect_pixel "$E2E_DIR/shot.png" 639 14 "srgb(0,0,153)" "title bar right end"
for slot in 0 88 499; do
  read -r bx by < <(button_xy "$slot")
  expect_pixel "$E2E_DIR/shot.png" $((bx + 2)) $((by + 15)) "srgb(51,51,51)" "button $slot"
done
# Around the picture the screen is black.
[ "$(import -window root -crop 1x1+100+100 -depth 8 txt:- | tail -1 | grep -o '#[0-9A-F]*')" = "#000000" ] \
  || fail "the screen around the picture is not black"
echo "picture: title bar and buttons at (192, 144) on the screen"

read -r bx by < <(button_xy 30)
pointer_to $((bx + 15)) $((by + 8))
sleep 0.3
shot "$E2E_DIR/hover.png"
expect_pixel "$E2E_DIR/hover.png" $((bx + 2)) $((by + 15)) "srgb(102,102,102)" "hovered button 30"
read -r ox oy < <(button_xy 31)
expect_pixel "$E2E_DIR/hover.png" $((ox + 2)) $((oy + 15)) "srgb(51,51,51)" "button 31 beside the hover"
echo "hover: button 30 lit"

sleep 0.3
read -r bx by < <(button_xy 3)
click_at $((bx + 10)) $((by + 8))
before=$CLICK_FRAME
sleep 1
[ "$(sound_span_after "$before")" != none ] || fail "no sound after clicking button 3"
before=$(audio_frames)
read -r bx by < <(button_xy 200)
click_at $((bx + 10)) $((by + 8))
sleep 0.8
[ "$(sound_span_after "$before")" = none ] || fail "empty button 200 made a sound"
echo "click: button 3 heard, empty button 200 silent"

stop_zorta
[ "$ZORTA_RC" = 0 ] || fail "exit code $ZORTA_RC after the close request"
echo "PASS low_colour"
