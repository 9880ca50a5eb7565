// Statistics of a region of an image (a rectangle or a polygon in 0-based
// source pixels; a pixel belongs when its centre is inside) for every band,
// and its ground area and perimeter. Band rows are streamed: only the rows
// and columns the region covers are read.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/imagefile/ground_scale.h"
#include "core/support/messenger.h"
#include "core/windows/spectrum.h"

namespace lumora {

struct RegionPoint {
  double x = 0.0, y = 0.0;
};

// The corners of a polygon, in order; a rectangle is its four corners.
struct Region {
  std::vector<RegionPoint> corners;
  bool rectangle = false;
};
Region RectangleRegion(int left, int top, int width, int height);

// The pixels of one row whose centres are inside: x0 .. x1 - 1.
struct RowSpan {
  int32_t row = 0, x0 = 0, x1 = 0;
};

// Spans of the pixels inside (even-odd rule, so a figure crossing itself
// leaves out what it encloses twice), row by row, cut to an image of
// pixels x lines. No message.
std::vector<RowSpan> RegionSpans(const Region& region, int pixels, int lines);
int64_t PixelCount(const std::vector<RowSpan>& spans);
// Length of the closed outline, in pixels.
double PerimeterPixels(const Region& region);

// A region the statistics accept: at least three corners, every corner
// inside the image (its edges included), at least one pixel. A message
// titled RegionTitle() says what is wrong.
bool CheckRegion(const Region& region, int pixels, int lines, Messenger& messenger);

inline constexpr int kRegionBins = 32;

struct BandStats {
  SpectrumBand band;
  int64_t count = 0;  // pixels with a value (float bands leave out NaN)
  double min = 0.0, max = 0.0, mean = 0.0, stddev = 0.0;  // population deviation
  // kRegionBins equal bins from min to max: for whole-number bands the last
  // bin ends at max + 1, for float bands it includes max.
  std::array<int64_t, kRegionBins> histogram{};
};

struct RegionStats {
  int64_t pixels = 0;
  double perimeterPixels = 0.0;
  std::vector<BandStats> bands;
};

// Statistics of the bands (as ListSpectrumBands gave them) of the set
// beside settingsPath. Refuses (with a message, stats left empty) a bad
// region, a band gone missing or unreadable since it was listed, and a band
// of another size.
bool ComputeRegionStats(const std::string& settingsPath, const std::vector<SpectrumBand>& bands,
                        const Region& region, RegionStats& stats, Messenger& messenger);

// "45000 m² (4.5 ha, 0.045 km²)" and "900 m" / "12.3 km"; the
// "not measurable" text in the interface language when it is not.
std::string AreaText(const GroundMeasure& m);
std::string PerimeterText(const GroundMeasure& m);

// The statistics as CSV: a header row and one row per band; the last column
// holds the histogram's counts separated by spaces.
std::string RegionCsv(const RegionStats& stats, const GroundMeasure& measure);

std::string RegionTitle();

}  // namespace lumora
