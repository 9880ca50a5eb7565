#include "importer/scene_import.h"

#include <gdalwarper.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <new>
#include <optional>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/band_io.h"
#include "core/imagefile/settings_file.h"
#include "core/imagefile/staged_file_set.h"
#include "core/support/allocation.h"
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
  // Put on another scene's grid: the product's band it is warped from.
  GDALRasterBand* warpFrom = nullptr;
};

struct OpenProduct {
  Product product;
  std::map<std::string, DatasetPtr> datasets;
  std::vector<Layer> layers;
  // The grid of the scene the product is put on (no width: its own grid).
  Grid align;
  std::string alignSourceWkt;
  bool bilinear = false;
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

// The reference cells read and the grid they are written on.
struct OutputGrid {
  int left = 0, top = 0, width = 0, height = 0;
  int outWidth = 0, outHeight = 0;
};

// The part of a layer that covers the output grid, in the layer's pixels,
// and the whole pixels holding it.
struct SourceWindow {
  double xOff = 0, yOff = 0, xSize = 0, ySize = 0;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

SourceWindow LayerWindow(const Layer& l, const OutputGrid& g) {
  SourceWindow w;
  w.xOff = l.offsetX + l.scaleX * g.left;
  w.yOff = l.offsetY + l.scaleY * g.top;
  w.xSize = l.scaleX * g.width;
  w.ySize = l.scaleY * g.height;
  w.x0 = std::clamp(static_cast<int>(std::floor(w.xOff + 1e-9)), 0, l.width - 1);
  w.y0 = std::clamp(static_cast<int>(std::floor(w.yOff + 1e-9)), 0, l.height - 1);
  w.x1 = std::clamp(static_cast<int>(std::ceil(w.xOff + w.xSize - 1e-9)), w.x0 + 1, l.width);
  w.y1 = std::clamp(static_cast<int>(std::ceil(w.yOff + w.ySize - 1e-9)), w.y0 + 1, l.height);
  return w;
}

// GDAL's block cache while importing.
constexpr int64_t kImportCacheBytes = int64_t{64} << 20;
// Bytes of output rows read at once, unless told otherwise.
constexpr int64_t kWindowBytes = int64_t{8} << 20;
// A shrunk band up to this size is read in one piece, as GDAL's averaging
// chunks it itself and it is read once for all passes.
constexpr int64_t kWholeShrunkBytes = int64_t{32} << 20;

// A layer's output rows, a window at a time, with the values one read of the
// whole band gives. Nearest-neighbour rows are picked by GDAL's own rule
// and read unscaled; averaged windows span a power of two of rows, so that
// their ratio of source to output rows is the whole read's to the bit.
class LayerReader {
 public:
  LayerReader(const Layer& l, const OutputGrid& g, GDALDataType type, int windowRows)
      : m_layer(l),
        m_grid(g),
        m_type(type),
        m_window(LayerWindow(l, g)),
        m_shrinking(g.outWidth < g.width * l.scaleX || g.outHeight < g.height * l.scaleY),
        m_rowBytes(static_cast<size_t>(g.outWidth) * GDALGetDataTypeSizeBytes(type)) {
    const int64_t rows =
        windowRows > 0 ? windowRows
                       : std::max<int64_t>(1, kWindowBytes / static_cast<int64_t>(m_rowBytes));
    m_rows = static_cast<int>(std::min<int64_t>(rows, g.outHeight));
    if (m_shrinking) {
      const int64_t whole = static_cast<int64_t>(m_rowBytes) * g.outHeight;
      if (windowRows <= 0 && whole <= kWholeShrunkBytes) {
        m_heldRows = g.outHeight;
      } else {
        int pow2 = 1;
        while (pow2 * 2 <= m_rows) pow2 *= 2;
        m_rows = m_heldRows = pow2;
      }
    }
  }

  int Rows() const { return m_rows; }

  // Reads output rows [row, row + count), count <= Rows(), into buffer.
  bool Read(int row, int count, uint8_t* buffer) {
    return m_shrinking ? ReadAveraged(row, count, buffer) : ReadNearest(row, count, buffer);
  }

