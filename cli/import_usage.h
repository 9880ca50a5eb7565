// The import commands' usage lines, shared by the program that runs them
// (with GDAL) and lumora-cli, which lists them and hands them over.
#pragma once

namespace lumora::cli {

inline constexpr const char* kImportUsage =
    "import INPUT... [--sensor tm|mss|aster] [--area LEFT,TOP,WIDTH,HEIGHT | --lonlat W,S,E,N] "
    "[--size WxH] [--keep-16bit] [--like FIRST.inf [--resample nearest|bilinear]] -o OUT.inf";
inline constexpr const char* kImportSummary =
    "Turns a Landsat 8/9 product (MTL file or folder), a Sentinel-2 L2A folder or GeoTIFF files "
    "into a file set; --like puts it on the grid of an earlier scene of the same place.";
inline constexpr const char* kImportDemUsage =
    "import-dem DEM.tif SCENE.inf [--replace]  (or --like SCENE.inf)";
inline constexpr const char* kImportDemSummary =
    "Puts an elevation model onto a scene's grid as SCENE.dem and SCENE.lev.";

}  // namespace lumora::cli
