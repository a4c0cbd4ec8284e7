#!/usr/bin/env bash
# Soak: a minute of random clicks and key presses on the running demo under
# Xvfb, then close. Passes when the program survives, exits 0 and its resident
# memory grows by less than 1 MB after the first seconds.
# Usage: bash tests/soak.sh build/zorta [seconds]
source "$(dirname "$0")/e2e/lib/x11.bash"
source "$(dirname "$0")/e2e/lib/demo.bash"
ZORTA=$(realpath "$1")
SECONDS_TO_RUN=${2:-60}

rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$ZORTA_PID/status"; }

start_x 24
start_zorta "$ZORTA"
find_client
sleep 3
rss_start=$(rss_kb)
keys=(a b c q w z 1 2 Left Right Up Down space Return Escape Shift_L Control_L F1 Tab BackSpace)
RANDOM=12345
clicks=0; presses=0
end=$((SECONDS + SECONDS_TO_RUN))
while [ $SECONDS -lt $end ]; do
  # One xdotool run per batch: forty actions, each held a few frames.
  args=()
  for i in $(seq 1 40); do
    if [ $((RANDOM % 2)) = 0 ]; then
      args+=(mousemove $((CLIENT_X + RANDOM % 640)) $((CLIENT_Y + RANDOM % 480)))
      args+=(mousedown $((RANDOM % 3 == 0 ? 3 : 1)) sleep 0.01 mouseup 1 mouseup 3)
      clicks=$((clicks + 1))
    else
      args+=(key --delay 5 "${keys[RANDOM % ${#keys[@]}]}")
      presses=$((presses + 1))
    fi
  done
  xdotool "${args[@]}" >/dev/null 2>&1 || true
  zorta_running || fail "the program ended during the soak after $clicks clicks and $presses key presses"
done
rss_end=$(rss_kb)
growth=$((rss_end - rss_start))
echo "soak: $clicks clicks and $presses key presses in ${SECONDS_TO_RUN} s;" \
     "resident memory ${rss_start} kB after 3 s, ${rss_end} kB at the end (growth ${growth} kB)"
stop_zorta
[ "$ZORTA_RC" = 0 ] || fail "exit code $ZORTA_RC after the soak"
[ "$growth" -lt 1024 ] || fail "resident memory grew by $growth kB"
echo "PASS soak"
