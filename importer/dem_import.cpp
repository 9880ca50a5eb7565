#include "importer/dem_import.h"

#include <gdalwarper.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <new>
#include <vector>

#include "core/imagefile/band_io.h"
#include "core/imagefile/settings_file.h"
#include "core/imagefile/staged_file_set.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "importer/gdal_session.h"
#include "importer/georeference.h"
#include "importer/scene_import.h"

namespace lumora::importer {

namespace fs = std::filesystem;

namespace {

// Marks cells of the scene that the model does not reach.
constexpr double kOutside = -1.0e30;

int CPL_STDCALL OnWarp(double done, const char*, void* data) {
  if (auto* p = static_cast<Progress*>(data)) p->SetProgress(static_cast<float>(0.9 * done));
  return TRUE;
}

// Whether the model's raster reaches any of a lattice of the grid's points.
bool Reaches(void* transformer, GDALDataset* dem, const Grid& grid) {
  constexpr int kSteps = 16;
  for (int j = 0; j <= kSteps; ++j) {
    std::array<double, kSteps + 1> x{}, y{}, z{};
    std::array<int, kSteps + 1> ok{};
    for (int i = 0; i <= kSteps; ++i) {
      x[i] = grid.width * static_cast<double>(i) / kSteps;
      y[i] = grid.height * static_cast<double>(j) / kSteps;
    }
    GDALGenImgProjTransform(transformer, TRUE, kSteps + 1, x.data(), y.data(), z.data(), ok.data());
    for (int i = 0; i <= kSteps; ++i)
      if (ok[i] && x[i] >= 0 && x[i] <= dem->GetRasterXSize() && y[i] >= 0 &&
          y[i] <= dem->GetRasterYSize())
        return true;
  }
  return false;
}

// The model resampled (bilinear) onto the grid; cells it does not cover
// hold kOutside. reaches tells whether the model lies over the grid at all,
// for telling a model elsewhere from one without values there.
bool Warp(GDALDataset* dem, const Grid& grid, std::vector<float>& out, bool& reaches,
          Progress* progress) {
  GDALDriver* mem = GetGDALDriverManager()->GetDriverByName("MEM");
  if (!mem) return false;
  DatasetPtr target(mem->Create("", grid.width, grid.height, 1, GDT_Float32, nullptr));
  if (!target) return false;
  target->SetGeoTransform(const_cast<double*>(grid.transform));
  target->SetProjection(grid.wkt.c_str());
  target->GetRasterBand(1)->SetNoDataValue(kOutside);

  int has = 0;
  const double noData = dem->GetRasterBand(1)->GetNoDataValue(&has);
  GDALWarpOptions* wo =
      OneBandWarp(dem, 1, target.get(), GRA_Bilinear, has ? &noData : nullptr, kOutside);
  wo->eWorkingDataType = GDT_Float64;
  wo->pfnProgress = OnWarp;
  wo->pProgressArg = progress;
  wo->pTransformerArg = GDALCreateGenImgProjTransformer2(dem, target.get(), nullptr);
  bool ok = wo->pTransformerArg != nullptr;
  if (ok) {
    reaches = Reaches(wo->pTransformerArg, dem, grid);
    wo->pfnTransformer = GDALGenImgProjTransform;
    GDALWarpOperation operation;
    ok = operation.Initialize(wo) == CE_None &&
         operation.ChunkAndWarpImage(0, 0, grid.width, grid.height) == CE_None;
    GDALDestroyGenImgProjTransformer(wo->pTransformerArg);
  }
  GDALDestroyWarpOptions(wo);
  ok = ok && target->GetRasterBand(1)->RasterIO(GF_Read, 0, 0, grid.width, grid.height, out.data(),
                                                grid.width, grid.height, GDT_Float32, 0, 0,
                                                nullptr) == CE_None;
  return ok;
}

// An altitude on Earth: not the mark of cells outside the model, not NaN or
// infinity (which a model may not declare as no-data), not a height of a
// hundred kilometres and more.
bool IsAltitude(float a) { return std::abs(a) < 100000.0f; }
bool IsLand(float a) { return IsAltitude(a) && a > 0.0f; }

bool Run(const std::string& demPath, const std::string& sceneInf, bool replace,
         Messenger& messenger, Progress* progress, ImportError& error) {
  ImageSettings settings;
  if (!ReadSettings(sceneInf, settings, messenger) || !CheckImageSize(settings, messenger)) {
    error = {-1, ""};
    return false;
  }
  Grid grid;
  if (!SceneGrid(sceneInf, settings, grid)) {
    error = {kMsgImportSceneNoGeoref, sceneInf};
    return false;
  }
  const std::string base = StripExtension(sceneInf);
  std::error_code ec;
  for (const char* suffix : {".dem", ".lev"}) {
    const fs::path existing = ResolveNoCase(base + suffix);
    if (!replace && fs::exists(existing, ec)) {
      error = {kMsgImportDemExists, existing.string()};
      return false;
    }
  }
  DatasetPtr dem = OpenRaster(demPath, RasterKind::kElevation);
  if (!dem || dem->GetRasterCount() < 1) {
    error = {kMsgImportCannotOpen, demPath};
    return false;
  }
  double t[6];
  const OGRSpatialReference* srs = dem->GetSpatialRef();
  if (!srs || srs->IsEmpty() || dem->GetGeoTransform(t) != CE_None) {
    error = {kMsgImportNoGeoref, demPath};
    return false;
  }
  const size_t count = static_cast<size_t>(grid.width) * static_cast<size_t>(grid.height);
  // The altitudes, the warp's own copy of them and the codes.
  if (!FitsInMemory(uint64_t{count} * 9)) {
    error = {kMsgNoMemory, ""};
    return false;
  }
  std::vector<float> altitude(count);
  if (progress) progress->Create(0, "標高データを取り込み中");
  bool reaches = false;
  if (!Warp(dem.get(), grid, altitude, reaches, progress)) {
    error = {kMsgImportReadFailed, demPath};
    return false;
  }
  bool reached = false;
  float lowest = 0.0f, highest = 0.0f;
  bool anyLand = false;
  for (float a : altitude) {
    if (!IsAltitude(a)) continue;
    reached = true;
    if (!IsLand(a)) continue;
    lowest = anyLand ? std::min(lowest, a) : a;
    highest = anyLand ? std::max(highest, a) : a;
    anyLand = true;
  }
  if (!reached) {
    error = {reaches ? kMsgImportDemNoValues : kMsgImportDemOutside, demPath};
    return false;
  }
  // A range file cannot describe land that is not there.
  if (!anyLand) {
    error = {kMsgImportDemAllSea, demPath};
    return false;
  }
  // Whole metres as the range file holds them; a flat land still spans one
  // metre so that codes stay defined.
  const int minAltitude = anyLand ? static_cast<int>(std::floor(lowest)) : 0;
  int maxAltitude = anyLand ? static_cast<int>(std::ceil(highest)) : 254;
  if (maxAltitude <= minAltitude) maxAltitude = minAltitude + 1;
  std::vector<uint8_t> codes(count);
  int minCode = 255, maxCode = 0;
  for (size_t i = 0; i < count; ++i) {
    const int c = IsLand(altitude[i]) ? ElevationCode(altitude[i], minAltitude, maxAltitude) : 0;
    codes[i] = static_cast<uint8_t>(c);
    if (c != 0) minCode = std::min(minCode, c);
    maxCode = std::max(maxCode, c);
  }
  // A scene that is all sea still gets a range the elevation display accepts.
  if (maxCode == 0) minCode = maxCode = 1;

  fs::path folder = fs::path(base).parent_path();
  if (folder.empty()) folder = ".";
  StagedFileSet staged;
  if (!staged.Begin(base, messenger)) {
    error = {kMsgImportNotWritable, folder.string()};
    return false;
  }
  BandWriter writer;
  if (writer.Create(staged.StageBase() + ".dem")) writer.Write(codes.data(), count);
  if (!writer.Close(messenger)) {
    error = {-1, ""};  // reported by the writer
    return false;
  }
  if (!WriteFileAtomically(
          staged.StageBase() + ".lev",
          Format("MIN_VAL = %d\nMIN_ALTITUDE = %d\nMAX_VAL = %d\nMAX_ALTITUDE = %d\n", minCode,
                 minAltitude, maxCode, maxAltitude))) {
    error = {kMsgCreateFailed, ""};
    return false;
  }
  if (progress) progress->Close();
  // Only the pair is replaced (under any spelling, .DEM too), both or
  // neither; the scene's other files stay.
  if (!staged.Commit(messenger, kMsgCopyFailed, {"dem", "lev"})) {
    error = {-1, ""};  // reported by the commit
    return false;
  }
  return true;
}

}  // namespace

int ElevationCode(double altitude, int minAltitude, int maxAltitude) {
  if (!(altitude > 0.0)) return 0;
  const double span = static_cast<double>(maxAltitude) - minAltitude;
  const double c = 1.0 + std::trunc((altitude - minAltitude) * 254.0 / span + 0.5);
  return static_cast<int>(std::clamp(c, 1.0, 255.0));
}

bool ImportDem(const std::string& demPath, const std::string& sceneInf, bool replace,
               Messenger& messenger, Progress* progress) {
  GdalSession session;
  ImportError error;
  bool ok = false;
  try {
    ok = Run(demPath, sceneInf, replace, messenger, progress, error);
  } catch (const std::bad_alloc&) {
    error = {kMsgNoMemory, ""};
  }
  if (progress) progress->Close();
  if (!ok) ReportImportError(messenger, error);
  return ok;
}

}  // namespace lumora::importer
