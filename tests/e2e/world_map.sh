#!/usr/bin/env bash
# The program started beside the shipped Maps/ and TileSets/: the example map
# is loaded at start-up (its tile set read, no error), frames run with the
# world under the demo screen, and the close request still ends with exit 0.
source "$(dirname "$0")/lib/x11.bash"
ZORTA=$1
ZORTA_DATA=$(cd "$(dirname "$0")/../../data" && pwd)
export ZORTA_DATA

start_x 24
start_zorta "$ZORTA"
[ -f "$E2E_DIR/run/Maps/example.map" ] || fail "the example map was not put beside the program"
sleep 1.5
zorta_running || fail "the program ended after loading the example map: $(cat "$E2E_DIR/stderr.txt")"
grep -q "Error" "$E2E_DIR/stderr.txt" && fail "error while starting: $(cat "$E2E_DIR/stderr.txt")"
log=$(cat "$E2E_DIR/run/log.txt")
echo "$log" | grep -qx "FSOUND Init: Ok" || fail "no sound start-up line in log.txt: $log"
echo "$log" | grep -q "^Screen Depth: " || fail "display start-up incomplete in log.txt: $log"
stop_zorta
[ "$ZORTA_RC" = 0 ] || fail "exit code $ZORTA_RC after the close request"
echo "PASS world_map"
