// GDAL set-up shared by the importers: drivers registered once, GDAL's own
// error printing silenced while we work (we report in our own words).
#pragma once

#include <gdal_priv.h>

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

// Opens a raster read-only; null when GDAL cannot.
DatasetPtr OpenRaster(const std::string& path);

// Whether buffers of this many bytes fit in half the physical memory (true
// when that is unknown): more would push a school computer into swapping.
bool FitsInMemory(uint64_t bytes);

}  // namespace lumora::importer
