#!/usr/bin/env bash
# The window under a real X server and window manager: caption, client size,
# outer position, Escape ignored, close request ends with exit 0.
source "$(dirname "$0")/lib/x11.bash"
ZORTA=$1

start_x 24
echo "stale line from an earlier run" >"$E2E_DIR/run.log.seed"
mkdir -p "$E2E_DIR/run" && cp "$E2E_DIR/run.log.seed" "$E2E_DIR/run/log.txt"
start_zorta "$ZORTA"

info=$(xwininfo -id "$ZORTA_WIN")
get() { echo "$info" | awk -F: -v k="$1" '$1 ~ k {gsub(/ /, "", $2); print $2}'; }
[ "$(get 'Width')" = 640 ] || fail "client width $(get Width)"
[ "$(get 'Height')" = 480 ] || fail "client height $(get Height)"
absx=$(get 'Absolute upper-left X'); absy=$(get 'Absolute upper-left Y')
relx=$(get 'Relative upper-left X'); rely=$(get 'Relative upper-left Y')
# The frame's outer corner: the client's position less the decorations.
read -r left right top bottom < <(xprop -id "$ZORTA_WIN" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
outerx=$((absx - ${left:-0})); outery=$((absy - ${top:-0}))
[ "$outerx" = 100 ] && [ "$outery" = 100 ] || fail "outer corner at ($outerx, $outery), client at ($absx, $absy)"
echo "client 640x480 at ($absx, $absy), frame corner ($outerx, $outery)"

xdotool windowactivate --sync "$ZORTA_WIN" || true
xdotool key --window "$ZORTA_WIN" Escape
sleep 0.3; zorta_running || fail "Escape ended the program"

# In the background (here: minimised) the loop waits for messages instead of
# running frames; restored, it draws again by itself. The pointer stays off
# the window, so no input wakes the loop: only the activation may.
title_pixel() {
  import -window root -crop "1x1+$((absx + 5))+$((absy + 5))" -depth 8 txt:- 2>/dev/null | tail -1 | grep -o '#[0-9A-F]\{6\}'
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$ZORTA_PID/stat"; }
xdotool mousemove 1000 740
xdotool windowminimize --sync "$ZORTA_WIN"
sleep 0.5
t1=$(cpu_ticks); sleep 2; t2=$(cpu_ticks)
echo "CPU while inactive: $((t2 - t1)) ticks of 1/100 s over 2 s"
[ $((t2 - t1)) -lt 10 ] || fail "the inactive program used $((t2 - t1)) ticks in 2 s"
xdotool windowactivate --sync "$ZORTA_WIN" 2>/dev/null || true
sleep 0.5
t1=$(cpu_ticks); sleep 1; t2=$(cpu_ticks)
echo "CPU while active: $((t2 - t1)) ticks of 1/100 s over 1 s"
[ "$(title_pixel)" = "#000080" ] || fail "no frame after the window was restored (title bar $(title_pixel))"
[ $((t2 - t1)) -ge 1 ] || fail "the restored program runs no frames"
zorta_running || fail "the program ended while minimised"

log=$(cat "$E2E_DIR/run/log.txt")
echo "$log" | grep -q "stale line" && fail "log.txt kept lines of an earlier run"
echo "$log" | grep -qx "FSOUND Init: Ok" || fail "no sound start-up line in log.txt: $log"

stop_zorta
[ "$ZORTA_RC" = 0 ] || fail "exit code $ZORTA_RC after the close request"
echo "PASS window"
