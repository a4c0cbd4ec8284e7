#!/usr/bin/env python3
"""Fails naming each include in src/ that runs up the floors of
src/floors.txt: a file includes only its own room and the rooms its room
stands on, all the way down. A public header "zorta/<room>.h" counts as that
room; the public headers of include/zorta/ (each a room's, zorta.h all of
them) include only public headers of rooms under their own, never anything
of src/. Also checks that the floor table of docs/ARCHITECTURE.md lists the
same rooms on the same floors, and that every floor has its test program,
which the Windows run runs too.

usage: include_layers.py [SOURCE_DIR]
"""
import os
import re
import sys

ROOT = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", ".."))


def read_floors():
    floors, on = {}, {}
    with open(os.path.join(ROOT, "src", "floors.txt"), encoding="utf-8") as f:
        for line in f:
            fields = line.split()
            if not fields or fields[0].startswith("#"):
                continue
            floors[fields[1]] = int(fields[0])
            on[fields[1]] = fields[2:]
    return floors, on


def under(room, on):
    seen = {room}
    for below in on[room]:
        seen |= under(below, on)
    return seen


INCLUDE = re.compile(r'\s*#\s*include\s+[<"]([^">]+)[">]')


def room_of(target):
    """The room an include of the project names, or None for a system header."""
    if "/" not in target:
        return None
    first, rest = target.split("/", 1)
    if first == "zorta":
        return os.path.splitext(rest)[0]
    return first


def check_public(floors, on):
    bad = 0
    folder = os.path.join(ROOT, "include", "zorta")
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".h"):
            continue
        room = os.path.splitext(name)[0]
        if room != "zorta" and room not in floors:
            print(f"FAIL: include/zorta/{name} is not the public header of a floor of src/floors.txt")
            bad += 1
            continue
        allowed = set(floors) if room == "zorta" else under(room, on)
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE.match(line)
                if not m:
                    continue
                target = m.group(1)
                # Besides each other, only the C++ library's own headers (<cstdint>).
                if not target.startswith("zorta/"):
                    if "/" not in target and "." not in target:
                        continue
                    print(f"FAIL: include/zorta/{name}:{number} includes {target}, not a public header")
                    bad += 1
                elif room_of(target) not in allowed:
                    print(f"FAIL: include/zorta/{name}:{number} includes {target}, not on a floor under {room}")
                    bad += 1
    return bad


def main():
    floors, on = read_floors()
    bad = check_public(floors, on)
    src = os.path.join(ROOT, "src")
    for room in sorted(os.listdir(src)):
        folder = os.path.join(src, room)
        if not os.path.isdir(folder):
            continue
        if room not in floors:
            print(f"FAIL: src/{room} is not a floor of src/floors.txt")
            bad += 1
            continue
        allowed = under(room, on)
        for below in on[room]:
            if floors[below] >= floors[room]:
                print(f"FAIL: src/floors.txt puts {room} on {below}, which is not lower")
                bad += 1
        for name in sorted(os.listdir(folder)):
            if not name.endswith((".h", ".cpp")):
                continue
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                    if not m or "/" not in m.group(1):
                        continue
                    target = room_of(m.group(1))
                    if target not in allowed:
                        print(f"FAIL: src/{room}/{name}:{number} includes {m.group(1)}, not on a floor under {room}")
                        bad += 1
    # The architecture's table: one row per room, "| floor | `src/room/` | `zorta_room` | ...".
    documented = {}
    with open(os.path.join(ROOT, "docs", "ARCHITECTURE.md"), encoding="utf-8") as f:
        for line in f:
            m = re.match(r"\|\s*(\d+)\s*\|\s*`src/([a-z_]+)/`\s*\|", line)
            if m:
                documented[m.group(2)] = int(m.group(1))
    if documented != floors:
        print(f"FAIL: docs/ARCHITECTURE.md's floors {sorted(documented.items())} are not src/floors.txt's {sorted(floors.items())}")
        bad += 1
    # One test program per floor, linking that floor and those below; the
    # Windows run builds and runs every one of them under Wine.
    for room in sorted(floors):
        folder = os.path.join(ROOT, "tests", "unit", room)
        if not os.path.isdir(folder) or not any(n.endswith(".cpp") for n in os.listdir(folder)):
            print(f"FAIL: floor {room} has no test program (tests/unit/{room}/*.cpp)")
            bad += 1
    with open(os.path.join(ROOT, "scripts", "windows", "test.sh"), encoding="utf-8") as f:
        m = re.search(r"^TESTS=\(([^)]*)\)", f.read(), re.M)
    missing = sorted(set(floors) - set(m.group(1).split() if m else []))
    if missing:
        print(f"FAIL: scripts/windows/test.sh does not run the tests of {', '.join(missing)}")
        bad += 1
    print("include layers: " + ("ok" if bad == 0 else f"{bad} faults"))
    return 1 if bad else 0


sys.exit(main())