 private:
  GDALRasterIOExtraArg Extra(GDALRIOResampleAlg alg, double yOff, double ySize) const {
    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    extra.eResampleAlg = alg;
    extra.bFloatingPointWindowValidity = TRUE;
    extra.dfXOff = m_window.xOff;
    extra.dfXSize = m_window.xSize;
    extra.dfYOff = yOff;
    extra.dfYSize = ySize;
    return extra;
  }

  // The source row GDAL's nearest neighbour takes for an output row.
  int SourceRow(int row) const {
    const double inc = m_window.ySize / m_grid.outHeight;
    const double y = (row + 0.5) * inc + m_window.yOff + 1e-10;
    return static_cast<int>(std::min(std::max(0.0, y), static_cast<double>(m_layer.height - 1)));
  }

  bool ReadNearest(int row, int count, uint8_t* buffer) {
    const int first = SourceRow(row), last = SourceRow(row + count - 1);
    const int rows = last - first + 1;
    bool direct = rows == count;
    for (int i = 1; direct && i < count; ++i) direct = SourceRow(row + i) == first + i;
    if (!direct) m_scratch.resize(m_rowBytes * static_cast<size_t>(rows));
    uint8_t* target = direct ? buffer : m_scratch.data();
    GDALRasterIOExtraArg extra = Extra(GRIORA_NearestNeighbour, first, rows);
    if (m_layer.band->RasterIO(GF_Read, m_window.x0, first, m_window.x1 - m_window.x0, rows, target,
                               m_grid.outWidth, rows, m_type, 0, 0, &extra) != CE_None)
      return false;
    if (!direct)
      for (int i = 0; i < count; ++i)
        std::memcpy(buffer + m_rowBytes * static_cast<size_t>(i),
                    m_scratch.data() + m_rowBytes * static_cast<size_t>(SourceRow(row + i) - first),
                    m_rowBytes);
    return true;
  }

  // Reads the window of held rows that starts at row (the last one ends
  // with the grid; a band held whole starts at 0), unless it is held.
  bool ReadAveraged(int row, int count, uint8_t* buffer) {
    const int start = std::min(row, m_grid.outHeight - m_heldRows);
    const bool whole = m_heldRows == m_grid.outHeight;
    if (start != m_heldStart) {
      m_held.resize(m_rowBytes * static_cast<size_t>(m_heldRows));
      m_heldStart = -1;
      const double ratio = m_window.ySize / m_grid.outHeight;
      const double yOff = whole ? m_window.yOff : m_window.yOff + start * ratio;
      const double ySize = whole ? m_window.ySize : ratio * m_heldRows;
      const int y0 = std::clamp(static_cast<int>(std::floor(yOff + 1e-9)), 0, m_layer.height - 1);
      const int y1 =
          std::clamp(static_cast<int>(std::ceil(yOff + ySize - 1e-9)), y0 + 1, m_layer.height);
      GDALRasterIOExtraArg extra = Extra(GRIORA_Average, yOff, ySize);
      if (m_layer.band->RasterIO(GF_Read, m_window.x0, y0, m_window.x1 - m_window.x0, y1 - y0,
                                 m_held.data(), m_grid.outWidth, m_heldRows, m_type, 0, 0,
                                 &extra) != CE_None)
        return false;
      m_heldStart = start;
    }
    std::memcpy(buffer, m_held.data() + m_rowBytes * static_cast<size_t>(row - start),
                m_rowBytes * static_cast<size_t>(count));
    return true;
  }

