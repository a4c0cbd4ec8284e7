#!/bin/bash
# zorta-tool's command line: --help of the tool and of every command printed
# once to stdout with exit 0, --version, and usage errors on stderr with exit 2.
# Needs no X server. $1 = zorta (unused), $2 = zorta-tool.
set -u
TOOL=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
fail() { echo "FAIL: $*"; exit 1; }

# The help of WORDS...: exit 0, nothing on stderr, its usage line exactly once
# and each of its options described.
help_of() {
  "$TOOL" "$@" --help > out.txt 2> err.txt
  rc=$?
  [ "$rc" = 0 ] || fail "'$*' --help exit $rc"
  [ -s err.txt ] && fail "'$*' --help wrote to stderr: $(cat err.txt)"
  n=$(grep -c "^Usage: zorta-tool${*:+ $*} " out.txt)
  [ "$n" = 1 ] || fail "'$*' --help prints its usage $n times: $(cat out.txt)"
  # Every option line carries a description after the option itself.
  if grep -E '^  --?[a-z]' out.txt | grep -vE '^  [^ ].*   +[^ ]'; then
    fail "'$*' --help has an option without a description"
  fi
}

help_of
for c in export plot play new mutate history import export-params convert info map "map build" "map info" "map tiles"; do
  help_of $c
done
grep -q "zorta-tool export \[--format wav|flac|ogg|raw|h\] \[--rate HZ\] \[--slots LIST\] OUTDIR" <("$TOOL" --help) ||
  fail "--help lacks export's usage"
"$TOOL" export --help > out.txt
for o in --format --rate --slots OUTDIR; do grep -q "^  $o" out.txt || fail "export --help lacks $o"; done
"$TOOL" plot --help > out.txt
for o in --size --slots OUTDIR; do grep -q "^  $o" out.txt || fail "plot --help lacks $o"; done
"$TOOL" -h > out.txt 2> err.txt || fail "-h"
cmp -s out.txt <("$TOOL" --help) || fail "-h and --help differ"
"$TOOL" help > out.txt 2> err.txt || fail "help"
cmp -s out.txt <("$TOOL" --help) || fail "help and --help differ"

"$TOOL" --version > out.txt 2> err.txt || fail "--version exit $?"
grep -qE '^zorta-tool [0-9]+\.[0-9]+\.[0-9]+$' out.txt || fail "--version: $(cat out.txt)"
[ -s err.txt ] && fail "--version wrote to stderr"

# A usage error: exit 2, the message on stderr naming the command, nothing on stdout.
usage_error() {
  expected=$1
  shift
  "$TOOL" "$@" > out.txt 2> err.txt
  rc=$?
  [ "$rc" = 2 ] || fail "'$*' exit $rc (expected 2)"
  [ -s out.txt ] && fail "'$*' wrote to stdout: $(cat out.txt)"
  grep -qF "$expected" err.txt || fail "'$*': $(cat err.txt)"
  [ "$(wc -l < err.txt)" = 1 ] || fail "'$*' says more than one line: $(cat err.txt)"
}

usage_error "zorta-tool export: unknown option '--loud'" export --loud out
usage_error "zorta-tool: unknown option '--loud'" --loud
usage_error "zorta-tool export: --format" export out --format
usage_error "zorta-tool export: no output folder given" export
usage_error "zorta-tool export: unexpected argument 'two'" export one two
usage_error "zorta-tool play: no slot given" play
usage_error "zorta-tool info: IMAGE is required" info
usage_error "zorta-tool map build: OUT is required" map build spec.json
usage_error "zorta-tool: unknown command 'frob'" frob
usage_error "zorta-tool map: unknown command 'frob'" map frob
usage_error "zorta-tool: no command given" 
usage_error "zorta-tool map: no command given" map
[ -e out ] || [ -e one ] && fail "a folder was made despite a usage error"

# A runtime error keeps exit status 1.
"$TOOL" info missing.bmp > out.txt 2> err.txt
[ $? = 1 ] || fail "a missing file is not exit 1"
grep -q "zorta-tool info: cannot open 'missing.bmp'" err.txt || fail "missing file: $(cat err.txt)"
echo "cli: ok"
