#!/usr/bin/env python3
"""Makes zorta.exe's icon from the SVG: rsvg-convert draws it at each size
Windows asks for (the list, Explorer's large views, the taskbar), and the
pictures go into one .ico as PNG entries, which Windows reads since Vista.

usage: make-icon.py SVG ICO
"""
import struct
import subprocess
import sys

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)


def main():
    svg, ico = sys.argv[1], sys.argv[2]
    pictures = [subprocess.run(["rsvg-convert", "-w", str(n), "-h", str(n), svg], check=True,
                               stdout=subprocess.PIPE).stdout for n in SIZES]
    # ICONDIR, then one ICONDIRENTRY per picture, then the pictures; 0 in a
    # width or height byte means 256.
    out = struct.pack("<HHH", 0, 1, len(SIZES))
    offset = 6 + 16 * len(SIZES)
    for n, png in zip(SIZES, pictures):
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
    with open(ico, "wb") as f:
        f.write(out + b"".join(pictures))


main()
