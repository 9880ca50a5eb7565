"""Shared by the numpy side-by-side benchmarks: a big scene of random 8-bit
bands written once into a work folder, and the wall time of one whole process."""
import os
import random
import subprocess
import time


def write_scene(folder, width, height, bands, extra=""):
    """The scene's base path; its bands and settings file are written on the first call."""
    base = os.path.join(folder, "scene")
    if not os.path.exists(base + ".inf"):
        rng = random.Random(1)
        for band in bands:
            with open(base + ".b%02d" % band, "wb") as f:
                for _ in range(height):
                    f.write(rng.randbytes(width))
        with open(base + ".inf", "w") as f:
            f.write("LINE = %d\nPIXEL = %d\nSENSOR = 1\n%s" % (height, width, extra))
    return base


def timed(cmd):
    """Seconds one whole process takes."""
    start = time.perf_counter()
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
    return time.perf_counter() - start
