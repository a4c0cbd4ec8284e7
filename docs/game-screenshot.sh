#!/bin/bash
# Remakes docs/game.png: the game under Xvfb (with its window manager frame),
# both players in, a coin taken, the enemy on its way.
# Usage: bash docs/game-screenshot.sh build/zorta-game build/game-run [OUT.png]
HERE=$(cd "$(dirname "$0")" && pwd)
GAME=$(realpath "$1")
DATA=$(realpath "$2")
OUT=$(realpath -m "${3:-$HERE/game.png}")
source "$HERE/../tests/e2e/lib/x11.bash"
start_x 24
mkdir -p "$E2E_DIR/run"
cp -r "$DATA/Maps" "$DATA/TileSets" "$E2E_DIR/run/"
(cd "$E2E_DIR/run" && SDL_AUDIODRIVER=dummy exec "$GAME" --level level1.map --seed 1 >/dev/null 2>&1) &
ZORTA_PID=$!
for i in $(seq 1 100); do
  ZORTA_WIN=$(xdotool search --name '^Zorta Collect$' 2>/dev/null | tail -1 || true)
  [ -n "$ZORTA_WIN" ] && break
  sleep 0.1
done
[ -n "$ZORTA_WIN" ] || fail "the game's window did not appear"
xdotool windowactivate --sync "$ZORTA_WIN" >/dev/null 2>&1 || true
sleep 1
# Player 1 right to the first coin; player 2 joins and walks down a little.
xdotool keydown Right keydown s
sleep 0.6
xdotool keyup s
sleep 1.3
xdotool keyup Right
sleep 0.4
import -frame -window "$ZORTA_WIN" "$OUT"
xdotool key Escape
sleep 0.3
xdotool key y
sleep 0.5
echo "wrote $OUT ($(identify -format '%wx%h' "$OUT"))"
