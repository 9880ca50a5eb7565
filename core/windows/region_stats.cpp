#include "core/windows/region_stats.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/imagefile/settings_file.h"
#include "core/support/checked_math.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

Region RectangleRegion(int left, int top, int width, int height) {
  const double l = left, t = top, r = l + width, b = t + height;
  return Region{{{l, t}, {r, t}, {r, b}, {l, b}}, true};
}

std::vector<RowSpan> RegionSpans(const Region& region, int pixels, int lines) {
  std::vector<RowSpan> spans;
  const auto& c = region.corners;
  if (c.size() < 3 || pixels < 1 || lines < 1) return spans;
  double minY = c[0].y, maxY = c[0].y;
  for (const RegionPoint& p : c) {
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  const int first = static_cast<int>(std::max(0.0, std::floor(minY)));
  const int last = static_cast<int>(std::min(lines - 1.0, std::floor(maxY)));
  std::vector<double> xs;
  for (int row = first; row <= last; ++row) {
    const double yc = row + 0.5;
    xs.clear();
    for (size_t i = 0; i < c.size(); ++i) {
      const RegionPoint& a = c[i];
      const RegionPoint& b = c[(i + 1) % c.size()];
      // Half-open in y, so a corner on the centre line counts once.
      if ((a.y <= yc) != (b.y <= yc)) xs.push_back(a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y));
    }
    std::sort(xs.begin(), xs.end());
    for (size_t i = 0; i + 1 < xs.size(); i += 2) {
      // Centres i + 0.5 with xs[i] <= centre < xs[i + 1].
      const double x0 = std::clamp(std::ceil(xs[i] - 0.5), 0.0, static_cast<double>(pixels));
      const double x1 = std::clamp(std::ceil(xs[i + 1] - 0.5), 0.0, static_cast<double>(pixels));
      if (x1 > x0) spans.push_back({row, static_cast<int32_t>(x0), static_cast<int32_t>(x1)});
    }
  }
  return spans;
}

int64_t PixelCount(const std::vector<RowSpan>& spans) {
  int64_t n = 0;
  for (const RowSpan& s : spans) n += s.x1 - s.x0;
  return n;
}

double PerimeterPixels(const Region& region) {
  const auto& c = region.corners;
  double length = 0.0;
  for (size_t i = 0; c.size() >= 2 && i < c.size(); ++i) {
    const RegionPoint& a = c[i];
    const RegionPoint& b = c[(i + 1) % c.size()];
    length += std::hypot(b.x - a.x, b.y - a.y);
  }
  return length;
}

bool CheckRegion(const Region& region, int pixels, int lines, Messenger& messenger) {
  const char* why = nullptr;
  if (region.corners.size() < 3) {
    why = "多角形には3つ以上の角が必要です．";
  } else if (std::any_of(region.corners.begin(), region.corners.end(), [&](const RegionPoint& p) {
               return !(p.x >= 0.0 && p.y >= 0.0 && p.x <= pixels && p.y <= lines);
             })) {
    why = "範囲の角が画像の外にあります．";
  } else if (RegionSpans(region, pixels, lines).empty()) {
    why = "範囲の中に画素がありません．";
  }
  if (why) messenger.ShowText(RegionTitle(), ShownText(why));
  return why == nullptr;
}

