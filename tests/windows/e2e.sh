#!/usr/bin/env bash
# zorta.exe from the Windows package, under Wine on a private X server: the
# window and its client size, the picture by pixel, a click heard in SDL's
# disk-audio capture and one on an empty slot that stays silent, the shipped
# example recipe and recipes named beyond the ANSI code page heard from their
# buttons, Escape and Alt+F4 ignored, exit code 0 after the close request,
# and log.txt.
# Usage: tests/windows/e2e.sh PACKAGE_DIR [WINEPREFIX]   (default: a fresh one)
HERE=$(cd "$(dirname "$0")" && pwd)
source "$HERE/../e2e/lib/x11.bash"
source "$HERE/../e2e/lib/demo.bash"
source "$HERE/lib/wine.bash"
use_wine_prefix "${2:-}"

# A stale log.txt in the package's copy: the program must start it afresh.
start_x 24
mkdir -p "$E2E_DIR/run"
echo "stale line from an earlier run" >"$E2E_DIR/run/log.txt"
# Names in Cyrillic, Japanese and Polish, beside the package's examples.
mkdir -p "$E2E_DIR/run/Sounds"
for name in 125-Жук 126-日本 143-Łódź; do
  printf 'frames 4000\r\nvolume 200\r\nsaw 0.1 -> 0.05 a(0.8)\r\n' >"$E2E_DIR/run/Sounds/$name.txt"
done
start_wine_zorta "$1"
find_client
wait_first_frame

info=$(xwininfo -id "$ZORTA_WIN")
get() { echo "$info" | awk -F: -v k="$1" '$1 ~ k {gsub(/ /, "", $2); print $2}'; }
[ "$(get 'Width')" = 640 ] && [ "$(get 'Height')" = 480 ] || fail "client area $(get Width)x$(get Height)"
echo "window \"Zorta\", client 640x480 at ($CLIENT_X, $CLIENT_Y)"

shot "$E2E_DIR/shot.png"
expect_pixel "$E2E_DIR/shot.png" 5 5 "srgb(0,0,128)" "title bar"
expect_pixel "$E2E_DIR/shot.png" 639 14 "srgb(0,0,128)" "title bar right end"
# Slot 5's button: grey face, its label in pure white (no antialiasing), and
# nothing else; an empty button is grey alone.
read -r bx by < <(button_xy 5)
expect_pixel "$E2E_DIR/shot.png" $((bx + 2)) $((by + 15)) "srgb(64,64,64)" "button 5"
label=$(convert "$E2E_DIR/shot.png" -crop "28x14+$((bx + 1))+$((by + 1))" +repage -format %c histogram:info: |
  grep -o '#[0-9A-F]\{6\}' | sort | tr '\n' ' ')
[ "$label" = "#404040 #FFFFFF " ] || fail "button 5 holds the colours $label"
read -r bx by < <(button_xy 200)
[ "$(colours_in "$E2E_DIR/shot.png" $((bx + 1)) $((by + 1)) 28 14)" = 1 ] || fail "a label on empty button 200"
echo "picture: blue title bar, button 5 grey with a white label, button 200 blank"

sleep 0.3
[ "$(sound_span_after 0)" = "none" ] || fail "sound before any click"
read -r bx by < <(button_xy 5)
click_at $((bx + 10)) $((by + 8))
before=$CLICK_FRAME
sleep 1.2
span=$(sound_span_after "$before")
[ "$span" != none ] || fail "no sound after clicking button 5"
read -r first last <<<"$span"
echo "click on 5: sound from $(( (first - before) * 1000 / 44100 )) ms after the click, $((last - first + 1)) frames"

sleep 0.3
before=$(audio_frames)
read -r bx by < <(button_xy 200)
click_at $((bx + 10)) $((by + 8))
sleep 0.8
[ "$(sound_span_after "$before")" = none ] || fail "empty button 200 made a sound"
echo "click on empty slot 200: silence"

for slot in 120 125 126 143; do
  sleep 0.3
  before=$(audio_frames)
  read -r bx by < <(button_xy "$slot")
  click_at $((bx + 10)) $((by + 8))
  sleep 0.8
  [ "$(sound_span_after "$before")" != none ] || fail "no sound after clicking button $slot"
done
echo "clicks on 120 (Sounds\\120-laser.txt), 125, 126 and 143 (names in Cyrillic, Japanese, Polish): heard"

xdotool windowactivate --sync "$ZORTA_WIN" >/dev/null 2>&1 || true
xdotool key --clearmodifiers Escape
sleep 0.5
zorta_running || fail "Escape ended the program"
xdotool key --clearmodifiers alt+F4
sleep 0.5
zorta_running || fail "Alt+F4 ended the program"
xdotool search --name '^Zorta$' >/dev/null || fail "the window went away after Alt+F4"
echo "Escape and Alt+F4: still running"

stop_zorta
[ "$ZORTA_RC" = 0 ] || fail "exit code $ZORTA_RC after the close request"
echo "close request: exit code 0"

log=$(tr -d '\r' <"$E2E_DIR/run/log.txt")
echo "$log" | grep -q "stale line" && fail "log.txt kept lines of an earlier run"
echo "$log" | grep -qx "FSOUND Init: Ok" || fail "no sound start-up line in log.txt: $log"
want="DD Create: Ok
DD Set Cooperative Level: Ok
DD Create Primary Surface: Ok
DD Create Back Surface: Ok
DD Create Clipper: Ok
DD Clipper Set hWnd: Ok
DD Clipper Set Primary: Ok
Screen Width: 640
Screen Height: 480
Screen Depth: 32"
echo "$log" | grep -A9 -x "DD Create: Ok" | head -10 | diff <(echo "$want") - >/dev/null ||
  fail "log.txt lacks the windowed display lines: $log"
echo "log.txt: FSOUND Init: Ok and the windowed display lines"
echo "PASS windows e2e"
