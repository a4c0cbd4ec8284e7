#!/usr/bin/env python3
"""Fails naming each include in the given folders (the example game, the
examples) of a project header other than <zorta/zorta.h>: a program on the
framework includes that one header, its own headers (beside it) and the
system's. Any header of src/ or any other public header counts as the
project's, however it is spelled.

usage: public_only.py SOURCE_DIR FOLDER...
"""
import os
import re
import sys

INCLUDE = re.compile(r'\s*#\s*include\s+([<"])([^">]+)[">]')


def main():
    root = os.path.abspath(sys.argv[1])
    rooms = {name for name in os.listdir(os.path.join(root, "src")) if os.path.isdir(os.path.join(root, "src", name))}
    rooms.add("zorta")
    bad = checked = 0
    for folder in sys.argv[2:]:
        for dirpath, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(dirpath, name)
                checked += 1
                with open(path, encoding="utf-8") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        quote, target = m.groups()
                        if target == "zorta/zorta.h":
                            continue
                        own = quote == '"' and os.path.isfile(os.path.join(dirpath, target))
                        first = target.replace("\\", "/").split("/")[0]
                        if own or ("/" not in target.replace("\\", "/") and quote == "<") or first not in rooms:
                            continue
                        print(f"FAIL: {os.path.relpath(path, root)}:{number} includes {target}, not <zorta/zorta.h>")
                        bad += 1
    if checked == 0:
        print("FAIL: no source files in " + " ".join(sys.argv[2:]))
        return 1
    print(f"public only: {checked} files, " + ("ok" if bad == 0 else f"{bad} faults"))
    return 1 if bad else 0


sys.exit(main())
