#!/usr/bin/env bash
# The game end to end under a real X server, driven by keys as a player would:
# the player walks right and is seen to move, picks up the first coin (the
# score line changes, the pickup is heard in the captured audio), Escape asks
# whether to quit and the dialog's Yes ends the program with exit code 0. The
# game recorded meanwhile replays to the world it ended with, hash and all.
# Started without a level, the game shows the list of levels; the one clicked
# is played.
# usage: play.sh ZORTA-GAME GAME-RUN-FOLDER
E2E_LIB=$(cd "$(dirname "$0")/../lib" && pwd)
source "$E2E_LIB/x11.bash"
source "$E2E_LIB/demo.bash"
GAME=$(realpath "$1")
DATA=$(realpath "$2")

start_x 24
mkdir -p "$E2E_DIR/run"
cp -r "$DATA/Maps" "$DATA/TileSets" "$E2E_DIR/run/"
# Starts the game with the given arguments, its sound captured, and finds the
# client area's corner on the screen once the window is up.
start_game() {
  rm -f "$E2E_DIR/audio.raw"
  (cd "$E2E_DIR/run" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_DIR/audio.raw" \
     exec "$GAME" "$@" >"$E2E_DIR/stdout.txt" 2>"$E2E_DIR/stderr.txt") &
  ZORTA_PID=$!
  find_client 'Zorta Collect' 100
}

# Escape, then a click on the question's Yes: the game must end with exit code 0.
# The key is held as a hand holds it: a press and release within one turn is a
# tap that no frame sees as pressed.
quit_with_yes() {
  xdotool keydown Escape
  sleep 0.1
  xdotool keyup Escape
  sleep 0.5
  shot "$E2E_DIR/quit.png"
  expect_pixel "$E2E_DIR/quit.png" 180 210 "srgb(200,50,50)" "the quit dialog's frame"
  # Its Yes button: 30 x 14 at (w - 72, 8) inside the 300 x 30 dialog at (170, 210).
  pointer_to $((170 + 300 - 72 + 15)) $((210 + 8 + 7))
  sleep 0.2
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
  local i rc
  for i in $(seq 1 50); do
    kill -0 "$ZORTA_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$ZORTA_PID" 2>/dev/null && fail "the game did not end after Yes"
  set +e
  wait "$ZORTA_PID"
  rc=$?
  set -e
  ZORTA_PID=""
  [ "$rc" = 0 ] || fail "exit code $rc after Yes: $(cat "$E2E_DIR/stderr.txt")"
  echo "Yes: exit code 0"
}

start_game --level level1.map --seed 1 --record "$E2E_DIR/played.rpl"

# Player 1's body is the only pure (40, 80, 255) on screen: its box, "WxH+X+Y".
player_box() {
  convert "$1" -fill black +opaque "rgb(40,80,255)" -format "%@" info:
}
box_x() { echo "$1" | sed -E 's/^[0-9]+x[0-9]+\+([0-9]+)\+.*/\1/'; }

for i in $(seq 1 100); do
  shot "$E2E_DIR/start.png"
  box=$(player_box "$E2E_DIR/start.png")
  [ "${box%%x*}" -gt 4 ] 2>/dev/null && break
  sleep 0.1
done
[ "${box%%x*}" -gt 4 ] || fail "no player on screen (box $box)"
start_x=$(box_x "$box")
echo "player 1 at x $start_x"
sleep 0.5
[ "$(sound_span_after 0)" = none ] || fail "sound before anything happened"

# Right for 2.2 s: about 275 pixels, past the first coin 206 pixels away.
before=$(audio_frames)
xdotool keydown Right
sleep 2.2
xdotool keyup Right
sleep 0.5
shot "$E2E_DIR/moved.png"
box=$(player_box "$E2E_DIR/moved.png")
moved_x=$(box_x "$box")
echo "player 1 at x $moved_x after walking right"
[ "$moved_x" -gt $((start_x + 100)) ] || fail "the player did not move right: $start_x, then $moved_x"
# The score line: different pixels once the coin is taken.
convert "$E2E_DIR/start.png" -crop 300x18+0+0 +repage "$E2E_DIR/score-start.png"
convert "$E2E_DIR/moved.png" -crop 300x18+0+0 +repage "$E2E_DIR/score-moved.png"
differ=$(compare -metric AE "$E2E_DIR/score-start.png" "$E2E_DIR/score-moved.png" null: 2>&1 || true)
[ "${differ%% *}" -gt 0 ] 2>/dev/null || fail "the score line did not change ($differ pixels differ)"
echo "score line: $differ pixels changed"
span=$(sound_span_after "$before")
[ "$span" != none ] || fail "no sound while walking over the coin"
read -r first last <<<"$span"
# The pickup is the bank's slot 12: 4096 frames at 22050 Hz, 8192 at 44100.
played=$((last - first + 1))
echo "pickup heard: $played frames sounding"
[ "$played" -gt 4000 ] && [ "$played" -le 8192 ] || fail "the sound lasted $played frames, the pickup has 8192"

# Escape: the question, framed in red, in the middle of the window; Yes ends it.
quit_with_yes

# What was played, played again headless: the same world to the bit, the
# coin in it.
live=$(cat "$E2E_DIR/stdout.txt")
line=$("$GAME" --data "$E2E_DIR/run" --replay "$E2E_DIR/played.rpl" 2>/dev/null)
echo "played:   $live"
echo "replayed: $line"
[[ "$line" == "level level1.map "*" score 10 lives 3 playing "* ]] || fail "the recording replays to '$line'"
[ "$line" = "$live" ] || fail "the replay ends in another world than the game did"
# Without a level given, the list of levels comes first; a click on its second
# row plays level 2, and the recording says so.
start_game --seed 2 --record "$E2E_DIR/chosen.rpl"
sleep 1
shot "$E2E_DIR/list.png"
# The list: 200 pixels wide at (220, 140), rows of 12 from 4 pixels down.
expect_pixel "$E2E_DIR/list.png" 221 141 "srgb(24,24,32)" "the level list"
pointer_to $((220 + 40)) $((140 + 4 + 12 + 6))
sleep 0.2
xdotool mousedown 1
sleep 0.1
xdotool mouseup 1
sleep 0.5
shot "$E2E_DIR/chosen.png"
[ "$(convert "$E2E_DIR/chosen.png" -format "%[pixel:p{221,141}]" info:)" != "srgb(24,24,32)" ] ||
  fail "the level list is still open after the click"
quit_with_yes
live=$(cat "$E2E_DIR/stdout.txt")
line=$("$GAME" --data "$E2E_DIR/run" --replay "$E2E_DIR/chosen.rpl" 2>/dev/null)
echo "chosen:   $live"
[ "$(grep '^new ' "$E2E_DIR/chosen.rpl" | tail -1)" = "new level2.map" ] || fail "the recording has no new game on level 2"
[[ "$line" == "level level2.map "* ]] && [ "$line" = "$live" ] || fail "level 2 replays to '$line', the game ended at '$live'"
echo "PASS game"
