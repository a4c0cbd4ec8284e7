#!/usr/bin/env bash
# The running demo under Xvfb: time from process start to the first presented
# frame (median of several starts), CPU use at the 250-turn cap, and the delay
# from a click to the first non-silent sample of the captured audio (median).
# Usage: bash bench/demo_timing.sh build/zorta [starts]
source "$(dirname "$0")/../tests/e2e/lib/x11.bash"
source "$(dirname "$0")/../tests/e2e/lib/demo.bash"
ZORTA=$(realpath "$1")
STARTS=${2:-5}

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
now_ms() { date +%s%3N; }

start_x 24
starts=()
for run in $(seq 1 "$STARTS"); do
  mkdir -p "$E2E_DIR/run/Maps" "$E2E_DIR/run/TileSets"
  t0=$(now_ms)
  (cd "$E2E_DIR/run" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_DIR/audio.raw" exec "$ZORTA" >/dev/null 2>&1) &
  ZORTA_PID=$!
  # The first frame is the first time the title bar's blue is on the screen.
  until xdotool search --name '^Zorta$' >/dev/null 2>&1; do sleep 0.005; done
  find_client
  until import -window root -crop "1x1+$((CLIENT_X + 5))+$((CLIENT_Y + 5))" -depth 8 txt:- 2>/dev/null |
        grep -q '#000080'; do :; done
  starts+=($(($(now_ms) - t0)))
  if [ "$run" -lt "$STARTS" ]; then stop_zorta; fi
done
echo "start to first frame: median $(printf '%s\n' "${starts[@]}" | median) ms over $STARTS starts (${starts[*]})"

pointer_to 320 240
sleep 1
ticks() { awk '{print $14 + $15}' "/proc/$ZORTA_PID/stat"; }
t1=$(ticks); sleep 5; t2=$(ticks)
echo "CPU while running at the frame cap: $(( (t2 - t1) / 5 )) % of one core ($((t2 - t1)) ticks of 10 ms in 5 s)"

delays=()
for i in 1 2 3 4 5 6 7; do
  read -r bx by < <(button_xy $((i * 3)))
  click_at $((bx + 10)) $((by + 8))
  sleep 0.8
  read -r first _ <<<"$(sound_span_after "$CLICK_FRAME")"
  delays+=($(( (first - CLICK_FRAME) * 1000 / 44100 )))
  sleep 0.5
done
echo "click to first sound: median $(printf '%s\n' "${delays[@]}" | median) ms over ${#delays[@]} clicks (${delays[*]})"
stop_zorta
