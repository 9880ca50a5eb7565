// GDAL set-up shared by the importers: drivers registered once, GDAL's own
// error printing silenced while we work (we report in our own words).
#pragma once

#include <gdal_priv.h>
#include <gdalwarper.h>

#include <cstdint>
#include <memory>
#include <string>

namespace lumora::importer {

class GdalSession {
 public:
  GdalSession();
  ~GdalSession();
  GdalSession(const GdalSession&) = delete;
  GdalSession& operator=(const GdalSession&) = delete;
};

struct DatasetCloser {
  void operator()(GDALDataset* ds) const { GDALClose(ds); }
};
using DatasetPtr = std::unique_ptr<GDALDataset, DatasetCloser>;

// What a raster is opened as: only the drivers of those formats are tried,
// none of the formats that name other files (a VRT could read any file).
enum class RasterKind {
  kScene,      // GeoTIFF, JPEG 2000
  kElevation,  // GeoTIFF, SRTM HGT, DTED, ASCII grid
};

// Opens a regular file as a raster, read-only; null when it is no regular
// file (a GDAL virtual path such as /vsicurl/ included) or GDAL cannot open
// it with the drivers of its kind.
DatasetPtr OpenRaster(const std::string& path, RasterKind kind);

// Warp options for one band of src onto band 1 of dst: cells without a value
// in src (when it has one) and cells src does not cover take dstNoData.
// The caller sets the transformer and destroys the options.
GDALWarpOptions* OneBandWarp(GDALDataset* src, int srcBand, GDALDataset* dst,
                             GDALResampleAlg resampling, const double* srcNoData, double dstNoData);

// Whether buffers of this many bytes fit in half the physical memory (true
// when that is unknown): more would push a school computer into swapping.
bool FitsInMemory(uint64_t bytes);

}  // namespace lumora::importer
