#include "importer/gdal_session.h"

#include <cpl_error.h>
#include <unistd.h>

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

bool FitsInMemory(uint64_t bytes) {
  const long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || size <= 0) return true;
  return bytes <= static_cast<uint64_t>(pages) * static_cast<uint64_t>(size) / 2;
}

}  // namespace lumora::importer
