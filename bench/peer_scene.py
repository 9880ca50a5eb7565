"""Shared by the numpy side-by-side benchmarks: a big scene of random 8-bit
bands written once into a work folder, and the wall time of one whole process."""
import os
import random
import subprocess
import sys
import tempfile
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


def prepare(name, write, numpy_run):
    """From the command line (lumora-cli [work-folder] [runs]): the program, the
    work folder (made), the number of runs, the scene's base path (written by
    write(folder) once) and the numpy script written beside it."""
    cli = sys.argv[1]
    folder = sys.argv[2] if len(sys.argv) > 2 else os.path.join(tempfile.gettempdir(), name)
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    os.makedirs(folder, exist_ok=True)
    base = write(folder)
    script = os.path.join(folder, "numpy_run.py")
    with open(script, "w") as f:
        f.write(numpy_run)
    return cli, folder, runs, base, script


def same_floats(ours, theirs):
    """Whether two float bands hold the same values: lumora moves a float whose
    first byte is 0xFF by one unit in the last place (that byte marks "no
    data"), so equal within one unit, NaN alike."""
    import numpy as np
    a = np.fromfile(ours, dtype="<f4")
    b = np.fromfile(theirs, dtype="<f4")
    return bool(a.shape == b.shape and np.array_equal(np.isnan(a), np.isnan(b)) and
                np.all(np.abs(np.nan_to_num(a) - np.nan_to_num(b)) <=
                       np.spacing(np.abs(np.nan_to_num(b)))))