  const Layer& m_layer;
  OutputGrid m_grid;
  GDALDataType m_type;
  SourceWindow m_window;
  bool m_shrinking;
  size_t m_rowBytes;
  int m_rows = 1;      // read at once by the caller
  int m_heldRows = 1;  // averaged at once
  std::vector<uint8_t> m_scratch, m_held;
  int m_heldStart = -1;
};

// Progress over the passes of one layer, a share of the whole import.
struct LayerProgress {
  Progress* progress = nullptr;
  double base = 0.0, span = 1.0;
  int passes = 1, pass = 0;
  void Rows(int done, int total) const {
    if (progress)
      progress->SetProgress(
          static_cast<float>(base + span * (pass + static_cast<double>(done) / total) / passes));
  }
};

// Calls use(values, count) on every window of the layer's output rows, in order.
template <class T, class Use>
bool EachWindow(LayerReader& reader, const OutputGrid& g, LayerProgress& progress, Use&& use) {
  std::vector<T> values(static_cast<size_t>(g.outWidth) * static_cast<size_t>(reader.Rows()));
  for (int row = 0; row < g.outHeight; row += reader.Rows()) {
    const int count = std::min(reader.Rows(), g.outHeight - row);
    if (!reader.Read(row, count, reinterpret_cast<uint8_t*>(values.data()))) return false;
    if (!use(values.data(), static_cast<size_t>(g.outWidth) * static_cast<size_t>(count)))
      return false;
    progress.Rows(row + count, g.outHeight);
  }
  ++progress.pass;
  return true;
}

bool IsIntegerType(GDALDataType t) {
  return t == GDT_Byte || t == GDT_UInt16 || t == GDT_Int16 || t == GDT_UInt32 || t == GDT_Int32;
}

// Whether a layer is read as 16-bit values (else as floats).
bool ReadAs16(const Layer& l) {
  const GDALDataType t = l.band->GetRasterDataType();
  return t == GDT_Byte || t == GDT_UInt16;
}

// One band file of the staging set written window by window, and its
// description; the writer reports its own failure (61289).
class StagedBand {
 public:
  StagedBand(const std::string& stageBase, const SourceBand& source, int sampleType)
      : m_stageBase(stageBase), m_number(source.number) {
    m_created = m_writer.Create(BandFilePath(stageBase, sampleType, source.number));
  }
  bool Write(const void* data, size_t bytes) { return m_created && m_writer.Write(data, bytes); }
  bool Finish(const std::string& description, Messenger& messenger, ImportError& error) {
    if (!m_writer.Close(messenger)) {
      error = {-1, ""};
      return false;
    }
    if (!WriteBandDescription(m_stageBase, m_number, description)) {
      error = {kMsgCreateFailed, ""};
      return false;
    }
    return true;
  }
  // A write that failed is told at Finish.
  bool Failed() const { return !m_created || !m_writer.ok(); }

