#include "importer/gdal_session.h"

#include <cpl_error.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>

namespace lumora::importer {

GdalSession::GdalSession() {
  static std::once_flag once;
  std::call_once(once, [] { GDALAllRegister(); });
  CPLPushErrorHandler(CPLQuietErrorHandler);
}

GdalSession::~GdalSession() { CPLPopErrorHandler(); }

DatasetPtr OpenRaster(const std::string& path, RasterKind kind) {
  static const char* const kScene[] = {"GTiff", "JP2OpenJPEG", nullptr};
  static const char* const kElevation[] = {"GTiff", "SRTMHGT", "DTED", "AAIGrid", nullptr};
  std::error_code ec;
  if (path.rfind("/vsi", 0) == 0 || !std::filesystem::is_regular_file(path, ec)) return nullptr;
  return DatasetPtr(GDALDataset::FromHandle(
      GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY,
                 kind == RasterKind::kScene ? kScene : kElevation, nullptr, nullptr)));
}

bool FitsInMemory(uint64_t bytes) {
  const long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || size <= 0) return true;
  return bytes <= static_cast<uint64_t>(pages) * static_cast<uint64_t>(size) / 2;
}

GDALWarpOptions* OneBandWarp(GDALDataset* src, int srcBand, GDALDataset* dst,
                             GDALResampleAlg resampling, const double* srcNoData,
                             double dstNoData) {
  GDALWarpOptions* wo = GDALCreateWarpOptions();
  wo->hSrcDS = src;
  wo->hDstDS = dst;
  wo->nBandCount = 1;
  wo->panSrcBands = static_cast<int*>(CPLMalloc(sizeof(int)));
  wo->panSrcBands[0] = srcBand;
  wo->panDstBands = static_cast<int*>(CPLMalloc(sizeof(int)));
  wo->panDstBands[0] = 1;
  wo->eResampleAlg = resampling;
  if (srcNoData) {
    wo->padfSrcNoDataReal = static_cast<double*>(CPLMalloc(sizeof(double)));
    wo->padfSrcNoDataReal[0] = *srcNoData;
  }
  wo->padfDstNoDataReal = static_cast<double*>(CPLMalloc(sizeof(double)));
  wo->padfDstNoDataReal[0] = dstNoData;
  wo->papszWarpOptions = CSLSetNameValue(wo->papszWarpOptions, "INIT_DEST", "NO_DATA");
  return wo;
}

}  // namespace lumora::importer
