#!/usr/bin/env python3
"""Band maths side by side with numpy: the same float result from the same files.

Writes a 7000 x 6000 TM scene of two 8-bit bands once, then times, each as a
whole process, `lumora-cli math --expr "(B4-B3)/(B4+B3)"` and a numpy script
that reads the two band files, computes the float32 quotient (NaN where it is
undefined) and writes it as a float band, once plainly and once synced to the
disk as lumora-cli's staged file sets are (which also write the display band
and the range file). The two float bands are compared.

usage: bench/math_vs_numpy.py path/to/lumora-cli [work-folder] [runs]
numpy is needed for this comparison only (Debian: python3-numpy).
"""
import os
import sys

from peer_scene import prepare, same_floats, timed, write_scene

W, H = 7000, 6000

NUMPY_RUN = r"""
import sys
import numpy as np
base, out = sys.argv[1], sys.argv[2]
b4 = np.fromfile(base + ".b04", dtype=np.uint8).astype(np.float32)
b3 = np.fromfile(base + ".b03", dtype=np.uint8).astype(np.float32)
with np.errstate(divide="ignore", invalid="ignore"):
    r = (b4 - b3) / (b4 + b3)
r[~np.isfinite(r)] = np.nan
with open(out, "wb") as f:
    r.astype("<f4").tofile(f)
    if len(sys.argv) > 3:  # on the disk before the end, as lumora-cli writes its sets
        f.flush()
        import os
        os.fsync(f.fileno())
"""


def scene(folder):
    return write_scene(folder, W, H, (3, 4))


def main():
    cli, folder, runs, base, script = prepare("lumora_math_bench", scene, NUMPY_RUN)
    ours, theirs, durable = [], [], []
    for _ in range(runs):
        ours.append(timed([cli, "math", base + ".inf", "--expr", "(B4-B3)/(B4+B3)",
                           "-o", os.path.join(folder, "out.inf")]))
        theirs.append(timed([sys.executable, script, base, os.path.join(folder, "numpy.r01")]))
        durable.append(timed([sys.executable, script, base, os.path.join(folder, "numpy.r01"), "sync"]))
    same = same_floats(os.path.join(folder, "out.r01"), os.path.join(folder, "numpy.r01"))
    print("lumora-cli math: best %.2f s of %d" % (min(ours), runs))
    print("numpy          : best %.2f s of %d" % (min(theirs), runs))
    print("numpy + fsync  : best %.2f s of %d (the result on the disk, as lumora-cli's is)" % (min(durable), runs))
    print("same floats (within one unit in the last place, NaN alike):", same)
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
