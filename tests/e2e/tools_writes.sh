#!/bin/bash
# zorta-tool never destroys a user's file and never reports a failed write as
# success: an output that is an input is refused, two inputs with one output
# too, a full disk is said to be one with the earlier output left whole, a
# device stays a device, and standard output is checked like any file.
# Needs no X server. $1 = zorta (unused), $2 = zorta-tool.
set -u
TOOL=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

# "$TOOL" ARGS... with its exit code in rc and its messages in err.txt.
run() {
  "$TOOL" "$@" > out.txt 2> err.txt
  rc=$?
}
expect_error() {
  message=$1
  shift
  run "$@"
  [ "$rc" = 1 ] || fail "'$*' exit $rc (expected 1): $(cat err.txt)"
  grep -qF "$message" err.txt || fail "'$*': $(cat err.txt)"
}

# An output that is the same file as an input: refused, the input untouched,
# through another name or a link too.
printf '{"layers": [{"name": "Main", "width": 2, "height": 1, "tiles": [1, 2]}]}\n' > lv.json
cp lv.json lv.orig
expect_error "zorta-tool map build: will not write over the input 'lv.json'" map build lv.json lv.json
expect_error "will not write over the input" map build lv.json ./lv.json
ln -s lv.json link.json
expect_error "will not write over the input" map build lv.json link.json
cmp -s lv.json lv.orig || fail "map build wrote over its description"
convert -size 64x32 xc:'#336699' t.png
cp t.png t.orig
expect_error "zorta-tool map tiles: will not write over the input 't.png'" map tiles t.png t.png
expect_error "zorta-tool convert: will not write over the input 't.png'" convert t.png t.png
cmp -s t.png t.orig || fail "an image was written over"
"$TOOL" recipe 10 > s.raw
cp s.raw s.orig
expect_error "will not write over the input 's.raw'" render --format raw s.raw .
cmp -s s.raw s.orig || fail "render wrote over its recipe"
mv s.raw s.png
expect_error "will not write over the input 's.png'" plot s.png .
rm s.png s.orig

# Two recipes with one name would be written to one file: refused before
# anything is written, naming both.
mkdir a b
"$TOOL" recipe 10 > a/laser.txt
"$TOOL" recipe 11 > b/laser.txt
expect_error "zorta-tool render: 'a/laser.txt' and 'b/laser.txt' would both be written to 'out/laser.wav'" \
  render a/laser.txt b/laser.txt out
[ -e out ] && fail "render made its folder despite two files for one output"
expect_error "'a/laser.txt' and 'b/laser.txt' would both be written to 'pics/laser.png'" plot a/laser.txt b/laser.txt pics
[ -e pics ] && fail "plot made its folder despite two files for one output"

cp a/laser.txt bank.txt
expect_error "'bank.txt' and 'the contact sheet' would both be written to 'pics/bank.png'" plot --slots 3 bank.txt pics
mv bank.txt slot-03.txt
expect_error "'slot-03.txt' and 'slot 3' would both be written to 'pics/slot-03.png'" plot --slots 3 slot-03.txt pics
[ -e pics ] && fail "plot made its folder despite a recipe named like a picture of the bank"

# Every argument is checked before anything is written.
expect_error "slot 200" plot --slots 200 a/laser.txt pics
[ -e pics/laser.png ] && fail "plot wrote a recipe's picture and then refused its slots"

# A device named as the output is written in place: a null device takes it
# all, a full one is a full disk; both stay devices. As root the devices are
# nodes of our own, so that a tool that removes its output cannot take the
# system's.
FULL=/dev/full NULL=/dev/null
if mknod "$WORK/full" c 1 7 2> /dev/null && mknod "$WORK/null" c 1 3 2> /dev/null; then
  FULL=$WORK/full NULL=$WORK/null
fi
"$TOOL" map build lv.json "$NULL" > /dev/null 2> err.txt || fail "map build to $NULL: $(cat err.txt)"
expect_error "zorta-tool map build: cannot write '$FULL': the disk is full" map build lv.json "$FULL"
expect_error "zorta-tool map tiles: cannot write '$FULL': the disk is full" map tiles t.png "$FULL"
expect_error "zorta-tool convert: cannot write '$FULL': the disk is full" convert t.png "$FULL"
[ -c "$NULL" ] && [ -c "$FULL" ] || fail "a device node is gone"

