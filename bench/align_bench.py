#!/usr/bin/env python3
"""Aligned import, whole process: a 7000 x 7000 Landsat-like product (seven
16-bit bands) put onto the grid of an earlier scene of the place, shifted by
100 cells east and south, by `lumora-cli import --like`; beside it the plain
import of the same product and gdalwarp putting its bands onto the same grid
(one run per band, nearest; the peer a teacher might reach for).

usage: bench/align_bench.py path/to/lumora-cli path/to/bench_import [work-folder]
gdalwarp (Debian gdal-bin) is optional: without it only ours is measured.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.perf_counter() - start


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    cli, writer = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix="lumora_align_", dir=sys.argv[3] if len(sys.argv) > 3 else None)
    try:
        products = os.path.join(work, "products")
        subprocess.run([writer, "--write-products", products], check=True,
                       stdout=subprocess.DEVNULL)
        landsat = os.path.join(products, "landsat")
        first = os.path.join(work, "first.inf")
        # The earlier scene: the product's grid without its first 100 rows and columns.
        subprocess.run([cli, "import", landsat, "--area", "100,100,6900,6900", "-o", first],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        plain = timed([cli, "import", landsat, "-o", os.path.join(work, "plain.inf")])
        aligned = timed([cli, "import", landsat, "--like", first, "-o",
                         os.path.join(work, "aligned.inf")])
        print("lumora-cli import             : %.2f s" % plain)
        print("lumora-cli import --like FIRST: %.2f s (the issue asks <= 5 s)" % aligned)
        if shutil.which("gdalwarp"):
            tifs = sorted(f for f in os.listdir(landsat) if f.upper().endswith(".TIF"))
            import re
            text = open(first.replace(".inf", ".inf")).read()
            start = time.perf_counter()
            for i, tif in enumerate(tifs):
                # The first scene's grid in the product's own system: 100 cells in.
                info = subprocess.run(["gdalinfo", os.path.join(landsat, tif)], check=True,
                                      capture_output=True, text=True).stdout
                ox, oy = map(float, re.search(r"Origin = \(([-\d.]+),([-\d.]+)\)", info).groups())
                px = float(re.search(r"Pixel Size = \(([-\d.]+),", info).group(1))
                subprocess.run(["gdalwarp", "-q", "-overwrite", "-r", "near", "-te",
                                str(ox + 100 * px), str(oy - 7000 * px), str(ox + 7000 * px),
                                str(oy - 100 * px), "-tr", str(px), str(px),
                                os.path.join(landsat, tif), os.path.join(work, "w%d.tif" % i)],
                               check=True)
            print("gdalwarp, band by band        : %.2f s" % (time.perf_counter() - start))
            del text
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
