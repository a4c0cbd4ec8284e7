#!/usr/bin/env bash
# zorta-game's command line, headless: --help, a --record place that cannot be
# written (refused before play), replays with CRLF lines, cut short, playing
# before their first "new" line or ending elsewhere than their end line says,
# and Ctrl-C and SIGTERM stopping a long replay cleanly.
# usage: cli.sh ZORTA-GAME GAME-RUN-FOLDER GOLDEN-REPLAY
set -euo pipefail
GAME=$(realpath "$1")
DATA=$2
GOLDEN=$(realpath "$3")
work=$(mktemp -d /tmp/zorta-game-cli-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp -r "$DATA"/Maps "$DATA"/TileSets "$work"/
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Runs the game (at most 20 s); sets rc, out and err.
run() {
  rc=0
  timeout 20 "$GAME" "$@" >"$work/out" 2>"$work/err" || rc=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
}

run --help
[ "$rc" = 0 ] || fail "--help: exit $rc ($err)"
grep -q '^usage: zorta-game ' <<<"$out" || fail "--help printed no usage: $out"
echo "--help: usage, exit 0"

run --data "$work" --record /nonexistent/x.rpl
[ "$rc" = 1 ] || fail "--record /nonexistent/x.rpl: exit $rc, expected 1 before play"
[ "$err" = "zorta-game: cannot write '/nonexistent/x.rpl': No such file or directory" ] || fail "--record: said '$err'"
run --data "$work" --record "$work"
[ "$rc" = 1 ] && grep -q "not a regular file" <<<"$err" || fail "--record FOLDER: exit $rc, '$err'"
[ -z "$(ls "$work" | grep -v '^Maps$\|^TileSets$\|^out$\|^err$')" ] || fail "a temporary file was left: $(ls "$work")"
run --data "$work/nowhere" --record "$work/kept.rpl"
[ "$rc" = 1 ] && grep -q "cannot enter '$work/nowhere'" <<<"$err" || fail "--data nowhere: exit $rc, '$err'"
[ -z "$(ls "$work" | grep -v '^Maps$\|^TileSets$\|^out$\|^err$')" ] || fail "a game that never started left: $(ls "$work")"
echo "--record: an unwritable place refused at once, nothing kept of a game that never started"

want=$(sed -n 's/^# expect: //p' "$GOLDEN")
sed 's/$/\r/' "$GOLDEN" >"$work/crlf.rpl"
run --data "$work" --replay "$work/crlf.rpl"
[ "$rc" = 0 ] && [ "$out" = "$want" ] || fail "CRLF replay: exit $rc, '$out' ($err)"
echo "CRLF: $out"

head -n -1 "$GOLDEN" >"$work/cut.rpl"
run --data "$work" --replay "$work/cut.rpl"
[ "$rc" = 1 ] && grep -q "the end line is missing: the file was cut short" <<<"$err" || fail "cut file: exit $rc, '$err'"
sed 's/^end \([0-9]*\) .*/end \1 0123456789abcdef/' "$GOLDEN" >"$work/other.rpl"
run --data "$work" --replay "$work/other.rpl"
[ "$rc" = 1 ] && [ "$out" = "$want" ] && grep -q "recorded to end at step .* with hash 0123456789abcdef, not here" <<<"$err" \
  || fail "another end: exit $rc, '$out', '$err'"
printf 'zorta-game replay 1\nseed 1\nrun 100 0 0 0 0\nnew level1.map\nend 100 0000000000000000\n' >"$work/early.rpl"
run --data "$work" --replay "$work/early.rpl"
[ "$rc" = 1 ] && grep -q "line 3: play before the first 'new' line" <<<"$err" || fail "run before new: exit $rc, '$err'"
echo "refused: a cut file, a run before new; another end reported"

# About 12 minutes of steps: each signal must stop it within a few seconds.
printf 'zorta-game replay 1\nseed 1\nnew level1.map\nrun 4294967295 0 0 0 0\nend 4294967295 0000000000000000\n' \
  >"$work/long.rpl"
for signal in INT TERM; do
  "$GAME" --data "$work" --replay "$work/long.rpl" >"$work/out" 2>"$work/err" &
  pid=$!
  sleep 1
  kill -"$signal" "$pid"
  for i in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    fail "SIG$signal did not stop the replay within 5 s"
  fi
  rc=0
  wait "$pid" || rc=$?
  want_rc=$((128 + $(kill -l "$signal")))
  [ "$rc" = "$want_rc" ] || fail "SIG$signal: exit $rc, expected $want_rc ($(cat "$work/err"))"
  grep -q "zorta-game: stopped by signal $(kill -l "$signal") at step [0-9]" "$work/err" || fail "SIG$signal: $(cat "$work/err")"
done
echo "SIGINT and SIGTERM stop a replay"
echo "PASS game cli"
