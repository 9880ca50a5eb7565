#!/usr/bin/env python3
"""k-means side by side with scikit-learn: the same pixels, the same start.

Writes a 7000 x 6000 TM scene of six 8-bit bands once (fields of eight land
covers, 50 x 50 pixels each, with noise that makes the groups overlap), then times, each as a whole
process, `lumora-cli classify --kmeans 8` and a script that reads the six
band files into a float32 array and runs scikit-learn's KMeans (Lloyd, one
start) from the starting centres lumora-cli used (read from its .kmc file)
for as many rounds as lumora-cli ran. The final centres are compared with the
exact means of scikit-learn's groups.

usage: bench/kmeans_vs_sklearn.py path/to/lumora-cli [work-folder] [runs]
numpy and scikit-learn are needed for this comparison only (Debian:
python3-numpy, python3-sklearn).
"""
import os
import sys

from peer_scene import prepare, timed

W, H, K = 7000, 6000, 8
BANDS = (1, 2, 3, 4, 5, 7)

SKLEARN_RUN = r"""
import sys
import numpy as np
from sklearn.cluster import KMeans
base, kmc, out = sys.argv[1], sys.argv[2], sys.argv[3]
bands = (1, 2, 3, 4, 5, 7)
x = np.empty((7000 * 6000, len(bands)), dtype=np.float32)
for i, b in enumerate(bands):
    x[:, i] = np.fromfile(base + ".b%02d" % b, dtype=np.uint8)
with open(kmc) as f:
    k, n, seed, rounds = (int(v) for v in f.readline().split())
    f.readline()
    rows = [[float(v) for v in f.readline().split()] for _ in range(k)]
start = np.array([r[1 + n:] for r in rows], dtype=np.float32)
km = KMeans(n_clusters=k, init=start, n_init=1, max_iter=rounds, tol=0.0,
            algorithm="lloyd").fit(x)
np.save(out, km.labels_.astype(np.uint8))
"""


def scene(folder):
    base = os.path.join(folder, "scene")
    if os.path.exists(base + ".inf"):
        return base
    import numpy as np
    rng = np.random.default_rng(1)
    covers = rng.integers(60, 160, size=(K, len(BANDS)))
    fields = rng.integers(0, K, size=(H // 50 + 1, W // 50 + 1))
    label = np.repeat(np.repeat(fields, 50, axis=0), 50, axis=1)[:H, :W]
    for i, band in enumerate(BANDS):
        noise = rng.normal(0.0, 20.0, size=(H, W))
        values = np.clip(covers[label, i] + noise, 0, 255).astype(np.uint8)
        values.tofile(base + ".b%02d" % band)
    with open(base + ".inf", "w") as f:
        f.write("LINE = %d\nPIXEL = %d\nSENSOR = 1\n" % (H, W))
    return base


def main():
    cli, folder, runs, base, script = prepare("lumora_kmeans_bench", scene, SKLEARN_RUN)
    out = os.path.join(folder, "groups.inf")
    ours, theirs = [], []
    for _ in range(runs):
        ours.append(timed([cli, "classify", base + ".inf", "--kmeans", str(K), "-o", out]))
        theirs.append(timed([sys.executable, script, base, os.path.join(folder, "groups.kmc"),
                             os.path.join(folder, "sklearn.npy")]))
    import numpy as np
    with open(os.path.join(folder, "groups.kmc")) as f:
        k, n, _, rounds = (int(v) for v in f.readline().split())
        f.readline()
        mine = np.array([[float(v) for v in f.readline().split()[1:1 + n]] for _ in range(k)])
    # scikit-learn sums each group in single precision; its groups' exact
    # means (in double precision, after the timing) are what is compared.
    labels = np.load(os.path.join(folder, "sklearn.npy"))
    counts = np.bincount(labels, minlength=k).astype(np.float64)
    theirs_centres = np.stack(
        [np.bincount(labels, weights=np.fromfile(base + ".b%02d" % b, dtype=np.uint8), minlength=k)
         for b in BANDS], axis=1) / counts[:, None]
    # The same groups, maybe in another order: each of ours next to its nearest.
    gap = max(np.min(np.abs(theirs_centres - c).max(axis=1)) for c in mine)
    print("lumora-cli classify --kmeans %d: best %.2f s of %d (%d rounds)" % (K, min(ours), runs, rounds))
    print("scikit-learn KMeans (lloyd)  : best %.2f s of %d" % (min(theirs), runs))
    print("largest difference of a centre: %.4f (0.1 or less: the same groups; pixels on a"
          " border may fall either way with single-precision distances)" % gap)
    return 0 if gap <= 0.1 else 1


if __name__ == "__main__":
    sys.exit(main())
