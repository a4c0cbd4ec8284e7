#!/usr/bin/env python3
"""Draws the game's sprite sheet (16 cells of 32 x 32) as a 24-bit BMP file,
magenta where it is see-through; `zorta-tool map tiles` cuts it into a GFX
file. The levels' tile set is game/levels/game-tiles.png, drawn in Tiled's
maps.  usage: make_images.py OUTDIR"""
import math
import struct
import sys

MAGENTA = (255, 0, 255)


class Picture:
    def __init__(self, columns, rows, fill):
        self.w, self.h = columns * 32, rows * 32
        self.px = [[fill] * self.w for _ in range(self.h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x, y, w, h, c):
        for j in range(y, y + h):
            for i in range(x, x + w):
                self.put(i, j, c)

    def ellipse(self, cx, cy, rx, ry, c):
        for j in range(int(cy - ry) - 1, int(cy + ry) + 2):
            for i in range(int(cx - rx) - 1, int(cx + rx) + 2):
                if ((i + 0.5 - cx) / rx) ** 2 + ((j + 0.5 - cy) / ry) ** 2 <= 1:
                    self.put(i, j, c)

    def save(self, path):
        row = self.w * 3
        pad = (4 - row % 4) % 4
        data = bytearray()
        for y in range(self.h - 1, -1, -1):  # bottom row first
            for (r, g, b) in self.px[y]:
                data += bytes((b, g, r))
            data += b"\0" * pad
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(path, "wb") as f:
            f.write(header + info + data)


def person(p, ox, oy, body, step):
    p.ellipse(ox + 16, oy + 9, 6, 6, (240, 200, 160))
    p.rect(ox + 10, oy + 15, 12, 10, body)
    legs = (3, -1) if step else (-1, 3)
    p.rect(ox + 11 + legs[0], oy + 25, 4, 6, (40, 40, 40))
    p.rect(ox + 17 + legs[1], oy + 25, 4, 6, (40, 40, 40))


def sprites():
    s = Picture(4, 4, MAGENTA)
    blue, orange = (40, 80, 255), (255, 140, 20)
    person(s, 0, 0, blue, 0)
    person(s, 32, 0, blue, 1)
    person(s, 64, 0, orange, 0)
    person(s, 96, 0, orange, 1)
    s.ellipse(16, 48, 9, 9, (250, 210, 40))      # 4, 5: a coin turning
    s.ellipse(16, 48, 5, 5, (200, 160, 20))
    s.ellipse(48, 48, 4, 9, (250, 210, 40))
    for k, ox in ((6, 64), (7, 96)):              # 6, 7: the enemy
        s.ellipse(ox + 16, 48, 11, 10, (220, 30, 30))
        spike = 3 if k == 6 else 5
        for a in range(8):
            x = ox + 16 + int(13 * math.cos(a * math.pi / 4))
            y = 48 + int(12 * math.sin(a * math.pi / 4))
            s.ellipse(x, y, spike / 2.0 + 1, spike / 2.0 + 1, (160, 10, 10))
        s.rect(ox + 10, 44, 4, 4, (255, 255, 255))
        s.rect(ox + 18, 44, 4, 4, (255, 255, 255))
    s.rect(4, 66, 24, 28, (110, 70, 30))          # 8: the goal, shut
    s.rect(14, 78, 4, 4, (230, 200, 60))
    s.rect(36, 66, 24, 28, (30, 30, 30))          # 9: open, glowing
    s.rect(38, 68, 20, 26, (80, 255, 120))
    for ox, r in ((64, 4), (96, 7)):              # 10, 11: a sparkle
        s.rect(ox + 16 - r, 80, 2 * r, 2, (255, 255, 200))
        s.rect(ox + 15, 81 - r, 2, 2 * r, (255, 255, 200))
    for ox, body in ((0, blue), (32, orange)):    # 12, 13: in the air
        s.ellipse(ox + 16, 126, 9, 2, (60, 60, 60))
        person(s, ox, 93, body, 0)
    return s


if __name__ == "__main__":
    out = sys.argv[1]
    sprites().save(out + "/sprites.bmp")
