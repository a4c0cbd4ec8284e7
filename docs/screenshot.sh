#!/bin/bash
# Remakes docs/screenshot.png: the demo window under Xvfb (with its window
# manager frame), the pointer over slot 79.
# Usage: bash docs/screenshot.sh build/zorta [OUT.png]
HERE=$(cd "$(dirname "$0")" && pwd)
OUT=$(realpath -m "${2:-$HERE/screenshot.png}")
export ZORTA_DATA=${ZORTA_DATA:-$HERE/../data}
source "$HERE/../tests/e2e/lib/x11.bash"
start_x 24
start_zorta "$1"
# Buttons are 32 x 18 pixels from (2, 20), 25 to a column: slot 79 is column 3, row 4.
xdotool mousemove --window "$ZORTA_WIN" $((2 + 3 * 32 + 15)) $((20 + 4 * 18 + 8))
sleep 1
import -frame -window "$ZORTA_WIN" "$OUT"
stop_zorta
echo "wrote $OUT ($(identify -format '%wx%h' "$OUT"))"
