#!/usr/bin/env python3
"""The layers of src/, from the ground up, and what each may include: a file
includes only its own layer and those below it. Fails naming each include
that runs upward (the check behind docs/ARCHITECTURE.md).

usage: include_layers.py [SOURCE_DIR]
"""
import os
import re
import sys

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", ".."))

# The ground: the platform stand-ins and, from src/app, the shared settings.
# The clock, random numbers and log (app/timing) write through the file
# layer, so they stand on io; everything else may use them.
GROUND = {"platform", "app/settings.h"}
BASE = GROUND | {"io", "app/timing.h"}
ALLOWED = {
    "platform": {"platform"},
    "io": GROUND | {"io"},
    "input": BASE | {"input"},
    "sfx": BASE | {"sfx"},
    "display": BASE | {"input", "display"},
    "image": BASE | {"input", "display", "image"},
    "gui": BASE | {"input", "display", "gui"},
    "world": BASE | {"input", "display", "image", "gui", "world"},
}
# The shell and the demo screen sit on top and may include anything.

def main():
    bad = 0
    src = os.path.join(ROOT, "src")
    for room in sorted(os.listdir(src)):
        folder = os.path.join(src, room)
        if not os.path.isdir(folder):
            continue
        for name in sorted(os.listdir(folder)):
            if not name.endswith((".h", ".cpp")):
                continue
            allowed = ALLOWED.get(room)
            # app's own ground files are held to the ground's rule.
            if room == "app" and name.startswith("settings."):
                allowed = GROUND
            if room == "app" and name.startswith("timing."):
                allowed = GROUND | {"io", "app/timing.h"}
            if allowed is None:
                continue
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                    if not m:
                        continue
                    target = m.group(1)
                    if target in allowed or target.split("/")[0] in allowed:
                        continue
                    print(f"FAIL: src/{room}/{name}:{number} includes {target}, a layer above {room}")
                    bad += 1
    print("include layers: " + ("ok" if bad == 0 else f"{bad} upward includes"))
    return 1 if bad else 0

sys.exit(main())
