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

# Starts Xvfb on a display number of its own choosing (depth $1, default 24)
# and openbox on it.
start_x() {
  local depth=${1:-24}
  Xvfb -displayfd 3 -screen 0 "1024x768x$depth" -nolisten tcp 3>"$E2E_DIR/display" >"$E2E_DIR/xvfb.log" 2>&1 &
  XVFB_PID=$!
  local i n=""
  for i in $(seq 1 100); do
    n=$(cat "$E2E_DIR/display" 2>/dev/null || true)
    [ -n "$n" ] && break
    sleep 0.1
  done
  [ -n "$n" ] || fail "no X server could be started"
  export DISPLAY=":$n"
  for i in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  xdpyinfo >/dev/null 2>&1 || fail "the X server on $DISPLAY does not answer"
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
