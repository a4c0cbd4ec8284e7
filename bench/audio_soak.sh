#!/usr/bin/env bash
# Sound soak: the demo under Xvfb with SDL's disk audio driver, a numbered
# button clicked every quarter second so that several effects mix at once,
# for SECONDS (default 600). x11_probe watches the capture grow and counts
# late audio: a chunk that comes later than the audio of the chunk itself
# plus one mixer block, when a device playing the capture would have run dry.
# Usage: bash bench/audio_soak.sh build/zorta [seconds] [block frames, 512]
source "$(dirname "$0")/../tests/e2e/lib/x11.bash"
source "$(dirname "$0")/../tests/e2e/lib/demo.bash"
ZORTA=$(realpath "$1")
SECONDS_TO_RUN=${2:-600}
BLOCK=${3:-512}
PROBE=$(dirname "$ZORTA")/bench/x11_probe
[ -x "$PROBE" ] || fail "no $PROBE: build the target x11_probe"

start_x 24
start_zorta "$ZORTA"
find_client
sleep 1
"$PROBE" watch "$E2E_DIR/audio.raw" "$SECONDS_TO_RUN" "$BLOCK" >"$E2E_DIR/watch.txt" &
WATCH=$!
RANDOM=4711
end=$((SECONDS + SECONDS_TO_RUN))
clicks=0
while [ $SECONDS -lt $end ]; do
  read -r bx by < <(button_xy $((RANDOM % 89)))
  pointer_to $((bx + 10)) $((by + 8))
  xdotool mousedown 1 sleep 0.05 mouseup 1
  clicks=$((clicks + 1))
  sleep 0.2
done
wait "$WATCH"
zorta_running || fail "the program ended during the soak"
echo "$clicks clicks over $SECONDS_TO_RUN s, mixer blocks of $BLOCK frames: $(cat "$E2E_DIR/watch.txt")"
stop_zorta
