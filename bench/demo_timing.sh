#!/usr/bin/env bash
# The running demo as `make run` starts it, beside the shipped Maps/ and
# TileSets/, under Xvfb at depth 24 (with openbox, which activates it):
# - start to first frame: x11_probe starts the program and polls one pixel of
#   the title bar with XGetImage every 0.2 ms (median of STARTS starts);
# - CPU at the frame cap: utime + stime of the process from /proc over 5 s,
#   three times with the pointer resting on the grid and three times with it
#   moving over the grid (medians); per turn, with the turns counted as the
#   loop's sleeps; once with the sound as `make run` has it and once with
#   SDL's disk driver;
# - click to sound: x11_probe presses the button through XTest and takes the
#   time from the press to the first non-zero sample that SDL's disk audio
#   driver writes (median of CLICKS clicks): when the driver wrote its block
#   of BLOCK frames (the program's mixer buffer) and when it reached the
#   capture file, which SDL fills through a 4096-byte stdio buffer.
# Usage: bash bench/demo_timing.sh build/zorta [starts] [clicks] [block frames, 512]
source "$(dirname "$0")/../tests/e2e/lib/x11.bash"
source "$(dirname "$0")/../tests/e2e/lib/demo.bash"
ZORTA=$(realpath "$1")
STARTS=${2:-7}
CLICKS=${3:-9}
BLOCK=${4:-512}
PROBE=$(dirname "$ZORTA")/bench/x11_probe
DATA=$(cd "$(dirname "$0")/../data" && pwd)
[ -x "$PROBE" ] || fail "no $PROBE: build the target x11_probe (needs libx11-dev and libxtst-dev)"

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

# The program's folder as `make run` prepares it.
fresh_run_folder() {
  rm -rf "$E2E_DIR/run"
  mkdir -p "$E2E_DIR/run"
  cp -r "$DATA"/. "$E2E_DIR/run/"
}

# Starts the program through the probe; sets ZORTA_PID and STARTED_MS. The
# sound settings come from the environment the caller gives.
probe_start() {
  fresh_run_folder
  local out
  out=$(cd "$E2E_DIR/run" && "$PROBE" start "$((CLIENT_X + 5))" "$((CLIENT_Y + 5))" 000080 "$ZORTA")
  read -r STARTED_MS ZORTA_PID <<<"$out"
  [ "$STARTED_MS" != none ] || fail "no first frame within 20 s"
}

ticks() { awk '{print $14 + $15}' "/proc/$ZORTA_PID/stat"; }
sleeps() { awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$ZORTA_PID/task/$ZORTA_PID/status"; }
# The loop sleeps once a turn: its sleep calls are counted with perf where it
# can count system calls; else the main thread's waits stand in for them
# (these also count each wait for the X server when a picture is shown).
if perf stat -e syscalls:sys_enter_clock_nanosleep -- true >/dev/null 2>&1; then
  TURNS_BY="sleep calls counted by perf"
else
  TURNS_BY="main thread's waits (no perf)"
fi

# Three 5 s measurements; prints the medians of: percent of one core,
# microseconds of CPU per turn, turns per second; then the three percents.
cpu_medians() {
  local i t1 t2 s1 s2 n perf=$E2E_DIR/perf.txt percents=() perturn=() turns=()
  for i in 1 2 3; do
    if [ "$TURNS_BY" = "sleep calls counted by perf" ]; then
      perf stat -x, -e syscalls:sys_enter_clock_nanosleep -t "$ZORTA_PID" -- sleep 5 2>"$perf" &
      t1=$(ticks); wait $!; t2=$(ticks)
      n=$(awk -F, '/clock_nanosleep/ {print $1}' "$perf")
    else
      t1=$(ticks); s1=$(sleeps); sleep 5; t2=$(ticks); s2=$(sleeps)
      n=$((s2 - s1))
    fi
    percents+=($(awk -v t=$((t2 - t1)) 'BEGIN {printf "%.1f", t / 5}'))
    perturn+=($(( (t2 - t1) * 10000 / (n > 0 ? n : 1) )))
    turns+=($(( n / 5 )))
  done
  echo "$(printf '%s\n' "${percents[@]}" | median) $(printf '%s\n' "${perturn[@]}" | median)" \
    "$(printf '%s\n' "${turns[@]}" | median) (${percents[*]})"
}

start_x 24
# Where the window's client area lands under this window manager.
fresh_run_folder
start_zorta "$ZORTA"
find_client
stop_zorta

starts=()
for run in $(seq 1 "$STARTS"); do
  probe_start
  starts+=("$STARTED_MS")
  stop_zorta
done
echo "start to first frame: median $(printf '%s\n' "${starts[@]}" | median) ms over $STARTS starts (${starts[*]})"

for sound in default disk; do
  if [ "$sound" = disk ]; then
    export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$E2E_DIR/audio.raw"
  fi
  probe_start
  find_client
  read -r bx by < <(button_xy 260)
  pointer_to $((bx + 10)) $((by + 8))
  sleep 2
  read -r pct us turns rest < <(cpu_medians)
  echo "CPU at the frame cap, pointer resting, sound $sound: $pct % of one core, $us us per turn, $turns turns/s $rest ($TURNS_BY)"
  "$PROBE" move $((CLIENT_X + 20)) $((CLIENT_Y + 30)) $((CLIENT_X + 620)) $((CLIENT_Y + 460)) 17 &
  MOVER=$!
  sleep 1
  read -r pct us turns rest < <(cpu_medians)
  wait "$MOVER"
  echo "CPU at the frame cap, pointer moving, sound $sound: $pct % of one core, $us us per turn, $turns turns/s $rest ($TURNS_BY)"
  [ "$sound" = disk ] || stop_zorta
done

written=(); shown=()
# Slot 3 sounds from its first sample on.
read -r bx by < <(button_xy 3)
for i in $(seq 1 "$CLICKS"); do
  read -r w f < <("$PROBE" click $((CLIENT_X + bx + 10)) $((CLIENT_Y + by + 8)) "$E2E_DIR/audio.raw" "$BLOCK")
  [ "$w" != none ] || fail "no sound after click $i on button 3"
  written+=("$w"); shown+=("$f")
done
echo "click to first sound written by the driver: median $(printf '%s\n' "${written[@]}" | median) ms" \
  "over $CLICKS clicks (${written[*]}); in the capture file: median $(printf '%s\n' "${shown[@]}" | median) ms (${shown[*]})"
stop_zorta
