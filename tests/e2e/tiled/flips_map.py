#!/usr/bin/env python3
"""Writes a small Tiled map beside Tiled's desert example (flips.tmx, its
desert.tsx and tmw_desert_spacing.png): every flip and rotation of a few
tiles, two tile sets (one external with margin and spacing, one embedded) in
one layer, and one layer per tile encoding, with an object layer.

usage: flips_map.py FOLDER   (the folder holding desert.tsx)"""
import base64
import gzip
import os
import struct
import subprocess
import sys
import zlib

W, H = 8, 8
FLIPS = [0, 0x80000000, 0x40000000, 0x20000000, 0xA0000000, 0x60000000, 0xC0000000, 0xE0000000]


def cells(seed):
    # Rows of asymmetric desert tiles, each row another flip; the embedded
    # second tile set (firstgid 49) takes the odd columns of every other row.
    out = []
    for y in range(H):
        for x in range(W):
            tile = [30, 31, 37, 38, 39, 46, 1, 9][(x + seed) % 8]
            if (x + y) % 5 == 4:
                out.append(0)
                continue
            gid = tile + (48 if (y % 2 and x % 2) else 0)
            out.append(gid | FLIPS[(y + seed) % 8])
    return out


def packed(values):
    return b"".join(struct.pack("<I", v) for v in values)


def zstd(data):
    return subprocess.run(["zstd", "-q", "-c"], input=data, stdout=subprocess.PIPE, check=True).stdout


def layer(name, seed, encoding, compression):
    values = cells(seed)
    attrs = 'encoding="%s"' % encoding
    if encoding == "csv":
        text = ",".join(str(v) for v in values)
    else:
        raw = packed(values)
        if compression == "zlib":
            raw = zlib.compress(raw)
        elif compression == "gzip":
            raw = gzip.compress(raw)
        elif compression == "zstd":
            raw = zstd(raw)
        if compression:
            attrs += ' compression="%s"' % compression
        text = base64.b64encode(raw).decode()
    return ' <layer name="%s" width="%d" height="%d">\n  <data %s>%s</data>\n </layer>\n' % (
        name, W, H, attrs, text)


def main():
    folder = sys.argv[1]
    layers = [("csv", 0, "csv", ""), ("base64", 1, "base64", ""), ("zlib", 2, "base64", "zlib"),
              ("gzip", 3, "base64", "gzip"), ("zstd", 4, "base64", "zstd")]
    text = ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<map version="1.8" orientation="orthogonal" renderorder="right-down" width="%d" height="%d" '
            'tilewidth="32" tileheight="32" infinite="0">\n' % (W, H))
    text += ' <tileset firstgid="1" source="desert.tsx"/>\n'
    text += (' <tileset firstgid="49" name="again" tilewidth="32" tileheight="32" spacing="1" margin="1" '
             'tilecount="48" columns="8">\n  <image source="tmw_desert_spacing.png" width="265" height="199"/>\n'
             ' </tileset>\n')
    for name, seed, encoding, compression in layers:
        text += layer(name, seed, encoding, compression)
    text += (' <objectgroup name="things">\n'
             '  <object id="1" name="a" type="Walker" x="40" y="64">\n'
             '   <properties><property name="param" type="int" value="7"/>'
             '<property name="real0" type="float" value="0.5"/></properties>\n'
             '   <polyline points="0,0 96,0 96,32"/>\n  </object>\n'
             ' </objectgroup>\n</map>\n')
    with open(os.path.join(folder, "flips.tmx"), "w") as f:
        f.write(text)


main()
