#!/usr/bin/env bash
# Sounds made in the demo with the right button: on an empty slot the list
# of kinds, and the chosen one written to Sounds/ and heard at once; on the
# user's slot Mutate changes the file, Undo brings the first version back
# byte for byte, Delete asks first and then empties the slot while its
# versions stay; on a built-in slot a copy goes to the first empty slot.
# $1 = zorta, $2 = zorta-tool (lists the versions kept).
source "$(dirname "$0")/lib/x11.bash"
source "$(dirname "$0")/lib/demo.bash"
ZORTA=$1
TOOL=${2:-}
RUN="$E2E_DIR/run"

# Presses and releases button $3 (3 the right one) at client pixel ($1, $2).
press_at() {
  pointer_to "$1" "$2"
  sleep 0.1
  CLICK_FRAME=$(audio_frames)
  xdotool mousedown "$3"
  sleep 0.1
  xdotool mouseup "$3"
  sleep 0.2
}
# Right-click on slot $1's button; the menu opens at the pointer.
MENU_X=0
MENU_Y=0
menu_of() {
  read -r bx by < <(button_xy "$1")
  MENU_X=$((bx + 15))
  MENU_Y=$((by + 8))
  press_at "$MENU_X" "$MENU_Y" 3
  shot "$E2E_DIR/menu.png"
  expect_pixel "$E2E_DIR/menu.png" "$MENU_X" "$((MENU_Y + 2))" "$(shown_colour 128 128 128)" "the menu of slot $1"
}
# Picks row $1 (from 0) of the open menu.
choose() {
  press_at $((MENU_X + 20)) $((MENU_Y + 10 + 12 * $1)) 1
}
# Waits up to 3 s for a test ($@) to hold.
wait_for() {
  local i
  for i in $(seq 1 30); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
heard_since() {
  sleep 1
  [ "$(sound_span_after "$1")" != none ]
}

mkdir -p "$RUN/Sounds"
start_x 24
start_zorta "$ZORTA"
find_client
wait_first_frame
SOUND="$RUN/Sounds/130-laser.txt"

# An empty slot: the kinds, the second of them laser.
menu_of 130
choose 1
wait_for test -f "$SOUND" || fail "no Sounds/130-laser.txt after choosing laser: $(ls -A "$RUN/Sounds")"
head -1 "$SOUND" | grep -q '^# laser, seed [0-9]*$' || fail "the new file begins: $(head -1 "$SOUND")"
heard_since "$CLICK_FRAME" || fail "the new sound was not heard"
cp "$SOUND" "$E2E_DIR/first.txt"
read -r bx by < <(button_xy 130)
shot "$E2E_DIR/new.png"
[ "$(colours_in "$E2E_DIR/new.png" $((bx + 1)) $((by + 1)) 28 14)" -gt 1 ] || fail "button 130 has no label"
echo "new laser in slot 130, heard"

# The user's slot: Mutate, Another of this kind, Undo, Redo, Delete.
menu_of 130
choose 0
wait_for bash -c "! cmp -s '$SOUND' '$E2E_DIR/first.txt'" || fail "Mutate left the file as it was"
head -1 "$SOUND" | grep -q '^# mutated, seed' || fail "the mutated file begins: $(head -1 "$SOUND")"
sleep 0.5
menu_of 130
choose 2
wait_for cmp -s "$SOUND" "$E2E_DIR/first.txt" || fail "Undo did not bring back the first version"
echo "mutated, then undone to the first version byte for byte"

sleep 0.5
menu_of 130
choose 4
shot "$E2E_DIR/ask.png"
expect_pixel "$E2E_DIR/ask.png" 20 200 "$(shown_colour 200 50 50)" "the question before Delete"
[ -f "$SOUND" ] || fail "the file went before the answer"
press_at $((20 + 600 - 72 + 15)) $((200 + 8 + 7)) 1
wait_for bash -c "[ ! -e '$SOUND' ]" || fail "Yes left the file"
sleep 0.3
shot "$E2E_DIR/deleted.png"
[ "$(colours_in "$E2E_DIR/deleted.png" $((bx + 1)) $((by + 1)) 28 14)" = 1 ] || fail "button 130 still has a label"
grep -qx 'version 2 [0-9]*' "$RUN/Sounds/.history/130/index" || fail "the history: $(cat "$RUN/Sounds/.history/130/index")"
grep -qx 'current 1' "$RUN/Sounds/.history/130/index" || fail "the current version is not the first"
if [ -n "$TOOL" ]; then
  "$TOOL" history "$RUN/Sounds/130-laser.txt" > "$E2E_DIR/list.txt" || fail "history: $(cat "$E2E_DIR/list.txt")"
  grep -q '^\*    1  .*  laser, seed' "$E2E_DIR/list.txt" || fail "history listed: $(cat "$E2E_DIR/list.txt")"
fi
echo "asked, deleted, slot empty, two versions kept"

# A built-in slot: its recipe with its very noise into the first empty slot, heard.
wait_for_silence
menu_of 24
choose 0
wait_for test -f "$RUN/Sounds/089-copy-of-24.txt" || fail "no copy of slot 24: $(ls -A "$RUN/Sounds")"
heard_since "$CLICK_FRAME" || fail "the copy was not heard"
if [ -n "$TOOL" ]; then
  "$TOOL" recipe 24 | cmp - "$RUN/Sounds/089-copy-of-24.txt" || fail "the copy differs from zorta-tool recipe 24"
fi
echo "built-in 24 copied to slot 89, heard"

stop_zorta
[ "$ZORTA_RC" = 0 ] || fail "exit code $ZORTA_RC"
echo "studio: ok"