namespace {

constexpr size_t kChunkBytes = size_t{4} << 20;

// Calls take(data, n) for the samples of every span of a band file, reading
// whole rows in large pieces when the region spans most of the width and
// only the region's columns of each row otherwise.
template <typename Take>
bool ForEachSpan(std::FILE* f, const std::vector<RowSpan>& spans, int pixels, int bytes,
                 Take&& take) {
  int32_t bx0 = pixels, bx1 = 0;
  for (const RowSpan& s : spans) {
    bx0 = std::min(bx0, s.x0);
    bx1 = std::max(bx1, s.x1);
  }
  const bool wholeRows = int64_t{bx1 - bx0} * 2 >= pixels;
  const int64_t rowBytes = int64_t{pixels} * bytes;
  std::vector<uint8_t> buffer;
  size_t i = 0;
  while (i < spans.size()) {
    const int32_t row = spans[i].row;
    int32_t lastRow = row, readX0 = bx0, readX1 = bx1;
    if (wholeRows) {
      // As many following rows as fit in the buffer.
      const int64_t fit = std::max<int64_t>(1, static_cast<int64_t>(kChunkBytes) / rowBytes);
      lastRow = static_cast<int32_t>(std::min<int64_t>(spans.back().row, row + fit - 1));
      readX0 = 0;
      readX1 = pixels;
    }
    const int64_t offset = (int64_t{row} * pixels + readX0) * bytes;
    const size_t length = lastRow == row ? static_cast<size_t>(int64_t{readX1 - readX0} * bytes)
                                         : static_cast<size_t>((lastRow - row + 1) * rowBytes);
    buffer.resize(length);
    if (!SeekTo(f, offset) || std::fread(buffer.data(), 1, length, f) != length) return false;
    for (; i < spans.size() && spans[i].row <= lastRow; ++i) {
      const RowSpan& s = spans[i];
      const int64_t at = (int64_t{s.row - row} * pixels + s.x0 - readX0) * bytes;
      take(buffer.data() + at, s.x1 - s.x0);
    }
  }
  return true;
}

// Statistics of whole-number values from their counts: exact sums.
void StatsFromCounts(const uint64_t* counts, int values, BandStats& s) {
  using Wide = unsigned __int128;
  uint64_t n = 0;
  Wide sum = 0, squares = 0;
  int lo = -1, hi = -1;
  for (int v = 0; v < values; ++v) {
    const uint64_t c = counts[v];
    if (!c) continue;
    if (lo < 0) lo = v;
    hi = v;
    n += c;
    sum += Wide{c} * static_cast<unsigned>(v);
    squares += Wide{c} * (uint64_t{static_cast<unsigned>(v)} * static_cast<unsigned>(v));
  }
  s.count = static_cast<int64_t>(n);
  if (!n) return;
  s.min = lo;
  s.max = hi;
  s.mean = static_cast<double>(sum) / static_cast<double>(n);
  const Wide spread = Wide{n} * squares - sum * sum;  // n² times the variance, never negative
  s.stddev = std::sqrt(static_cast<double>(spread) / (static_cast<double>(n) * n));
  const int width = hi - lo + 1;
  for (int v = lo; v <= hi; ++v)
    s.histogram[static_cast<size_t>((v - lo) * kRegionBins / width)] +=
        static_cast<int64_t>(counts[v]);
}

bool BandOf8(std::FILE* f, const std::vector<RowSpan>& spans, int pixels, BandStats& s) {
  // Four tables so that runs of equal values do not wait on one counter.
  std::vector<uint64_t> t(4 * 256, 0);
  uint64_t* t0 = t.data();
  uint64_t* t1 = t0 + 256;
  uint64_t* t2 = t1 + 256;
  uint64_t* t3 = t2 + 256;
  const bool ok = ForEachSpan(f, spans, pixels, 1, [&](const uint8_t* p, int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4) {
      ++t0[p[i]];
      ++t1[p[i + 1]];
      ++t2[p[i + 2]];
      ++t3[p[i + 3]];
    }
    for (; i < n; ++i) ++t0[p[i]];
  });
  for (int v = 0; v < 256; ++v) t0[v] += t1[v] + t2[v] + t3[v];
  StatsFromCounts(t0, 256, s);
  return ok;
}

bool BandOf16(std::FILE* f, const std::vector<RowSpan>& spans, int pixels, BandStats& s) {
  std::vector<uint64_t> t(65536, 0);
  const bool ok = ForEachSpan(f, spans, pixels, 2, [&](const uint8_t* p, int n) {
    for (int i = 0; i < n; ++i, p += 2) ++t[p[0] | (p[1] << 8)];
  });
  StatsFromCounts(t.data(), 65536, s);
  return ok;
}

