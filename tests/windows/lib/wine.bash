# Shared by the scripts that run the Windows package under Wine: a Wine
# prefix, and zorta.exe started from a copy of the package. Source it after
# tests/e2e/lib/x11.bash.

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Uses the Wine prefix $1, or makes a fresh one in $E2E_DIR when $1 is empty.
# Mono and Gecko stay out: nothing here needs them, and their installers
# would ask on screen.
use_wine_prefix() {
  if [ -n "${1:-}" ]; then
    WINEPREFIX=$(realpath "$1")
    [ -f "$WINEPREFIX/system.reg" ] || fail "no Wine prefix at $WINEPREFIX"
    # A server left from headless runs would keep their desktop, which has no display.
    WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
    WINEPREFIX=$WINEPREFIX wineserver -w
  else
    WINEPREFIX=$E2E_DIR/wine
    env -u DISPLAY wineboot -i >/dev/null 2>&1 || fail "wineboot could not make a prefix"
  fi
  export WINEPREFIX
}

# Copies the package $1 to $E2E_DIR/run and starts zorta.exe there under
# Wine, its sound going to $E2E_DIR/audio.raw; waits for its window.
start_wine_zorta() {
  local package i
  package=$(realpath "$1")
  [ -f "$package/zorta.exe" ] || fail "no zorta.exe in $package"
  mkdir -p "$E2E_DIR/run"
  cp -r "$package/." "$E2E_DIR/run/"
  (cd "$E2E_DIR/run" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_DIR/audio.raw" \
     exec wine zorta.exe >"$E2E_DIR/stdout.txt" 2>"$E2E_DIR/stderr.txt") &
  ZORTA_PID=$!
  ZORTA_WIN=""
  # Wine's first start on a display takes a few seconds.
  for i in $(seq 1 300); do
    ZORTA_WIN=$(xdotool search --name '^Zorta$' 2>/dev/null | head -1 || true)
    [ -n "$ZORTA_WIN" ] && break
    zorta_running || fail "zorta.exe ended before its window appeared: $(cat "$E2E_DIR/stderr.txt")"
    sleep 0.1
  done
  [ -n "$ZORTA_WIN" ] || fail "the window did not appear"
}
