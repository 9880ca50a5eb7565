// GDAL set-up shared by the importers: drivers registered once, GDAL's own
// error printing silenced while we work (we report in our own words).
#pragma once

#include <gdal_priv.h>

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

}  // namespace lumora::importer
