#!/bin/bash
# Remakes docs/screenshot-windows.png: zorta.exe from the Windows package under
# Wine on Xvfb (with its window manager frame), the pointer over slot 79.
# Usage: bash docs/screenshot-windows.sh build-win/dist/zorta-win64 [OUT.png]
HERE=$(cd "$(dirname "$0")" && pwd)
OUT=$(realpath -m "${2:-$HERE/screenshot-windows.png}")
source "$HERE/../tests/e2e/lib/x11.bash"
source "$HERE/../tests/e2e/lib/demo.bash"
source "$HERE/../tests/windows/lib/wine.bash"
use_wine_prefix "${WINEPREFIX:-}"
start_x 24
start_wine_zorta "$1"
find_client
wait_first_frame
# Buttons are 32 x 18 pixels from (2, 20), 25 to a column: slot 79 is column 3, row 4.
xdotool mousemove --window "$ZORTA_WIN" $((2 + 3 * 32 + 15)) $((20 + 4 * 18 + 8))
sleep 1
import -frame -window "$ZORTA_WIN" "$OUT"
stop_zorta
echo "wrote $OUT ($(identify -format '%wx%h' "$OUT"))"