 private:
  std::string m_stageBase;
  int m_number;
  BandWriter m_writer;
  bool m_created = false;
};

struct LayerJob {
  const Layer& layer;
  const OutputGrid& grid;
  int windowRows;
  const std::string& stageBase;
  LayerProgress& progress;
  Messenger& messenger;
  ImportError& error;
};

constexpr const char* kSixteenBitText = "VALUES = 16-bit as in the source\n";

std::string StretchText(const StretchRange& range) {
  return Format("STRETCH_LOW = %.10g\nSTRETCH_HIGH = %.10g\n", range.low, range.high);
}

// A layer of 8- or 16-bit values: one pass kept as 16-bit, else a
// histogram pass and a pass through the stretch table.
bool ImportLayer16(LayerJob& job, bool keep16, std::string description) {
  const Layer& l = job.layer;
  LayerReader reader(l, job.grid, GDT_UInt16, job.windowRows);
  const bool noDataFits =
      l.hasNoData && l.noData >= 0 && l.noData <= 65535 && l.noData == std::floor(l.noData);
  const int noData = noDataFits ? static_cast<int>(l.noData) : -1;
  auto readFailed = [&] {
    job.error = {kMsgImportReadFailed, l.source.path};
    return false;
  };
  auto noValues = [&] {
    job.error = {kMsgImportNoValues, l.source.path};
    return false;
  };
  if (keep16) {
    job.progress.passes = 1;
    StagedBand out(job.stageBase, l.source, 2);
    bool any = noData < 0;
    const bool read =
        EachWindow<uint16_t>(reader, job.grid, job.progress, [&](uint16_t* v, size_t n) {
          for (size_t i = 0; i < n; ++i)
            if (v[i] == noData)
              v[i] = 0;
            else
              any = true;
          return out.Write(v, n * 2) && !out.Failed();
        });
    if (!read && !out.Failed()) return readFailed();
    if (!out.Failed() && !any) return noValues();
    return out.Finish(description + kSixteenBitText, job.messenger, job.error);
  }
  job.progress.passes = 2;
  std::vector<uint64_t> histogram(65536, 0);
  if (!EachWindow<uint16_t>(reader, job.grid, job.progress, [&](const uint16_t* v, size_t n) {
        for (size_t i = 0; i < n; ++i) ++histogram[v[i]];
        return true;
      }))
    return readFailed();
  if (noData >= 0) histogram[static_cast<size_t>(noData)] = 0;
  const StretchRange range = RangeFromHistogram(histogram);
  if (!range.any) return noValues();
  const std::vector<uint8_t> table = StretchTable(range, noData);
  StagedBand out(job.stageBase, l.source, 1);
  std::vector<uint8_t> bytes;
  const bool read =
      EachWindow<uint16_t>(reader, job.grid, job.progress, [&](const uint16_t* v, size_t n) {
        bytes.resize(n);
        for (size_t i = 0; i < n; ++i) bytes[i] = table[v[i]];
        return out.Write(bytes.data(), n) && !out.Failed();
      });
  if (!read && !out.Failed()) return readFailed();
  return out.Finish(description + StretchText(range), job.messenger, job.error);
}

// A layer of other values, read as floats: a pass that finds whether they
// fit in 16 bits and counts them coarsely, then either the 16-bit pass or a
// pass that finds the stretch range exactly and one that writes it.
bool ImportLayerFloat(LayerJob& job, bool keep16, std::string description) {
  const Layer& l = job.layer;
  LayerReader reader(l, job.grid, GDT_Float32, job.windowRows);
  // A no-data value beyond the float range matches no value.
  const bool noDataFits = l.hasNoData && std::abs(l.noData) <= std::numeric_limits<float>::max();
  const float noData = noDataFits ? static_cast<float>(l.noData) : 0.0f;
  auto valid = [&](float v) { return std::isfinite(v) && !(noDataFits && v == noData); };
  auto readFailed = [&] {
    job.error = {kMsgImportReadFailed, l.source.path};
    return false;
  };
  job.progress.passes = 3;
  bool fits = IsIntegerType(l.band->GetRasterDataType());
  FloatRangeFinder finder;
  if (!EachWindow<float>(reader, job.grid, job.progress, [&](const float* v, size_t n) {
        for (size_t i = 0; i < n; ++i)
          if (valid(v[i])) {
            finder.Count(v[i]);
            fits = fits && v[i] >= 0.0f && v[i] <= 65535.0f;
          }
        return true;
      }))
    return readFailed();
  if (!finder.BeginSecondPass()) {
    job.error = {kMsgImportNoValues, l.source.path};
    return false;
  }
  if (keep16 && fits) {
    StagedBand out(job.stageBase, l.source, 2);
    std::vector<uint16_t> values;
    const bool read =
        EachWindow<float>(reader, job.grid, job.progress, [&](const float* v, size_t n) {
          values.resize(n);
          for (size_t i = 0; i < n; ++i) values[i] = valid(v[i]) ? static_cast<uint16_t>(v[i]) : 0;
          return out.Write(values.data(), n * 2) && !out.Failed();
        });
    if (!read && !out.Failed()) return readFailed();
    return out.Finish(description + kSixteenBitText, job.messenger, job.error);
  }
  if (!EachWindow<float>(reader, job.grid, job.progress, [&](const float* v, size_t n) {
        for (size_t i = 0; i < n; ++i)
          if (valid(v[i])) finder.Refine(v[i]);
        return true;
      }))
    return readFailed();
  const StretchRange range = finder.Range();
  StagedBand out(job.stageBase, l.source, 1);
  std::vector<uint8_t> bytes;
  const bool read =
      EachWindow<float>(reader, job.grid, job.progress, [&](const float* v, size_t n) {
        bytes.resize(n);
        for (size_t i = 0; i < n; ++i) bytes[i] = valid(v[i]) ? StretchValue(v[i], range) : 0;
        return out.Write(bytes.data(), n) && !out.Failed();
      });
  if (!read && !out.Failed()) return readFailed();
  return out.Finish(description + StretchText(range), job.messenger, job.error);
}

// Writes one band into the staging set with its description. Sixteen-bit
// sources are read as 16-bit values, everything else as floats.
bool ImportLayer(LayerJob& job, bool keep16) {
  const Layer& l = job.layer;
  std::string description = l.source.description + "\nSOURCE = " + FileName(l.source.path) +
                            Format(" (%d)", l.source.sourceBand) + "\n";
  return ReadAs16(l) ? ImportLayer16(job, keep16, std::move(description))
                     : ImportLayerFloat(job, keep16, std::move(description));
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

std::string Megabytes(int64_t bytes, bool roundUp) {
  const int64_t mb = int64_t{1} << 20;
  return Format("%lld MB", static_cast<long long>(bytes / mb + (roundUp && bytes % mb ? 1 : 0)));
}

// Free bytes on the disk of a folder or, while it is still to be made, of
// the nearest folder above it; nothing when the system cannot tell.
std::optional<int64_t> FreeSpace(const fs::path& folder) {
  std::error_code ec;
  fs::path p = fs::absolute(folder, ec);
  while (!ec && !fs::exists(p, ec) && p != p.parent_path()) p = p.parent_path();
  const fs::space_info info = fs::space(p, ec);
  if (ec || info.available == static_cast<std::uintmax_t>(-1)) return std::nullopt;
  return static_cast<int64_t>(
      std::min<std::uintmax_t>(info.available, std::numeric_limits<int64_t>::max()));
}

// Refuses, before anything is written, a set larger than the free space
// of its folder: the band files at their largest, and a little for the
// descriptions and the settings.
bool RoomForSet(const OpenProduct& open, const OutputGrid& g, const ImportOptions& o,
                const fs::path& folder, ImportError& error) {
  std::optional<int64_t> needed = int64_t{64} << 10;
  for (const auto& l : open.layers) {
    const bool wide = o.keep16bit && (ReadAs16(l) || IsIntegerType(l.band->GetRasterDataType()));
    const auto band = CheckedMul(g.outWidth, g.outHeight, wide ? 2 : 1);
    needed = needed && band ? CheckedAdd(*needed, *band) : std::nullopt;
  }
  const std::optional<int64_t> free = o.freeSpace >= 0 ? o.freeSpace : FreeSpace(folder);
  if (!needed) {
    error = {kMsgImportTooLarge, Format("%d x %d", g.outWidth, g.outHeight)};
    return false;
  }
  if (free && *needed > *free) {
    error = {kMsgImportNoSpace, Megabytes(*needed, true) + " / " + Megabytes(*free, false)};
    return false;
  }
  return true;
}

// Puts every layer onto the grid of the scene `like` through a warped
// virtual band, so that the windows, stretch and writing below read it as
// they read a band of the product itself.
bool AlignTo(OpenProduct& open, const ImportOptions& o, ImageSettings& like, Messenger& messenger,
             ImportError& error) {
  if (!ReadSettings(o.like, like, messenger) || !CheckImageSize(like, messenger)) {
    error = {-1, ""};
    return false;
  }
  Grid grid;
  if (!SceneGrid(o.like, like, grid)) {
    error = {kMsgImportSceneNoGeoref, o.like};
    return false;
  }
  OGRSpatialReference target;
  target.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  if (target.importFromWkt(grid.wkt.c_str()) != OGRERR_NONE) {
    error = {kMsgImportSceneNoGeoref, o.like};
    return false;
  }
  char* sourceWkt = nullptr;
  open.srs.exportToWkt(&sourceWkt);
  const std::string srcWkt = sourceWkt ? sourceWkt : "";
  CPLFree(sourceWkt);
  // (A product beside the grid leaves every cell without a value: the
  // stretch refuses it as a band without values.) Each layer is put on the
  // grid when it is imported, one at a time.
  open.align = grid;
  open.alignSourceWkt = srcWkt;
  open.bilinear = o.bilinear;
  for (Layer& l : open.layers) {
    l.warpFrom = l.band;
    l.width = grid.width;
    l.height = grid.height;
    l.offsetX = l.offsetY = 0.0;
    l.scaleX = l.scaleY = 1.0;
  }
  std::copy(grid.transform, grid.transform + 6, open.reference);
  open.srs = target;
  open.left = open.top = 0;
  open.right = grid.width;
  open.bottom = grid.height;
  open.cut = false;
  return true;
}

// The usual case of two scenes of one path: the same system and cell size,
// the grids a whole number of cells apart. The cells are then copied as
// they are (what the warper would give, without its cost); true when it
// was this case (error set when the copy failed).
bool CopyShifted(const OpenProduct& open, Layer& l, const double t[6], GDALDataset& held,
                 ImportError& error) {
  const Grid& grid = open.align;
  const double* g = grid.transform;
  OGRSpatialReference target;
  target.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
  if (target.importFromWkt(grid.wkt.c_str()) != OGRERR_NONE || !target.IsSame(&open.srs))
    return false;
  const auto near = [](double a, double b) { return std::abs(a - b) <= 1e-9 * std::abs(b); };
  if (g[2] != 0.0 || g[4] != 0.0 || t[2] != 0.0 || t[4] != 0.0 || !near(t[1], g[1]) ||
      !near(t[5], g[5]))
    return false;
  const double dx = (g[0] - t[0]) / t[1], dy = (g[3] - t[3]) / t[5];
  const double ix = std::round(dx), iy = std::round(dy);
  if (std::abs(dx - ix) > 1e-6 || std::abs(dy - iy) > 1e-6 || std::abs(ix) > 1e9 ||
      std::abs(iy) > 1e9)
    return false;
  // Grid cell (x, y) is band pixel (x + ix, y + iy).
  const int sw = l.warpFrom->GetXSize(), sh = l.warpFrom->GetYSize();
  const int x0 = static_cast<int>(std::clamp(-ix, 0.0, static_cast<double>(grid.width)));
  const int y0 = static_cast<int>(std::clamp(-iy, 0.0, static_cast<double>(grid.height)));
  const int x1 = static_cast<int>(std::clamp(sw - ix, 0.0, static_cast<double>(grid.width)));
  const int y1 = static_cast<int>(std::clamp(sh - iy, 0.0, static_cast<double>(grid.height)));
  if (x1 <= x0 || y1 <= y0) return true;  // no cell covered: all stay 0
  // The product's own no-data value becomes 0, as the cells it does not
  // cover: such rows go through doubles, the others as they are.
  const bool remap = l.hasNoData && l.noData != 0.0;
  const GDALDataType type = remap ? GDT_Float64 : l.warpFrom->GetRasterDataType();
  const int size = GDALGetDataTypeSizeBytes(type);
  std::vector<uint8_t> row(static_cast<size_t>(x1 - x0) * static_cast<size_t>(size));
  GDALRasterBand* out = held.GetRasterBand(1);
  for (int y = y0; y < y1; ++y) {
    const int sx = x0 + static_cast<int>(ix), sy = y + static_cast<int>(iy);
    bool ok = l.warpFrom->RasterIO(GF_Read, sx, sy, x1 - x0, 1, row.data(), x1 - x0, 1, type, 0, 0,
                                   nullptr) == CE_None;
    if (ok && remap) {
      auto* v = reinterpret_cast<double*>(row.data());
      for (int i = 0; i < x1 - x0; ++i) v[i] = v[i] == l.noData ? 0.0 : v[i];
    }
    ok = ok && out->RasterIO(GF_Write, x0, y, x1 - x0, 1, row.data(), x1 - x0, 1, type, 0, 0,
                             nullptr) == CE_None;
    if (!ok) {
      error = {kMsgImportReadFailed, l.source.path};
      break;
    }
  }
  return true;
}

// The layer's band warped onto the aligned grid in memory (the grid's
// cells times the band's sample size; checked before it is taken), cells
// it does not cover 0. The layer reads it from then on.
bool WarpLayer(const OpenProduct& open, Layer& l, DatasetPtr& held, ImportError& error) {
  const Grid& grid = open.align;
  GDALDataset* ds = l.warpFrom->GetDataset();
  const GDALDataType type = l.warpFrom->GetRasterDataType();
  const auto bytes = CheckedMul(int64_t{grid.width}, int64_t{grid.height},
                                int64_t{GDALGetDataTypeSizeBytes(type)});
  GDALDriver* mem = GetGDALDriverManager()->GetDriverByName("MEM");
  if (!bytes || !AllocatableBytes(*bytes) || !mem) {
    error = {kMsgNoMemory, ""};
    return false;
  }
  held.reset(mem->Create("", grid.width, grid.height, 1, type, nullptr));
  if (!held) {
    error = {kMsgNoMemory, ""};
    return false;
  }
  held->SetGeoTransform(const_cast<double*>(grid.transform));
  held->SetProjection(grid.wkt.c_str());
  double t[6];
  ds->GetGeoTransform(t);
  if (CopyShifted(open, l, t, *held, error)) {
    l.band = held->GetRasterBand(1);
    l.hasNoData = true;
    l.noData = 0.0;
    return error.id == 0;
  }
  GDALWarpOptions* wo = OneBandWarp(ds, l.warpFrom->GetBand(), held.get(),
                                    open.bilinear ? GRA_Bilinear : GRA_NearestNeighbour,
                                    l.hasNoData ? &l.noData : nullptr, 0.0);
  wo->papszWarpOptions = CSLSetNameValue(wo->papszWarpOptions, "NUM_THREADS", "2");
  wo->dfWarpMemoryLimit = 64.0 * 1024 * 1024;
  // Exact at every 8th cell or where the straight line between them is off
  // by more than an eighth of a cell (as gdalwarp works); on a grid shifted
  // or scaled within one system, exact everywhere.
  void* exact = GDALCreateGenImgProjTransformer3(open.alignSourceWkt.c_str(), t, grid.wkt.c_str(),
                                                 grid.transform);
  bool ok = exact != nullptr;
  if (ok) {
    wo->pTransformerArg = GDALCreateApproxTransformer(GDALGenImgProjTransform, exact, 0.125);
    GDALApproxTransformerOwnsSubtransformer(wo->pTransformerArg, TRUE);
    wo->pfnTransformer = GDALApproxTransform;
    GDALWarpOperation operation;
    ok = operation.Initialize(wo) == CE_None &&
         operation.ChunkAndWarpMulti(0, 0, grid.width, grid.height) == CE_None;
    GDALDestroyApproxTransformer(wo->pTransformerArg);
  }
  GDALDestroyWarpOptions(wo);
  if (!ok) {
    error = {kMsgImportReadFailed, l.source.path};
    return false;
  }
  l.band = held->GetRasterBand(1);
  l.hasNoData = true;
  l.noData = 0.0;
  return true;
}

bool Run(const std::vector<std::string>& inputs, const std::string& outInf, const ImportOptions& o,
         Messenger& messenger, Progress* progress, ImportError& error) {
  OpenProduct open;
  if (!Open(inputs, open, error)) return false;
  ImageSettings like;
  if (!o.like.empty() && !AlignTo(open, o, like, messenger, error)) return false;
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
  if (!o.like.empty()) {
    // Word for word the grid of the scene it was put on, so that the two
    // compare as one grid.
    keys.leftTopLon = like.leftTopLon;
    keys.leftTopLat = like.leftTopLat;
    keys.lengthPerPixel = like.lengthPerPixel;
    keys.inclination = like.inclination;
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
  const OutputGrid grid{gridLeft, gridTop, width, height, outWidth, outHeight};
  if (!RoomForSet(open, grid, o, folder, error)) return false;
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
    LayerProgress layerProgress{progress, static_cast<double>(i) / n, 1.0 / n};
    DatasetPtr warped;
    if (open.layers[i].warpFrom && !WarpLayer(open, open.layers[i], warped, error)) return false;
    LayerJob job{open.layers[i], grid, o.windowRows, stageBase, layerProgress, messenger, error};
    ok = ImportLayer(job, o.keep16bit);
    if (progress) progress->SetProgress(static_cast<float>(i + 1) / n);
  }
  if (progress) progress->Close();
  if (!ok) return false;
  std::string settings = SettingsText(outHeight, outWidth, top, left, sensor, keys);
  if (!open.product.date.empty()) settings += "Date = " + open.product.date + "\n";
  if (!o.like.empty()) settings += "AlignedTo = " + fs::path(o.like).filename().string() + "\n";
  if (!WriteFileAtomically(stageBase + ".inf", settings)) {
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
  // GDAL keeps the blocks it reads up to a share of the memory; bands are
  // read in windows, and a row of tiles is all they need of it.
  const int64_t cache = GDALGetCacheMax64();
  GDALSetCacheMax64(std::min<int64_t>(cache, kImportCacheBytes));
  ImportError error;
  bool ok = false;
  try {
    ok = Run(inputs, outInf, options, messenger, progress, error);
  } catch (const std::bad_alloc&) {
    error = {kMsgNoMemory, ""};
  }
  GDALSetCacheMax64(cache);
  if (!ok) ReportImportError(messenger, error);
  return ok;
}

}  // namespace lumora::importer
