#!/usr/bin/env python3
"""Grey relief shading side by side with `gdaldem hillshade`.

Writes a 7000 x 6000 scene once: one 8-bit band, its elevation codes (.dem,
rolling hills with a coast, 1 code = 10 m) with their range file (.lev) and a
raw-raster description of the same codes for GDAL. Then times, each as a whole
process, `lumora-cli dem --kind shade` (which also copies the .dem and .lev
into the result, as every result carries them) and `gdaldem hillshade` of the
same codes at the same ground scale (30 m), lit from the same direction,
written as an uncompressed GeoTIFF.

usage: bench/shading_vs_gdaldem.py path/to/lumora-cli [work-folder] [runs]
numpy (for writing the scene) and gdaldem are needed for this comparison only
(Debian: python3-numpy, gdal-bin).
"""
import os
import sys

import numpy as np

from peer_scene import prepare, timed

W, H = 7000, 6000

VRT = """<VRTDataset rasterXSize="%d" rasterYSize="%d">
  <GeoTransform>0, 30, 0, 0, 0, -30</GeoTransform>
  <VRTRasterBand dataType="Byte" band="1" subClass="VRTRawRasterBand">
    <SourceFilename relativeToVRT="1">scene.dem</SourceFilename>
    <ImageOffset>0</ImageOffset><PixelOffset>1</PixelOffset><LineOffset>%d</LineOffset>
  </VRTRasterBand>
</VRTDataset>
"""


def scene(folder):
    base = os.path.join(folder, "scene")
    if not os.path.exists(base + ".inf"):
        y, x = np.mgrid[0:H, 0:W].astype(np.float32)
        h = (110 + 60 * np.sin(x * 0.004) + 20 * np.sin(x * 0.05) + 60 * np.cos(y * 0.003)
             + 20 * np.cos(y * 0.07) - np.where(x + y < 3000, 200, 0))
        codes = np.clip(h, 0, 255).astype(np.uint8)
        codes.tofile(base + ".dem")
        codes.tofile(base + ".b01")
        with open(base + ".lev", "w") as f:
            f.write("MIN_VAL = 1\nMIN_ALTITUDE = 0\nMAX_VAL = 255\nMAX_ALTITUDE = 2540\n")
        with open(base + ".vrt", "w") as f:
            f.write(VRT % (W, H, W))
        with open(base + ".inf", "w") as f:
            f.write("LINE = %d\nPIXEL = %d\nSENSOR = 1\nLengthPerPixel = 0.03\n" % (H, W))
    return base


def main():
    cli, folder, runs, base, _ = prepare("lumora_shading_bench", scene, "")
    ours, theirs = [], []
    for _ in range(runs):
        ours.append(timed([cli, "dem", base + ".inf", "--kind", "shade", "--light-azimuth", "45",
                           "--light-elevation", "45", "-o", os.path.join(folder, "out.inf")]))
        theirs.append(timed(["gdaldem", "hillshade", "-q", "-z", "10", "-az", "45", "-alt", "45",
                             base + ".vrt", os.path.join(folder, "gdaldem.tif")]))
    print("lumora-cli dem --kind shade: best %.3f s of %d" % (min(ours), runs))
    print("gdaldem hillshade          : best %.3f s of %d (%.2fx lumora-cli's time)" %
          (min(theirs), runs, min(theirs) / min(ours)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