bool BandOfFloat(std::FILE* f, const std::vector<RowSpan>& spans, int pixels, BandStats& s) {
  // Sums of differences from the first value keep the variance accurate
  // for values far from zero.
  bool any = false;
  double shift = 0.0, sum = 0.0, squares = 0.0, lo = 0.0, hi = 0.0;
  int64_t n = 0;
  const bool ok = ForEachSpan(f, spans, pixels, 4, [&](const uint8_t* p, int count) {
    for (int i = 0; i < count; ++i, p += 4) {
      const double v = FloatSample(p);
      if (std::isnan(v)) continue;  // no value
      if (!any) {
        any = true;
        shift = lo = hi = v;
      }
      lo = std::min(lo, v);
      hi = std::max(hi, v);
      const double d = v - shift;
      sum += d;
      squares += d * d;
      ++n;
    }
  });
  if (!ok) return false;
  s.count = n;
  if (!n) return true;
  s.min = lo;
  s.max = hi;
  s.mean = shift + sum / n;
  s.stddev = std::sqrt(std::max(0.0, (squares - sum * sum / n) / n));
  const double range = hi - lo;
  return ForEachSpan(f, spans, pixels, 4, [&](const uint8_t* p, int count) {
    for (int i = 0; i < count; ++i, p += 4) {
      const double v = FloatSample(p);
      if (std::isnan(v)) continue;
      const int bin = range > 0.0 ? static_cast<int>((v - lo) / range * kRegionBins) : 0;
      ++s.histogram[static_cast<size_t>(std::min(bin, kRegionBins - 1))];
    }
  });
}

}  // namespace

bool ComputeRegionStats(const std::string& settingsPath, const std::vector<SpectrumBand>& bands,
                        const Region& region, RegionStats& stats, Messenger& messenger) {
  stats = RegionStats{};
  // Every band is checked before any is read: no half-computed window.
  BandFiles files;
  if (!OpenWholeBands(settingsPath, bands, RegionTitle(), files, messenger) ||
      !CheckRegion(region, files.pixels, files.lines, messenger))
    return false;
  const std::vector<RowSpan> spans = RegionSpans(region, files.pixels, files.lines);
  RegionStats out;
  out.pixels = PixelCount(spans);
  out.perimeterPixels = PerimeterPixels(region);
  for (size_t i = 0; i < bands.size(); ++i) {
    BandStats s;
    s.band = bands[i];
    std::FILE* f = files.files[i].get();
    const bool ok = bands[i].sampleType == kSample8    ? BandOf8(f, spans, files.pixels, s)
                    : bands[i].sampleType == kSample16 ? BandOf16(f, spans, files.pixels, s)
                                                       : BandOfFloat(f, spans, files.pixels, s);
    if (!ok) {
      messenger.ShowText(RegionTitle(), Format(ShownText("バンド%dのファイルを開けませんでした．"),
                                               bands[i].number));
      return false;
    }
    out.bands.push_back(s);
  }
  stats = std::move(out);
  return true;
}

std::string AreaText(const GroundMeasure& m) {
  if (!m.measurable) return ShownText("測れません（地上距離がわかりません）");
  return ValueText(m.areaM2, 0) + " m² (" + ValueText(m.areaM2 / 1e4, 2) + " ha, " +
         ValueText(m.areaM2 / 1e6, 4) + " km²)";
}

std::string PerimeterText(const GroundMeasure& m) {
  if (!m.measurable) return ShownText("測れません（地上距離がわかりません）");
  if (m.perimeterM < 1000.0) return ValueText(m.perimeterM, 0) + " m";
  return ValueText(m.perimeterM / 1000.0, 3) + " km";
}

std::string RegionCsv(const RegionStats& stats, const GroundMeasure& measure) {
  std::string csv =
      "band,description,wavelength_um,pixels,min,max,mean,stddev,area_m2,perimeter_m,histogram\n";
  const std::string area = measure.measurable ? ValueText(measure.areaM2, 2) : "";
  const std::string perimeter = measure.measurable ? ValueText(measure.perimeterM, 2) : "";
  for (const BandStats& s : stats.bands) {
    csv += std::to_string(s.band.number) + "," + CsvField(s.band.description) + "," +
           WavelengthText(s.band.wavelength) + "," + std::to_string(s.count) + ",";
    if (s.count)
      csv += ValueText(s.min, 6) + "," + ValueText(s.max, 6) + "," + ValueText(s.mean, 6) + "," +
             ValueText(s.stddev, 6);
    else
      csv += ",,,";
    csv += "," + area + "," + perimeter + ",";
    for (size_t i = 0; i < s.histogram.size(); ++i) {
      if (i) csv += ' ';
      csv += std::to_string(s.histogram[i]);
    }
    csv += "\n";
  }
  return csv;
}

std::string RegionTitle() { return ShownText("範囲の統計"); }

}  // namespace lumora
