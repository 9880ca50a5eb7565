#include "importer/gdal_session.h"

#include <cpl_error.h>

#include <mutex>

namespace lumora::importer {

GdalSession::GdalSession() {
  static std::once_flag once;
  std::call_once(once, [] { GDALAllRegister(); });
  CPLPushErrorHandler(CPLQuietErrorHandler);
}

GdalSession::~GdalSession() { CPLPopErrorHandler(); }

DatasetPtr OpenRaster(const std::string& path) {
  return DatasetPtr(GDALDataset::FromHandle(
      GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
}

}  // namespace lumora::importer
