# Shared by the end-to-end scripts: a private X server with a window manager,
# the program started in a scratch working folder, and clean-up on exit.
# Usage: source it, then start_x; start_zorta ZORTA_BINARY; ...; stop_zorta

set -euo pipefail

E2E_DIR=$(mktemp -d /tmp/zorta-e2e-XXXXXX)
XVFB_PID=""
WM_PID=""
ZORTA_PID=""
ZORTA_RC=""

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cleanup() {
  [ -n "$ZORTA_PID" ] && kill "$ZORTA_PID" 2>/dev/null || true
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  [ -n "${KEEP_E2E:-}" ] || rm -rf "$E2E_DIR"
}
trap cleanup EXIT

# One try at an X server of depth $1: on a display number of its own choosing
# ($2 empty) or on :$2. Waits up to 30 s for it to answer (a first start
# compiles its keyboard map and may fill font caches); fails at once if it ends.
try_x() {
  local depth=$1 number=$2 i n=""
  rm -f "$E2E_DIR/display"
  if [ -z "$number" ]; then
    Xvfb -displayfd 3 -screen 0 "1024x768x$depth" -nolisten tcp 3>"$E2E_DIR/display" >"$E2E_DIR/xvfb.log" 2>&1 &
  else
    echo "$number" >"$E2E_DIR/display"
    Xvfb ":$number" -screen 0 "1024x768x$depth" -nolisten tcp >"$E2E_DIR/xvfb.log" 2>&1 &
  fi
  XVFB_PID=$!
  for i in $(seq 1 300); do
    n=$(cat "$E2E_DIR/display" 2>/dev/null || true)
    if [ -n "$n" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
      export DISPLAY=":$n"
      return 0
    fi
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "the X server${n:+ on :$n} did not answer; its log:" >&2
  cat "$E2E_DIR/xvfb.log" >&2 || true
  kill "$XVFB_PID" 2>/dev/null || true
  wait "$XVFB_PID" 2>/dev/null || true
  XVFB_PID=""
  return 1
}

# Starts Xvfb (depth $1, default 24) and openbox on it. A start that fails is
# tried once more on a display number that no server holds.
# ZORTA_E2E_DISPLAY=N asks for the display :N instead (a machine shared with
# other X servers).
start_x() {
  local depth=${1:-24} number
  X_DEPTH=$depth
  if [ -n "${ZORTA_E2E_DISPLAY:-}" ]; then
    # The server of the script before may still be on its way out.
    for number in $(seq 1 50); do
      [ -e "/tmp/.X$ZORTA_E2E_DISPLAY-lock" ] || break
      sleep 0.1
    done
    try_x "$depth" "$ZORTA_E2E_DISPLAY" || fail "no X server could be started on :$ZORTA_E2E_DISPLAY"
  elif ! try_x "$depth" ""; then
    number=$((20 + RANDOM % 200))
    while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
    try_x "$depth" "$number" || fail "no X server could be started"
  fi
  openbox --config-file "$(dirname "${BASH_SOURCE[0]}")/openbox-rc.xml" >"$E2E_DIR/wm.log" 2>&1 &
  WM_PID=$!
  sleep 0.5
}

# Starts the program in $E2E_DIR/run with its sound going to $E2E_DIR/audio.raw.
start_zorta() {
  local bin
  bin=$(realpath "$1")
  mkdir -p "$E2E_DIR/run/Maps" "$E2E_DIR/run/TileSets"
  if [ -n "${ZORTA_DATA:-}" ] && [ -d "$ZORTA_DATA" ]; then cp -r "$ZORTA_DATA"/. "$E2E_DIR/run/"; fi
  (cd "$E2E_DIR/run" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_DIR/audio.raw" \
     exec "$bin" >"$E2E_DIR/stdout.txt" 2>"$E2E_DIR/stderr.txt") &
  ZORTA_PID=$!
  ZORTA_WIN=""
  local i
  for i in $(seq 1 100); do
    ZORTA_WIN=$(xdotool search --name '^Zorta$' 2>/dev/null | head -1 || true)
    [ -n "$ZORTA_WIN" ] && break
    sleep 0.1
  done
  [ -n "$ZORTA_WIN" ] || fail "the window did not appear"
  sleep 0.5
}

# Asks the window manager to close the window and waits for the exit code.
stop_zorta() {
  wmctrl -c Zorta || true
  local i
  for i in $(seq 1 100); do
    kill -0 "$ZORTA_PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$ZORTA_PID" 2>/dev/null; then fail "the program did not end after the close request"; fi
  set +e
  wait "$ZORTA_PID"
  ZORTA_RC=$?
  set -e
  ZORTA_PID=""
}

zorta_running() { kill -0 "$ZORTA_PID" 2>/dev/null; }
