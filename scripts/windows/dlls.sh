#!/usr/bin/env bash
# Prints the DLLs the given Windows programs import, directly or through
# each other, that come from the cross-built libraries in PREFIX or from
# MinGW's runtime; Windows' own DLLs are left out.
# Usage: scripts/windows/dlls.sh PREFIX PROGRAM.exe...
set -euo pipefail
HOST=x86_64-w64-mingw32
PREFIX=$1
shift
DIRS=("$PREFIX/bin" /usr/lib/gcc/$HOST/*-posix /usr/$HOST/lib)
todo=("$@")
seen=()
while [ ${#todo[@]} -gt 0 ]; do
  f=${todo[0]}
  todo=("${todo[@]:1}")
  for name in $($HOST-objdump -p "$f" | sed -n 's/^\s*DLL Name: //p'); do
    for d in "${DIRS[@]}"; do
      if [ -f "$d/$name" ]; then
        if [[ " ${seen[*]-} " != *" $d/$name "* ]]; then
          seen+=("$d/$name")
          todo+=("$d/$name")
        fi
        break
      fi
    done
  done
done
[ ${#seen[@]} -eq 0 ] || printf '%s\n' "${seen[@]}"
