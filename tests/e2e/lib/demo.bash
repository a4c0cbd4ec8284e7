# Helpers for the demo's end-to-end scripts: the client area's place on the
# X screen, screenshots, pixels, the button grid and the captured audio.

# The program's window may be replaced once while its renderer starts: take
# the last window with the caption (default Zorta) and its client corner on
# the screen, waiting up to TRIES tenths of a second (default 50).
# usage: find_client [CAPTION [TRIES]]
find_client() {
  local caption=${1:-Zorta} tries=${2:-50} info="" i
  for i in $(seq 1 "$tries"); do
    ZORTA_WIN=$(xdotool search --name "^$caption\$" 2>/dev/null | tail -1 || true)
    if [ -n "$ZORTA_WIN" ] && info=$(xwininfo -id "$ZORTA_WIN" 2>/dev/null) &&
       echo "$info" | grep -q 'Map State: IsViewable'; then
      break
    fi
    info=""
    sleep 0.1
  done
  if [ -z "$info" ]; then
    local said=""
    [ -s "$E2E_DIR/stderr.txt" ] && said=": $(cat "$E2E_DIR/stderr.txt")"
    fail "no viewable window named $caption$said"
  fi
  CLIENT_X=$(echo "$info" | awk -F: '/Absolute upper-left X/ {print $2 + 0}')
  CLIENT_Y=$(echo "$info" | awk -F: '/Absolute upper-left Y/ {print $2 + 0}')
  xdotool windowactivate --sync "$ZORTA_WIN" >/dev/null 2>&1 || true
}

# A colour the program draws as the X server of depth X_DEPTH shows it,
# "srgb(r,g,b)": at 16 bits a component keeps its top 5 bits (green 6),
# widened again to 8 bits, rounded down as ImageMagick reads them.
shown_colour() {
  local r=$1 g=$2 b=$3
  if [ "${X_DEPTH:-24}" = 16 ]; then
    r=$(( (r >> 3) * 255 / 31 )); g=$(( (g >> 2) * 255 / 63 )); b=$(( (b >> 3) * 255 / 31 ))
  fi
  echo "srgb($r,$g,$b)"
}

# The same as "#RRGGBB".
shown_hex() {
  shown_colour "$@" | awk -F'[(,)]' '{printf "#%02X%02X%02X\n", $2, $3, $4}'
}

# Waits (up to 10 s) until a frame has been presented: the title bar is blue.
wait_first_frame() {
  local i blue
  blue=$(shown_hex 0 0 128)
  for i in $(seq 1 100); do
    import -window root -crop "1x1+$((CLIENT_X + 5))+$((CLIENT_Y + 5))" -depth 8 txt:- 2>/dev/null |
      grep -q "$blue" && return 0
    sleep 0.1
  done
  fail "no frame was presented"
}

# A screenshot of the client area alone.
shot() {
  import -window root -crop "640x480+$CLIENT_X+$CLIENT_Y" +repage -depth 8 "$1"
}

expect_pixel() {
  local got
  got=$(convert "$1" -format "%[pixel:p{$2,$3}]" info:)
  [ "$got" = "$4" ] || fail "$5: pixel ($2, $3) is $got, expected $4"
}

# Number of distinct colours in a rectangle of the picture.
colours_in() {
  convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -format %k info:
}

# Top-left corner of a slot's button: 25 rows 18 apart from y 20, columns 32 apart from x 2.
button_xy() {
  echo "$((2 + ($1 / 25) * 32)) $((20 + ($1 % 25) * 18))"
}

pointer_to() {
  xdotool mousemove $((CLIENT_X + $1)) $((CLIENT_Y + $2))
}

# The button state is sampled once per frame: hold the press for a few frames.
click_at() {
  pointer_to "$1" "$2"
  sleep 0.1
  CLICK_FRAME=$(audio_frames)
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
}

# A tap: press and release in one go, as touchpads and `xdotool click` send
# them, usually both within one turn of the program's loop.
tap_at() {
  pointer_to "$1" "$2"
  sleep 0.1
  CLICK_FRAME=$(audio_frames)
  xdotool click 1
}

# Stereo 16-bit frames written to the captured audio so far.
audio_frames() {
  echo $(($(stat -c %s "$E2E_DIR/audio.raw") / 4))
}

# First and last frame with a non-zero sample in a raw 16-bit file of the
# given channel count, counted from frame $3 (default 0); "none" when silent.
sound_span() {
  local file=$1 channels=$2 skip=${3:-0}
  od -An -v -td2 -w$((channels * 2)) -j $((skip * channels * 2)) "$file" |
    awk -v base="$skip" '{for (i = 1; i <= NF; i++) if ($i != 0) {if (first == "") first = NR - 1; last = NR - 1}}
      END {if (first == "") print "none"; else print first + base, last + base}'
}

sound_span_after() {
  sound_span "$E2E_DIR/audio.raw" 2 "$1"
}

# Waits (up to 5 s) until a tenth of a second of the capture is silent, so
# that the next sound heard is a new one.
wait_for_silence() {
  local i from
  for i in $(seq 1 50); do
    from=$(audio_frames)
    sleep 0.1
    [ "$(sound_span_after "$from")" = none ] && return 0
  done
  fail "the sound never stopped"
}