# Standard output: a write that fails is exit 1 with a message, never 0.
mkdir -p m
"$TOOL" map build lv.json m/lv.map 2> err.txt || fail "map build: $(cat err.txt)"
for words in "recipe 10" "map info m/lv.map" "info t.png" "check a/laser.txt" "--help" "export --slots 0 ex"; do
  "$TOOL" $words > "$FULL" 2> err.txt
  rc=$?
  [ "$rc" = 1 ] || fail "'$words > $FULL' exit $rc"
  grep -q "^zorta-tool: cannot write to the standard output: the disk is full$" err.txt ||
    fail "'$words > $FULL': $(cat err.txt)"
done
"$TOOL" recipe 10 >&- 2> err.txt && fail "recipe 10 with standard output closed is exit 0"
"$TOOL" recipe 10 | cmp -s - a/laser.txt || fail "recipe 10 through a pipe"

# A full disk: said to be one, the earlier output whole, no file left behind.
# A small file system of its own needs mount rights (root, or a user namespace).
# Inside a mount namespace of its own, the file system goes with the shell.
mkdir small
NS="unshare -rm"
[ "$(id -u)" = 0 ] && NS="unshare -m"
if $NS true 2> /dev/null; then
  cat > full.sh << EOF
set -u
mount -t tmpfs -o size=256k tmpfs small || exit 77
cd small
"$TOOL" export --format flac --slots 10 . > /dev/null || exit 3
cp slot-10.flac keep.flac
cat /dev/zero > filler 2> /dev/null
for format in wav flac raw h; do
  "$TOOL" export --format \$format --slots 10 . > /dev/null 2> ../err-\$format.txt && exit 4
done
cmp -s slot-10.flac keep.flac || exit 5
ls -A > ../left.txt
"$TOOL" map build ../lv.json lv.map 2> /dev/null > /dev/null && exit 6
exit 0
EOF
  $NS bash full.sh
  rc=$?
  if [ "$rc" = 77 ]; then
    echo "no small file system could be mounted: the full-disk case is left out"
  else
    [ "$rc" = 0 ] || fail "full disk: step $rc failed"
    for format in wav flac raw h; do
      grep -qx "zorta-tool export: cannot write './slot-10.$format': the disk is full" err-$format.txt ||
        fail "export --format $format on a full disk: $(cat err-$format.txt)"
    done
    [ "$(tr '\n' ' ' < left.txt)" = "filler keep.flac slot-10.flac " ] || fail "left on the full disk: $(cat left.txt)"
  fi
else
  echo "no mount namespace: the full-disk case is left out"
fi

# A description of many large layers is refused before it is made, within a
# small memory limit, not ended by running out of memory.
python3 -c '
import json
print(json.dumps({"layers": [{"name": "L%d" % i, "width": 8192, "height": 8192, "fill": 1} for i in range(100)]}))
' > huge.json
(ulimit -v 1000000 && "$TOOL" map build huge.json huge.map > out.txt 2> err.txt)
rc=$?
[ "$rc" = 1 ] || fail "a 13 GB map: exit $rc: $(cat err.txt)"
grep -qF "zorta-tool map build: huge.json: /layers/1: the map is too large" err.txt || fail "$(cat err.txt)"
[ -e huge.map ] && fail "a refused map was written"

# Messages in the tool's words.
printf '{"layers": [\n  {"name": "a",}\n]}\n' > bad.json
expect_error "zorta-tool map build: bad.json: not valid JSON at line 2, column 16: " map build bad.json x.map
grep -q "json.exception" err.txt && fail "the library's own words: $(cat err.txt)"
printf '{"layers": [{"name": "a", "name": "b"}]}\n' > twice.json
expect_error "zorta-tool map build: twice.json: /layers/0/name: is given more than once" map build twice.json x.map
[ -e x.map ] && fail "a refused description was written"
expect_error "zorta-tool map info: cannot open 'missing.map'" map info missing.map
# "--" ends the options, as everywhere: what follows is a slot or a file even
# when it starts with '-'.
"$TOOL" recipe -- 5 > five.txt 2> err.txt || fail "recipe -- 5: $(cat err.txt)"
"$TOOL" recipe 5 | cmp -s - five.txt || fail "recipe -- 5 is not recipe 5"
mv five.txt ./-five.txt
"$TOOL" check -- -five.txt > out.txt 2> err.txt || fail "check -- -five.txt: $(cat err.txt)"
grep -q "^-five.txt: ok" out.txt || fail "check -- -five.txt: $(cat out.txt)"
echo "tool writes: ok"
