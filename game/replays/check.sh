#!/usr/bin/env bash
# A golden replay: played twice, headless, in a scratch copy of the game's
# folder; both result lines must be the one its "# expect:" line gives.
# usage: check.sh ZORTA-GAME GAME-RUN-FOLDER REPLAY
set -euo pipefail
game=$(realpath "$1")
data=$2
replay=$(realpath "$3")
work=$(mktemp -d /tmp/zorta-replay-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp -r "$data"/Maps "$data"/TileSets "$work"/
want=$(sed -n 's/^# expect: //p' "$replay")
[ -n "$want" ] || { echo "FAIL: $replay has no '# expect:' line" >&2; exit 1; }
first=$("$game" --data "$work" --replay "$replay" 2>"$work/err1")
second=$("$game" --data "$work" --replay "$replay" 2>"$work/err2")
cat "$work/err1"
[ "$first" = "$second" ] || { echo "FAIL: two plays differ: '$first' then '$second'" >&2; exit 1; }
[ "$first" = "$want" ] || { echo "FAIL: got '$first', expected '$want'" >&2; exit 1; }
echo "PASS $(basename "$replay"): $first"
