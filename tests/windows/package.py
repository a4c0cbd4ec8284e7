#!/usr/bin/env python3
"""The Windows package as Explorer and a user see it: zorta.exe carries the
icon drawn from packaging/zorta.svg, the project's version and a manifest
(UTF-8 code page, DPI setting, common controls, no elevation), read from the
.rsrc section of the PE file; the recipe guide and the example recipes are
shipped, and README.txt names them and says where errors go.

usage: package.py SOURCE_DIR PACKAGE_DIR
"""
import os
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

RT_ICON, RT_VERSION, RT_GROUP_ICON, RT_MANIFEST = 3, 16, 14, 24
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def resources(exe):
    """{(type, id): bytes} for every resource with a numeric type and id."""
    with open(exe, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0", "not a PE file"
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    rsrc_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    table = optional + optional_size
    for i in range(sections):
        _, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if va <= rsrc_rva < va + max(vsize, rawsize):
            base = rawptr + rsrc_rva - va
            delta = rawptr - va
            break
    else:
        return {}

    def entries(offset):
        named, ids = struct.unpack_from("<12xHH", data, base + offset)
        for k in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * k)
            yield name, target

    found = {}
    for rtype, t in entries(0):
        for rid, n in entries(t & 0x7FFFFFFF):
            for _, leaf in entries(n & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                if not (rtype | rid) & 0x80000000:
                    found[(rtype, rid)] = data[rva + delta:rva + delta + size]
    return found


def png_size(png):
    if png[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return struct.unpack_from(">II", png, 16)


def main():
    top, package = sys.argv[1], sys.argv[2]
    with open(os.path.join(top, "CMakeLists.txt")) as f:
        version = re.search(r"project\(Zorta VERSION (\d+)\.(\d+)\.(\d+)", f.read()).groups()
    res = resources(os.path.join(package, "zorta.exe"))

    # The icon: a group whose every picture is there, at the sizes Explorer
    # and the taskbar use, each the SVG drawn at that size.
    group = res.get((RT_GROUP_ICON, 1))
    if check(group is not None, "no icon group in zorta.exe"):
        count = struct.unpack_from("<H", group, 4)[0]
        sizes = []
        for k in range(count):
            w, h, _, _, _, _, _, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * k)
            picture = res.get((RT_ICON, icon_id), b"")
            n = w or 256
            check(png_size(picture) == (n, n), "icon %d is not a %dx%d PNG" % (icon_id, n, n))
            drawn = subprocess.run(["rsvg-convert", "-w", str(n), "-h", str(n),
                                    os.path.join(top, "packaging", "zorta.svg")],
                                   check=True, stdout=subprocess.PIPE).stdout
            check(picture == drawn, "the %dx%d icon is not packaging/zorta.svg" % (n, n))
            sizes.append(n)
        check({16, 32, 48, 256} <= set(sizes), "icon sizes %s" % sizes)
        print("icon: %s, drawn from packaging/zorta.svg" % " ".join("%dx%d" % (n, n) for n in sizes))

    # The version: the fixed numbers and the strings Properties shows.
    info = res.get((RT_VERSION, 1))
    if check(info is not None, "no version information in zorta.exe"):
        at = info.find(struct.pack("<I", 0xFEEF04BD))
        major, minor, patch = (int(v) for v in version)
        if check(at >= 0, "no fixed file information"):
            file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<4I", info, at + 8)
            want = ((major << 16) | minor, patch << 16)
            check((file_ms, file_ls) == want, "file version %x %x" % (file_ms, file_ls))
            check((product_ms, product_ls) == want, "product version %x %x" % (product_ms, product_ls))
        text = info.decode("utf-16-le", "replace")
        dotted = ".".join(version)
        for key in ("FileVersion", "ProductVersion"):
            check(re.search(key + "\0+" + re.escape(dotted) + "\0", text), "%s is not %s" % (key, dotted))
        check(re.search("ProductName\0+Zorta\0", text), "ProductName is not Zorta")
        print("version: %s in the fixed numbers and the strings" % dotted)

    manifest = res.get((RT_MANIFEST, 1))
    if check(manifest is not None, "no manifest in zorta.exe"):
        root = ET.fromstring(manifest)
        text = {el.tag.split("}")[-1]: (el.text or "").strip() for el in root.iter()}
        check(text.get("activeCodePage") == "UTF-8", "the active code page is not UTF-8")
        check("dpiAware" in text, "no DPI setting")
        levels = [el.get("level") for el in root.iter() if el.tag.endswith("requestedExecutionLevel")]
        check(levels == ["asInvoker"], "execution level %s" % levels)
        controls = [el for el in root.iter() if el.tag.endswith("assemblyIdentity")
                    and el.get("name") == "Microsoft.Windows.Common-Controls"]
        check(len(controls) == 1 and controls[0].get("version", "").startswith("6."), "no common controls 6")
        print("manifest: active code page UTF-8, dpiAware %s, asInvoker, common controls 6" % text.get("dpiAware"))

    # What a user reads before writing a sound.
    def read(name):
        path = os.path.join(package, name)
        if not check(os.path.isfile(path), "no %s in the package" % name):
            return b""
        with open(path, "rb") as f:
            return f.read()
    guide = read("RECIPES.txt")
    check(guide.startswith(b"\xef\xbb\xbf# Sound recipes\r\n"), "RECIPES.txt is not the guide, marked UTF-8, in CRLF lines")
    examples = sorted(f for f in os.listdir(os.path.join(package, "Sounds")) if f.endswith(".txt"))
    check(len(examples) >= 2, "Sounds holds %s" % examples)
    readme = " ".join(read("README.txt").decode("ascii").split())
    for words in ["RECIPES.txt", "ends in .txt", "log.txt", "message window", "zorta-tool is not built for Windows"] + examples:
        check(words in readme, "README.txt does not say %r" % words)
    print("package: RECIPES.txt, Sounds\\%s, and README.txt naming them" % ", Sounds\\".join(examples))

    for f in failures:
        print("FAIL: " + f)
    sys.exit(1 if failures else 0)


main()
