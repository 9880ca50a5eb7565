#include "importer/scene_import.h"

#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <map>
#include <new>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/band_io.h"
#include "core/imagefile/settings_file.h"
#include "core/imagefile/staged_file_set.h"
#include "core/support/checked_math.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "importer/gdal_session.h"
#include "importer/georeference.h"
#include "importer/stretch.h"

namespace lumora::importer {

namespace fs = std::filesystem;

namespace {

// One source band, placed on the reference grid: a reference pixel
// coordinate r maps to band pixel offset + scale * r.
struct Layer {
  SourceBand source;
  GDALRasterBand* band = nullptr;
  int width = 0, height = 0;
  double offsetX = 0, offsetY = 0, scaleX = 1, scaleY = 1;
  bool hasNoData = false;
  double noData = 0.0;
};

struct OpenProduct {
  Product product;
  std::map<std::string, DatasetPtr> datasets;
  std::vector<Layer> layers;
  OGRSpatialReference srs;
  double reference[6] = {0, 1, 0, 0, 0, -1};
  // The reference pixels every band covers: [left, right) x [top, bottom).
  int left = 0, top = 0, right = 0, bottom = 0;
  bool cut = false;  // some band covers more than that
};

std::string FileName(const std::string& path) { return fs::path(path).filename().string(); }

// GeoTIFF inputs become one layer per band, numbered in file order.
bool ExpandGeoTiff(OpenProduct& open, ImportError& error) {
  std::vector<SourceBand> bands;
  for (const auto& file : open.product.bands) {
    GDALDataset* ds = open.datasets[file.path].get();
    for (int b = 1; b <= ds->GetRasterCount(); ++b) {
      SourceBand band = file;
      band.sourceBand = b;
      band.number = static_cast<int>(bands.size()) + 1;
      band.label = FileName(file.path) + Format(" (%d)", b);
      const char* text = ds->GetRasterBand(b)->GetDescription();
      band.description = FileName(file.path) + Format(" バンド%d", b);
      if (text && *text) band.description += std::string(" ") + text;
      bands.push_back(std::move(band));
    }
  }
  if (bands.empty() || bands.size() > 255) {
    error = {kMsgImportNoProduct, Format("%zu bands", bands.size())};
    return false;
  }
  open.product.bands = std::move(bands);
  return true;
}

bool Open(const std::vector<std::string>& inputs, OpenProduct& open, ImportError& error) {
  if (!FindProduct(inputs, open.product, error)) return false;
  for (const auto& band : open.product.bands) {
    if (open.datasets.count(band.path)) continue;
    DatasetPtr ds = OpenRaster(band.path, RasterKind::kScene);
    if (!ds || ds->GetRasterCount() < 1) {
      error = {kMsgImportCannotOpen, band.path};
      return false;
    }
    open.datasets[band.path] = std::move(ds);
  }
  if (open.product.kind == ProductKind::kGeoTiff && !ExpandGeoTiff(open, error)) return false;

  std::string firstPath;
  double finest = std::numeric_limits<double>::infinity();
  std::vector<std::array<double, 6>> transforms;
  for (const auto& source : open.product.bands) {
    GDALDataset* ds = open.datasets[source.path].get();
    const OGRSpatialReference* srs = ds->GetSpatialRef();
    std::array<double, 6> t{};
    if (!srs || srs->IsEmpty() || ds->GetGeoTransform(t.data()) != CE_None) {
      error = {kMsgImportNoGeoref, source.path};
      return false;
    }
    if (srs->IsGeographic()) {
      error = {kMsgImportGeographic, source.path};
      return false;
    }
    if (!srs->IsProjected()) {
      error = {kMsgImportNoGeoref, source.path};
      return false;
    }
    if (firstPath.empty()) {
      open.srs = *srs;
      firstPath = source.path;
    } else if (!open.srs.IsSame(srs)) {
      error = {kMsgImportGridMismatch, FileName(firstPath) + " / " + FileName(source.path)};
      return false;
    }
    // A grid whose numbers overflow (a cell of 1e200 m) places nothing.
    if (!std::all_of(t.begin(), t.end(), [](double v) { return std::isfinite(v); }) ||
        !std::isfinite(t[1] * t[5])) {
      error = {kMsgImportNoGeoref, source.path};
      return false;
    }
    // Turned grids would need resampling of every band; downloads are north-up.
    if (t[2] != 0.0 || t[4] != 0.0 || !(t[1] > 0.0) || !(t[5] < 0.0)) {
      error = {kMsgImportNotNorthUp, source.path};
      return false;
    }
    if (t[1] * -t[5] < finest) {
      finest = t[1] * -t[5];
      std::copy(t.begin(), t.end(), open.reference);
    }
    transforms.push_back(t);
    Layer layer;
    layer.source = source;
    layer.band = ds->GetRasterBand(source.sourceBand);
    layer.width = ds->GetRasterXSize();
    layer.height = ds->GetRasterYSize();
    int has = 0;
    layer.noData = layer.band->GetNoDataValue(&has);
    layer.hasNoData = has != 0;
    if (source.zeroIsNoData && !layer.hasNoData) {
      layer.hasNoData = true;
      layer.noData = 0.0;
    }
    open.layers.push_back(std::move(layer));
  }
  const double* r = open.reference;
  double left = -1e300, right = 1e300, top = -1e300, bottom = 1e300;
  double widest = 0.0, tallest = 0.0;
  for (size_t i = 0; i < open.layers.size(); ++i) {
    Layer& l = open.layers[i];
    const auto& t = transforms[i];
    l.scaleX = r[1] / t[1];
    l.scaleY = r[5] / t[5];
    l.offsetX = (r[0] - t[0]) / t[1];
    l.offsetY = (r[3] - t[3]) / t[5];
    left = std::max(left, -l.offsetX / l.scaleX);
    right = std::min(right, (l.width - l.offsetX) / l.scaleX);
    top = std::max(top, -l.offsetY / l.scaleY);
    bottom = std::min(bottom, (l.height - l.offsetY) / l.scaleY);
    widest = std::max(widest, l.width / l.scaleX);
    tallest = std::max(tallest, l.height / l.scaleY);
  }
  // Reference cells that every band covers whole (a hair of slack for the
  // rounding of the grids' origins). Bands far apart give bounds past any
  // int (or none, NaN), kept to a range where they still tell that nothing
  // overlaps.
  const double kSlack = 1e-6;
  auto cell = [](double v) {
    return v >= -1.0 && v <= 2e9 ? static_cast<int>(v) : v > 2e9 ? 2000000000 : -1;
  };
  open.left = cell(std::ceil(left - kSlack));
  open.top = cell(std::ceil(top - kSlack));
  open.right = cell(std::floor(right + kSlack));
  open.bottom = cell(std::floor(bottom + kSlack));
  // A band reaching a whole cell beyond the others loses it to the overlap.
  open.cut = widest - (open.right - open.left) >= 1.0 - kSlack ||
             tallest - (open.bottom - open.top) >= 1.0 - kSlack;
  if (open.right - open.left < 1 || open.bottom - open.top < 1) {
    error = {kMsgImportGridMismatch, FileName(firstPath)};
    return false;
  }
  return true;
}

// The reference cells an area in longitude and latitude covers, within the
// product; false when it covers none.
bool LonLatArea(const OpenProduct& open, const ImportOptions& o, int& left, int& top, int& width,
                int& height) {
  OGRSpatialReference wgs;
  wgs.SetWellKnownGeogCS("WGS84");
  wgs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  OGRSpatialReference target(open.srs);
  target.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  std::unique_ptr<OGRCoordinateTransformation> ct(OGRCreateCoordinateTransformation(&wgs, &target));
  std::unique_ptr<OGRCoordinateTransformation> back(
      OGRCreateCoordinateTransformation(&target, &wgs));
  if (!ct || !back) return false;
  // The box's edges bend in the projection: follow them in small steps.
  constexpr int kSteps = 32;
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  auto take = [&](double px, double py) {
    minX = std::min(minX, px);
    maxX = std::max(maxX, px);
    minY = std::min(minY, py);
    maxY = std::max(maxY, py);
  };
  // The image's own edges where they lie in the box: a box around the whole
  // image has edges that no projection of the image's zone can carry.
  for (int i = 0; i <= kSteps; ++i) {
    const double f = static_cast<double>(i) / kSteps;
    const double across = open.left + (open.right - open.left) * f;
    const double down = open.top + (open.bottom - open.top) * f;
    double px[4] = {across, across, static_cast<double>(open.left),
                    static_cast<double>(open.right)};
    double py[4] = {static_cast<double>(open.top), static_cast<double>(open.bottom), down, down};
    double xs[4], ys[4];
    for (int k = 0; k < 4; ++k) {
      xs[k] = open.reference[0] + px[k] * open.reference[1];
      ys[k] = open.reference[3] + py[k] * open.reference[5];
    }
    int ok[4] = {0, 0, 0, 0};
    back->Transform(4, xs, ys, nullptr, ok);  // false when any one fails
    for (int k = 0; k < 4; ++k)
      if (ok[k] && xs[k] >= o.west && xs[k] <= o.east && ys[k] >= o.south && ys[k] <= o.north)
        take(px[k], py[k]);
  }
  for (int i = 0; i <= kSteps; ++i) {
    const double f = static_cast<double>(i) / kSteps;
    const double lon = o.west + (o.east - o.west) * f, lat = o.south + (o.north - o.south) * f;
    double xs[4] = {lon, lon, o.west, o.east}, ys[4] = {o.south, o.north, lat, lat};
    int ok[4] = {0, 0, 0, 0};
    ct->Transform(4, xs, ys, nullptr, ok);  // false when any one fails
    for (int k = 0; k < 4; ++k) {
      if (!ok[k]) continue;
      take((xs[k] - open.reference[0]) / open.reference[1],
           (ys[k] - open.reference[3]) / open.reference[5]);
    }
  }
  if (!(minX <= maxX)) return false;
  const double l = std::max<double>(std::floor(minX), open.left);
  const double r = std::min<double>(std::ceil(maxX), open.right);
  const double t = std::max<double>(std::floor(minY), open.top);
  const double b = std::min<double>(std::ceil(maxY), open.bottom);
  if (r - l < 1 || b - t < 1) return false;
  left = static_cast<int>(l) - open.left;
  top = static_cast<int>(t) - open.top;
  width = static_cast<int>(r - l);
  height = static_cast<int>(b - t);
  return true;
}

struct ReadProgress {
  Progress* progress = nullptr;
  double base = 0.0, span = 1.0;
};

int CPL_STDCALL OnRead(double done, const char*, void* data) {
  auto* p = static_cast<ReadProgress*>(data);
  if (p->progress) p->progress->SetProgress(static_cast<float>(p->base + p->span * done));
  return TRUE;
}

// Reads a layer's part of the output grid into buffer (UInt16 or Float32).
bool ReadLayer(const Layer& l, int areaLeft, int areaTop, int areaWidth, int areaHeight,
               int outWidth, int outHeight, GDALDataType type, void* buffer, ReadProgress& rp) {
  GDALRasterIOExtraArg extra;
  INIT_RASTERIO_EXTRA_ARG(extra);
  const bool shrinking = outWidth < areaWidth * l.scaleX || outHeight < areaHeight * l.scaleY;
  extra.eResampleAlg = shrinking ? GRIORA_Average : GRIORA_NearestNeighbour;
  extra.pfnProgress = OnRead;
  extra.pProgressData = &rp;
  extra.bFloatingPointWindowValidity = TRUE;
  extra.dfXOff = l.offsetX + l.scaleX * areaLeft;
  extra.dfYOff = l.offsetY + l.scaleY * areaTop;
  extra.dfXSize = l.scaleX * areaWidth;
  extra.dfYSize = l.scaleY * areaHeight;
  const int x0 = std::clamp(static_cast<int>(std::floor(extra.dfXOff + 1e-9)), 0, l.width - 1);
  const int y0 = std::clamp(static_cast<int>(std::floor(extra.dfYOff + 1e-9)), 0, l.height - 1);
  const int x1 =
      std::clamp(static_cast<int>(std::ceil(extra.dfXOff + extra.dfXSize - 1e-9)), x0 + 1, l.width);
  const int y1 = std::clamp(static_cast<int>(std::ceil(extra.dfYOff + extra.dfYSize - 1e-9)),
                            y0 + 1, l.height);
  return l.band->RasterIO(GF_Read, x0, y0, x1 - x0, y1 - y0, buffer, outWidth, outHeight, type, 0,
                          0, &extra) == CE_None;
}

// Writes a whole band file; the writer reports its own failure (61289).
bool WriteBand(const std::string& path, const void* data, size_t bytes, Messenger& messenger,
               ImportError& error) {
  BandWriter writer;
  const bool created = writer.Create(path);
  if (created) writer.Write(data, bytes);
  if (!writer.Close(messenger)) {
    error = {-1, ""};
    return false;
  }
  return true;
}

bool IsIntegerType(GDALDataType t) {
  return t == GDT_Byte || t == GDT_UInt16 || t == GDT_Int16 || t == GDT_UInt32 || t == GDT_Int32;
}

// Writes one band into the staging set and returns its description text.
// Sixteen-bit sources are read as 16-bit values, everything else as floats.
bool ImportLayer(const Layer& l, int areaLeft, int areaTop, int areaWidth, int areaHeight,
                 int outWidth, int outHeight, bool keep16, const std::string& stageBase,
                 ReadProgress& rp, Messenger& messenger, ImportError& error) {
  const size_t count = static_cast<size_t>(outWidth) * static_cast<size_t>(outHeight);
  const GDALDataType sourceType = l.band->GetRasterDataType();
  const bool as16 = sourceType == GDT_Byte || sourceType == GDT_UInt16;
  const std::string sourceText =
      "SOURCE = " + FileName(l.source.path) + Format(" (%d)", l.source.sourceBand);
  std::string description = l.source.description + "\n" + sourceText + "\n";
  std::vector<uint8_t> out8;
  if (as16) {
    std::vector<uint16_t> values(count);
    if (!ReadLayer(l, areaLeft, areaTop, areaWidth, areaHeight, outWidth, outHeight, GDT_UInt16,
                   values.data(), rp)) {
      error = {kMsgImportReadFailed, l.source.path};
      return false;
    }
    const bool noDataFits =
        l.hasNoData && l.noData >= 0 && l.noData <= 65535 && l.noData == std::floor(l.noData);
    const int noData = noDataFits ? static_cast<int>(l.noData) : -1;
    if (noData >= 0 &&
        std::all_of(values.begin(), values.end(), [&](uint16_t v) { return v == noData; })) {
      error = {kMsgImportNoValues, l.source.path};
      return false;
    }
    if (keep16) {
      if (noData > 0)
        for (auto& v : values) v = v == noData ? 0 : v;
      description += "VALUES = 16-bit as in the source\n";
      if (!WriteBand(BandFilePath(stageBase, 2, l.source.number), values.data(), count * 2,
                     messenger, error))
        return false;
      return WriteBandDescription(stageBase, l.source.number, description) ||
             (error = {kMsgCreateFailed, ""}, false);
    }
    std::vector<uint64_t> histogram(65536, 0);
    for (uint16_t v : values) ++histogram[v];
    if (noData >= 0) histogram[static_cast<size_t>(noData)] = 0;
    const StretchRange range = RangeFromHistogram(histogram);
    const std::vector<uint8_t> table = StretchTable(range, noData);
    out8.resize(count);
    for (size_t i = 0; i < count; ++i) out8[i] = table[values[i]];
    description += Format("STRETCH_LOW = %.10g\nSTRETCH_HIGH = %.10g\n", range.low, range.high);
  } else {
    std::vector<float> values(count);
    if (!ReadLayer(l, areaLeft, areaTop, areaWidth, areaHeight, outWidth, outHeight, GDT_Float32,
                   values.data(), rp)) {
      error = {kMsgImportReadFailed, l.source.path};
      return false;
    }
    // A no-data value beyond the float range matches no value.
    const bool noDataFits = l.hasNoData && std::abs(l.noData) <= std::numeric_limits<float>::max();
    const float noData = noDataFits ? static_cast<float>(l.noData) : 0.0f;
    auto valid = [&](float v) { return std::isfinite(v) && !(noDataFits && v == noData); };
    bool fits = IsIntegerType(sourceType);
    std::vector<float> sorted;
    sorted.reserve(count);
    for (float v : values)
      if (valid(v)) {
        sorted.push_back(v);
        fits = fits && v >= 0.0f && v <= 65535.0f;
      }
    if (sorted.empty()) {
      error = {kMsgImportNoValues, l.source.path};
      return false;
    }
    if (keep16 && fits) {
      std::vector<uint16_t> out16(count);
      for (size_t i = 0; i < count; ++i)
        out16[i] = valid(values[i]) ? static_cast<uint16_t>(values[i]) : 0;
      description += "VALUES = 16-bit as in the source\n";
      if (!WriteBand(BandFilePath(stageBase, 2, l.source.number), out16.data(), count * 2,
                     messenger, error))
        return false;
      return WriteBandDescription(stageBase, l.source.number, description) ||
             (error = {kMsgCreateFailed, ""}, false);
    }
    const StretchRange range = RangeFromValues(sorted);
    sorted = std::vector<float>();
    out8.resize(count);
    for (size_t i = 0; i < count; ++i)
      out8[i] = valid(values[i]) ? StretchValue(values[i], range) : 0;
    description += Format("STRETCH_LOW = %.10g\nSTRETCH_HIGH = %.10g\n", range.low, range.high);
  }
  if (!WriteBand(BandFilePath(stageBase, 1, l.source.number), out8.data(), count, messenger, error))
    return false;
  if (!WriteBandDescription(stageBase, l.source.number, description)) {
    error = {kMsgCreateFailed, ""};
    return false;
  }
  return true;
}

// True when replacing the set would delete a file it is read from: a
// GeoTIFF named like a band file, or reached through a link under another
// name. A set file that is itself a link goes without its target.
bool ReplacesInput(const OpenProduct& open, const std::string& outBase) {
  std::vector<std::string> inputs = open.product.otherFiles;
  for (const auto& l : open.layers) inputs.push_back(l.source.path);
  std::error_code ec;
  for (const auto& file : SetFiles(outBase)) {
    if (fs::is_symlink(file, ec)) continue;
    for (const auto& input : inputs)
      if (fs::equivalent(file, input, ec)) return true;
  }
  return false;
}

// Creates a folder and those above it that are missing; unless kept, removes
// again those of them that are still empty.
struct FoldersMade {
  explicit FoldersMade(const fs::path& folder) {
    std::error_code ec;
    for (fs::path p = fs::absolute(folder, ec); !ec && !p.empty() && !fs::exists(p, ec);
         p = p.parent_path()) {
      made.push_back(p);
      if (p == p.parent_path()) break;
    }
    fs::create_directories(folder, ec);
  }
  ~FoldersMade() {
    std::error_code ec;
    if (!keep)
      for (const auto& p : made) fs::remove(p, ec);  // deepest first; only if empty
  }
  FoldersMade(const FoldersMade&) = delete;
  FoldersMade& operator=(const FoldersMade&) = delete;
  std::vector<fs::path> made;
  bool keep = false;
};

bool Run(const std::vector<std::string>& inputs, const std::string& outInf, const ImportOptions& o,
         Messenger& messenger, Progress* progress, ImportError& error) {
  OpenProduct open;
  if (!Open(inputs, open, error)) return false;
  const int fullWidth = open.right - open.left, fullHeight = open.bottom - open.top;
  int left = 0, top = 0, width = fullWidth, height = fullHeight;
  if (o.hasArea) {
    left = o.areaLeft;
    top = o.areaTop;
    width = o.areaWidth;
    height = o.areaHeight;
    if (left < 0 || top < 0 || width < 1 || height < 1 || width > fullWidth - left ||
        height > fullHeight - top) {
      error = {kMsgImportAreaOutside, Format("%d x %d", fullWidth, fullHeight)};
      return false;
    }
  } else if (o.hasLonLat && !LonLatArea(open, o, left, top, width, height)) {
    error = {kMsgImportAreaOutside, ""};
    return false;
  }
  int outWidth = width, outHeight = height;
  if (o.maxWidth > 0 && o.maxHeight > 0) {
    const double scale = std::max(static_cast<double>(width) / o.maxWidth,
                                  static_cast<double>(height) / o.maxHeight);
    if (scale > 1.0) {
      outWidth = std::max(1, static_cast<int>(std::lround(width / scale)));
      outHeight = std::max(1, static_cast<int>(std::lround(height / scale)));
    }
  }
  if (outWidth > kMaxImportSide || outHeight > kMaxImportSide) {
    error = {kMsgImportTooLarge, Format("%d x %d", outWidth, outHeight)};
    return false;
  }
  // A band is held as floats, its sorted copy and its output at once.
  if (!FitsInMemory(static_cast<uint64_t>(outWidth) * static_cast<uint64_t>(outHeight) * 9)) {
    error = {kMsgImportTooLarge, Format("%d x %d", outWidth, outHeight)};
    return false;
  }

  const double* r = open.reference;
  const int gridLeft = open.left + left, gridTop = open.top + top;
  const double t[6] = {
      r[0] + gridLeft * r[1],   r[1] * width / outWidth, 0.0, r[3] + gridTop * r[5], 0.0,
      r[5] * height / outHeight};
  GeoKeys keys;
  if (!ComputeGeoKeys(open.srs, t, keys)) {
    error = {kMsgImportNoGeoref, ""};
    return false;
  }
  if (!(std::abs(keys.inclination) <= 45.0)) {
    error = {kMsgImportTurned, keys.gpsChar};
    return false;
  }

  const std::string outBase = StripExtension(outInf);
  if (ReplacesInput(open, outBase)) {
    error = {kMsgWorkingFileInUse, outInf};
    return false;
  }
  fs::path folder = fs::path(outBase).parent_path();
  if (folder.empty()) folder = ".";
  // Folders made for the set go again when it is not written.
  FoldersMade made(folder);
  StagedFileSet staged;
  if (!staged.Begin(outBase, messenger)) {
    error = {kMsgImportNotWritable, folder.string()};
    return false;
  }
  const std::string stageBase = staged.StageBase();
  const int sensor =
      open.product.kind == ProductKind::kGeoTiff && o.sensor >= 0 ? o.sensor : open.product.sensor;

  if (progress) progress->Create(0, "取り込み中");
  const size_t n = open.layers.size();
  bool ok = true;
  for (size_t i = 0; i < n && ok; ++i) {
    ReadProgress rp{progress, static_cast<double>(i) / n, 0.9 / n};
    ok = ImportLayer(open.layers[i], gridLeft, gridTop, width, height, outWidth, outHeight,
                     o.keep16bit, stageBase, rp, messenger, error);
    if (progress) progress->SetProgress(static_cast<float>(i + 1) / n);
  }
  if (progress) progress->Close();
  if (!ok) return false;
  if (!WriteFileAtomically(stageBase + ".inf",
                           SettingsText(outHeight, outWidth, top, left, sensor, keys))) {
    error = {kMsgCreateFailed, ""};
    return false;
  }
  // Commit reports its own failures.
  if (!staged.Commit(messenger)) error = {-1, ""};
  made.keep = error.id == 0;
  return made.keep;
}

}  // namespace

void ReportImportError(Messenger& messenger, const ImportError& error) {
  if (error.id <= 0) return;
  if (error.detail.empty())
    messenger.ShowMessage(error.id);
  else
    messenger.ShowText(kImportTitle, std::string(MessageText(error.id)) + "\n" + error.detail);
}

bool InspectProduct(const std::vector<std::string>& inputs, ProductSummary& summary,
                    Messenger& messenger) {
  GdalSession session;
  OpenProduct open;
  ImportError error;
  if (!Open(inputs, open, error)) {
    ReportImportError(messenger, error);
    return false;
  }
  summary.product = open.product;
  summary.width = open.right - open.left;
  summary.height = open.bottom - open.top;
  summary.system = open.srs.GetName() ? open.srs.GetName() : "";
  summary.cutToOverlap = open.cut;
  return true;
}

std::string OverlapNote(const ProductSummary& summary) {
  if (!summary.cutToOverlap) return {};
  return std::string(MessageText(kMsgImportCutToOverlap)) + "\n" +
         Format("%d x %d", summary.width, summary.height);
}

bool ImportScene(const std::vector<std::string>& inputs, const std::string& outInf,
                 const ImportOptions& options, Messenger& messenger, Progress* progress) {
  GdalSession session;
  ImportError error;
  bool ok = false;
  try {
    ok = Run(inputs, outInf, options, messenger, progress, error);
  } catch (const std::bad_alloc&) {
    error = {kMsgNoMemory, ""};
  }
  if (!ok) ReportImportError(messenger, error);
  return ok;
}

}  // namespace lumora::importer
