#!/usr/bin/env python3
"""The import side by side with gdal_translate: peak memory and time, each as a
whole process.

Writes two products with `bench_import --write-products`: a 7000 x 7000
Landsat-like one (seven 16-bit bands and its MTL file) and a 10980 x 10980
Sentinel-2-like one (ten GeoTIFF files, four at 10 m and six at 20 m). Each is
imported by `lumora-cli import` into 8-bit bands (stretched) and into 16-bit
bands (--keep-16bit), and converted band by band by gdal_translate the same
way: `-scale LOW HIGH 1 255 -ot Byte` with the stretch points the import
found, or a plain 16-bit copy, the 20 m bands onto the 10 m grid (nearest).
The peer's time is the sum over its runs, its peak the largest of them.
Peaks are the maximum resident set size from /usr/bin/time.

usage: bench/import_vs_gdal.py path/to/lumora-cli path/to/bench_import [work-folder]
gdal_translate (Debian gdal-bin) is needed for this comparison only. The
products take 2 GB and the outputs as much again; all are deleted at the end.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

NEEDED_BYTES = 5 << 30


def measured(command):
    """Runs a command under /usr/bin/time; returns (seconds, peak MB)."""
    result = subprocess.run(
        ["/usr/bin/time", "-f", "%e %M"] + command,
        stdout=subprocess.DEVNULL,
        stderr=subprocess.PIPE,
        text=True,
        check=False,
    )
    last = result.stderr.strip().splitlines()[-1]
    if result.returncode != 0:
        sys.exit("failed: %s\n%s" % (" ".join(command), result.stderr))
    seconds, kilobytes = last.split()
    return float(seconds), int(kilobytes) / 1024.0


def bands_of(base):
    """(source file name, low, high) of each band file the import wrote."""
    bands = []
    n = 1
    while n < 100:
        path = "%s.d%02d" % (base, n)
        n += 1
        if not os.path.exists(path):
            continue
        text = open(path, encoding="latin-1").read()
        source = re.search(r"SOURCE = (.+) \(\d+\)", text).group(1)
        low = re.search(r"STRETCH_LOW = (\S+)", text)
        high = re.search(r"STRETCH_HIGH = (\S+)", text)
        bands.append((source, low and low.group(1), high and high.group(1)))
    return bands


def compare(cli, name, inputs, folder, side, work):
    rows = []
    for keep16 in (False, True):
        out = os.path.join(work, "out", "scene")
        shutil.rmtree(os.path.dirname(out), ignore_errors=True)
        command = [cli, "import"] + inputs + ["-o", out + ".inf"]
        if keep16:
            command.append("--keep-16bit")
        ours = measured(command)
        peer_seconds, peer_peak = 0.0, 0.0
        stretched = bands_of(out) if not keep16 else None
        sources = bands_of(out) if keep16 else stretched
        for i, (source, low, high) in enumerate(sources):
            target = os.path.join(work, "out", "peer%02d.tif" % i)
            command = ["gdal_translate", "-q", "-outsize", str(side), str(side), "-r", "nearest"]
            if keep16:
                command += ["-ot", "UInt16"]
            else:
                command += ["-ot", "Byte", "-scale", low, high, "1", "255"]
            seconds, peak = measured(command + [os.path.join(folder, source), target])
            peer_seconds += seconds
            peer_peak = max(peer_peak, peak)
        rows.append((name, "16-bit" if keep16 else "8-bit", ours, (peer_seconds, peer_peak)))
    shutil.rmtree(os.path.join(work, "out"), ignore_errors=True)
    return rows


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    cli, writer = sys.argv[1], sys.argv[2]
    base = sys.argv[3] if len(sys.argv) > 3 else tempfile.gettempdir()
    if shutil.disk_usage(base).free < NEEDED_BYTES:
        sys.exit("%s has less than %d GB free" % (base, NEEDED_BYTES >> 30))
    if not shutil.which("gdal_translate"):
        sys.exit("gdal_translate is missing (Debian: gdal-bin)")
    work = tempfile.mkdtemp(prefix="lumora-import-vs-gdal-", dir=base)
    try:
        products = os.path.join(work, "products")
        subprocess.run([writer, "--write-products", products], check=True)
        landsat = os.path.join(products, "landsat")
        mtl = [os.path.join(landsat, f) for f in os.listdir(landsat) if f.endswith("_MTL.txt")]
        s2 = os.path.join(products, "s2")
        tiffs = [os.path.join(s2, b + ".tif")
                 for b in ("B02", "B03", "B04", "B08", "B05", "B06", "B07", "B8A", "B11", "B12")]
        rows = compare(cli, "7000 x 7000 x 7", mtl, landsat, 7000, work)
        rows += compare(cli, "10980 x 10980 x 10", tiffs, s2, 10980, work)
        print("%-20s %-7s %18s %18s" % ("product", "bands", "lumora-cli", "gdal_translate"))
        for name, kind, ours, peer in rows:
            print("%-20s %-7s %7.2f s %6.0f MB %7.2f s %6.0f MB"
                  % (name, kind, ours[0], ours[1], peer[0], peer[1]))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
