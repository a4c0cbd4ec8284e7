#!/bin/bash
# cmake --install: the files in their places, a launcher that runs the
# installed program in a writable working folder linking to the installed
# data, a valid menu entry and icon, the example game and its launcher,
# staging with DESTDIR.
# $1 = zorta (its folder is the build folder), $2 = zorta-tool (unused).
set -u
BUILD=$(cd "$(dirname "$1")" && pwd)
SRC=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d)
PID=""
trap '[ -n "$PID" ] && kill "$PID" 2>/dev/null; rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

P="$WORK/prefix"
cmake --install "$BUILD" --prefix "$P" > install.log || fail "cmake --install"
for f in bin/zorta bin/zorta-tool libexec/zorta/zorta; do [ -x "$P/$f" ] || fail "$f not installed"; done
for d in Maps TileSets; do
  [ -d "$P/share/zorta/$d" ] || fail "$d not installed"
  # The shipped data, as the build copies it for `make run`.
  if [ -d "$BUILD/run/$d" ]; then diff -r "$BUILD/run/$d" "$P/share/zorta/$d" > /dev/null || fail "$d differs"; fi
done
DESKTOP="$P/share/applications/zorta.desktop"
ICON="$P/share/icons/hicolor/scalable/apps/zorta.svg"
[ -f "$DESKTOP" ] && [ -f "$ICON" ] || fail "menu entry or icon missing"
grep -qx "Exec=$P/bin/zorta" "$DESKTOP" || fail "menu entry runs: $(grep Exec "$DESKTOP")"
grep -qx "Icon=zorta" "$DESKTOP" || fail "menu entry icon"
if command -v desktop-file-validate > /dev/null; then desktop-file-validate "$DESKTOP" || fail "menu entry invalid"; fi
xmllint --noout "$ICON" 2> /dev/null || grep -q "<svg" "$ICON" || fail "icon is no SVG"
[ "$(rsvg-convert "$ICON" | identify -format '%wx%h' -)" = 64x64 ] || fail "icon does not render"
"$P/bin/zorta-tool" --help | grep -q "zorta-tool plot" || fail "installed zorta-tool"
# The example game, its levels and tile sets as the build made them.
for f in bin/zorta-game libexec/zorta/zorta-game; do [ -x "$P/$f" ] || fail "$f not installed"; done
for d in Maps TileSets; do
  diff -r "$BUILD/game-run/$d" "$P/share/zorta-game/$d" > /dev/null || fail "the game's $d not installed as built"
done

# Started from another folder, the program runs in ~/.local/share/zorta.
export HOME="$WORK/home"
unset XDG_DATA_HOME ZORTA_HOME
RUN="$HOME/.local/share/zorta"
start() {
  (cd / && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy exec "$P/bin/zorta" > "$WORK/out.txt" 2>&1) &
  PID=$!
  for _ in $(seq 1 100); do
    grep -q "Screen Depth" "$RUN/log.txt" 2> /dev/null && break
    sleep 0.1
  done
  grep -q "Screen Depth" "$RUN/log.txt" 2> /dev/null || fail "the program did not start: $(cat "$WORK/out.txt")"
  kill -0 "$PID" 2> /dev/null || fail "the program ended"
  # The launcher replaces itself with the program.
  [ "$(readlink -f "/proc/$PID/exe")" = "$(readlink -f "$P/libexec/zorta/zorta")" ] || fail "launcher did not exec"
  [ "$(readlink -f "/proc/$PID/cwd")" = "$(readlink -f "$RUN")" ] || fail "working folder"
  kill "$PID"
  wait "$PID" 2> /dev/null
  PID=""
}
start
[ "$(readlink -f "$RUN/Maps")" = "$(readlink -f "$P/share/zorta/Maps")" ] || fail "Maps link"
[ "$(readlink -f "$RUN/TileSets")" = "$(readlink -f "$P/share/zorta/TileSets")" ] || fail "TileSets link"
grep -q "FSOUND Init: Ok" "$RUN/log.txt" || fail "log: $(cat "$RUN/log.txt")"

# The game through its launcher, from a folder of the caller's own: a replay
# named relative to it plays in ~/.local/share/zorta-game on the installed levels.
mkdir -p "$WORK/caller"
cp "$SRC/game/replays/level1-win.rpl" "$WORK/caller/"
want=$(sed -n 's/^# expect: //p' "$WORK/caller/level1-win.rpl")
got=$(cd "$WORK/caller" && "$P/bin/zorta-game" --replay level1-win.rpl 2> "$WORK/game.err") \
  || fail "installed zorta-game: $(cat "$WORK/game.err")"
[ "$got" = "$want" ] || fail "installed zorta-game played '$got', not '$want'"
[ "$(readlink -f "$HOME/.local/share/zorta-game/Maps")" = "$(readlink -f "$P/share/zorta-game/Maps")" ] \
  || fail "the game's Maps link"

# A moved installation: the stale links are renewed, a folder of the user's own is kept.
rm -f "$RUN/log.txt"
mkdir "$WORK/moved" && mv "$P" "$WORK/moved/" && P="$WORK/moved/prefix"
# (the user's own TileSets holds what the example map needs)
rm "$RUN/TileSets" && cp -r "$P/share/zorta/TileSets" "$RUN/TileSets"
start
[ "$(readlink -f "$RUN/Maps")" = "$(readlink -f "$P/share/zorta/Maps")" ] || fail "Maps link after the move"
[ -d "$RUN/TileSets" ] && [ ! -L "$RUN/TileSets" ] || fail "user's TileSets replaced"

# Staged for packaging: files under DESTDIR, the menu entry names the final place.
DESTDIR="$WORK/stage" cmake --install "$BUILD" --prefix /opt/zorta > stage.log || fail "staged install"
grep -qx "Exec=/opt/zorta/bin/zorta" "$WORK/stage/opt/zorta/share/applications/zorta.desktop" || fail "staged menu entry"
[ -x "$WORK/stage/opt/zorta/libexec/zorta/zorta" ] || fail "staged program"
echo "install: ok"
