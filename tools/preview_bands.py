#!/usr/bin/env python3
"""Turns three band files of an image (or its .dem) into a PNG for a quick look.

usage: preview_bands.py IMAGE.inf R G B OUT.png      (band numbers, 8-bit bands)
       preview_bands.py IMAGE.inf dem OUT.png         (elevation codes, sea blue)
Needs only python3 and ImageMagick's `convert`.
"""
import os
import subprocess
import sys
import tempfile


def read_size(inf):
    size = {}
    with open(inf, encoding="latin-1") as f:
        for line in f:
            for key in ("LINE =", "PIXEL ="):
                if line.startswith(key):
                    size[key] = int(line[len(key):].split()[0])
    return size["PIXEL ="], size["LINE ="]


def write_png(width, height, rgb, out):
    with tempfile.NamedTemporaryFile(suffix=".ppm", delete=False) as tmp:
        tmp.write(b"P6 %d %d 255\n" % (width, height))
        tmp.write(rgb)
    try:
        subprocess.run(["convert", tmp.name, out], check=True)
    finally:
        os.unlink(tmp.name)


def main(argv):
    inf = argv[1]
    base = os.path.splitext(inf)[0]
    width, height = read_size(inf)
    if argv[2] == "dem":
        codes = open(base + ".dem", "rb").read()
        rgb = bytearray(3 * len(codes))
        for i, c in enumerate(codes):
            rgb[3 * i:3 * i + 3] = (0, 0, 160) if c == 0 else (c, c, c)
        write_png(width, height, bytes(rgb), argv[3])
        return 0
    planes = [open(base + ".b%02d" % int(n), "rb").read() for n in argv[2:5]]
    rgb = bytearray(3 * width * height)
    for k in range(3):
        rgb[k::3] = planes[k]
    write_png(width, height, bytes(rgb), argv[5])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
