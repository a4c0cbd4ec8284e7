#!/usr/bin/env bash
# The shipped programs carry no test hooks: fails, naming each symbol, when a
# program holds a function of src/platform/testing.h or any symbol whose name
# contains "Seam", the hooks' common word.
# usage: no_hooks.sh SOURCE_DIR PROGRAM...
set -euo pipefail
src=$1
shift
# The hook names as the header declares them: the word before the first "(" of
# every declaration line.
names=$(sed -nE '/^[A-Za-z]/s/^[^(]*[^A-Za-z0-9_(]([A-Za-z_][A-Za-z0-9_]*)\(.*/\1/p' "$src/src/platform/testing.h" | sort -u)
if [ -z "$names" ]; then
  echo "FAIL: no hook declarations found in $src/src/platform/testing.h"
  exit 1
fi
pattern="Seam|(^|[^A-Za-z0-9_])($(echo $names | tr ' ' '|'))\\("
status=0
for program in "$@"; do
  symbols=$(nm -C "$program")
  found=$(grep -E "$pattern" <<<"$symbols" || true)
  if [ -n "$found" ]; then
    while IFS= read -r line; do
      echo "FAIL: $(basename "$program") holds the test hook ${line#* [A-Za-z] }"
    done <<<"$found"
    status=1
  else
    echo "$(basename "$program"): no test hooks among $(wc -l <<<"$symbols") symbols"
  fi
done
exit $status
