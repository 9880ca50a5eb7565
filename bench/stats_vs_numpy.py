#!/usr/bin/env python3
"""Region statistics side by side with numpy: the same numbers from the same files.

Writes a 7000 x 6000 scene of seven 8-bit bands once, then times, each as a
whole process, `lumora-cli stats --area 0,0,7000,6000 -o OUT.csv` and a numpy
script that reads the seven band files and writes each band's count, minimum,
maximum, mean and standard deviation as CSV. The numbers are compared.

usage: bench/stats_vs_numpy.py path/to/lumora-cli [work-folder] [runs]
numpy is needed for this comparison only (Debian: python3-numpy).
"""
import csv
import os
import sys

from peer_scene import prepare, timed, write_scene

W, H, BANDS = 7000, 6000, 7

NUMPY_RUN = r"""
import sys
import numpy as np
base, out = sys.argv[1], sys.argv[2]
rows = ["band,pixels,min,max,mean,stddev"]
for b in range(1, 8):
    v = np.fromfile(base + ".b%02d" % b, dtype=np.uint8)
    rows.append("%d,%d,%d,%d,%.6f,%.6f" % (b, v.size, v.min(), v.max(), v.mean(), v.std()))
with open(out, "w") as f:
    f.write("\n".join(rows) + "\n")
"""


def scene(folder):
    return write_scene(folder, W, H, range(1, BANDS + 1), "LengthPerPixel = 0.03\n")


def numbers(path):
    with open(path, newline="", encoding="utf-8") as f:
        return {row["band"]: [float(row[k]) for k in ("pixels", "min", "max", "mean", "stddev")]
                for row in csv.DictReader(f)}


def main():
    cli, folder, runs, base, script = prepare("lumora_stats_bench", scene, NUMPY_RUN)
    ours_csv, theirs_csv = os.path.join(folder, "ours.csv"), os.path.join(folder, "numpy.csv")
    ours, theirs = [], []
    for _ in range(runs):
        ours.append(timed([cli, "stats", base + ".inf", "--area", "0,0,%d,%d" % (W, H), "-o", ours_csv]))
        theirs.append(timed([sys.executable, script, base, theirs_csv]))
    a, b = numbers(ours_csv), numbers(theirs_csv)
    same = a.keys() == b.keys() and all(
        abs(x - y) <= 1e-6 * max(1.0, abs(y)) for k in a for x, y in zip(a[k], b[k]))
    print("lumora-cli stats: best %.2f s of %d" % (min(ours), runs))
    print("numpy           : best %.2f s of %d (%.1fx lumora-cli's time)" % (min(theirs), runs, min(theirs) / min(ours)))
    print("same numbers:", same)
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
