#!/usr/bin/env python3
"""JPEG export side by side with numpy + Pillow: the same picture at the same
quality and sampling.

Writes a 7000 x 6000 TM scene of three 8-bit bands once (a smooth landscape
with fine detail and a little noise, as satellite scenes look), then times,
each as a whole process, `lumora-cli compose --rgb 3,2,1 --step 1` to JPEG at
the standard tables (ratio 1.0) and a numpy script that reads the three band
files and has Pillow (libjpeg-turbo) encode them at quality 50 (the same
tables) with 4:2:0 sampling. Both files are decoded and compared with the
bands (PSNR), so that neither side wins by writing less.

usage: bench/jpeg_vs_pillow.py path/to/lumora-cli [work-folder] [runs]
numpy and Pillow are needed for this comparison only (Debian: python3-numpy,
python3-pil).
"""
import os
import sys

import numpy as np

from peer_scene import prepare, timed

W, H = 7000, 6000

NUMPY_RUN = r"""
import sys
import numpy as np
from PIL import Image
base, out = sys.argv[1], sys.argv[2]
w, h = int(sys.argv[3]), int(sys.argv[4])
bands = [np.fromfile(base + ".b%02d" % b, dtype=np.uint8).reshape(h, w) for b in (3, 2, 1)]
Image.fromarray(np.dstack(bands), "RGB").save(out, quality=50, subsampling=2)
"""


def scene(folder):
    base = os.path.join(folder, "scene")
    if not os.path.exists(base + ".inf"):
        rng = np.random.default_rng(1)
        y, x = np.mgrid[0:H, 0:W].astype(np.float32)
        for band in (1, 2, 3):
            field = (90 + 40 * np.sin(x / (300 + 50 * band)) * np.cos(y / 410)
                     + 25 * np.sin((x + 2 * y) / (23 + band)) + rng.normal(0, 6, (H, W)))
            np.clip(field, 0, 255).astype(np.uint8).tofile(base + ".b%02d" % band)
        with open(base + ".inf", "w") as f:
            f.write("LINE = %d\nPIXEL = %d\nSENSOR = 1\n" % (H, W))
    return base


def psnr(path, truth):
    from PIL import Image
    got = np.asarray(Image.open(path).convert("RGB"), dtype=np.float64)
    mse = np.mean((got - truth) ** 2)
    return 10 * np.log10(255.0 ** 2 / mse)


def main():
    cli, folder, runs, base, script = prepare("lumora_jpeg_bench", scene, NUMPY_RUN)
    ours_jpg, theirs_jpg = os.path.join(folder, "ours.jpg"), os.path.join(folder, "pillow.jpg")
    ours, theirs = [], []
    for _ in range(runs):
        ours.append(timed([cli, "compose", base + ".inf", "--rgb", "3,2,1", "--step", "1",
                           "--quality", "1.0", "-o", ours_jpg]))
        theirs.append(timed([sys.executable, script, base, theirs_jpg, str(W), str(H)]))
    truth = np.dstack([np.fromfile(base + ".b%02d" % b, dtype=np.uint8).reshape(H, W)
                       for b in (3, 2, 1)]).astype(np.float64)
    print("lumora-cli compose: best %.2f s of %d, %d bytes, PSNR %.1f dB" %
          (min(ours), runs, os.path.getsize(ours_jpg), psnr(ours_jpg, truth)))
    print("numpy + Pillow    : best %.2f s of %d, %d bytes, PSNR %.1f dB (%.2fx lumora-cli's time)" %
          (min(theirs), runs, os.path.getsize(theirs_jpg), psnr(theirs_jpg, truth),
           min(theirs) / min(ours)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
