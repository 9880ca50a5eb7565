#include "core/analysis/vegetation_index.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/analysis/band_math.h"
#include "core/analysis/land_cover.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/band_io.h"
#include "core/support/allocation.h"
#include "core/support/checked_math.h"
#include "core/support/file_set.h"
#include "core/support/line_reader.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

namespace {

// The index range mapped to 0..255 is held in floats, so the mapping is
// float arithmetic: (index - minimum) * scale rounds as a float.
constexpr float kScaleMinimum = -1.0f;
constexpr float kScaleMaximum = 1.0f;
constexpr float kScale = 255 / (kScaleMaximum - kScaleMinimum);  // 127.5

// A sample as a float: a byte, an unsigned little-endian word, or a float
// whose first byte 0xFF marks "no data" (read as 0).
float SampleAt(const uint8_t* row, int type, int i) {
  switch (type) {
    case kSample16: return static_cast<float>(row[2 * i] | (row[2 * i + 1] << 8));
    case kSampleFloat: {
      const uint8_t* p = row + 4 * i;
      if (p[0] == 0xFF) return 0.0f;
      uint32_t bits = p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24);
      float f;
      std::memcpy(&f, &bits, sizeof f);
      return f;
    }
    default: return static_cast<float>(row[i]);
  }
}

// Rows are read and written in blocks to keep the calls few.
constexpr int64_t kBlockBytes = int64_t{1} << 20;

int Trunc(double v) {
  if (!(v > INT_MIN)) return v != v ? 0 : INT_MIN;
  if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(v);
}

}  // namespace

float NdviOfPixel(float x, float y, bool* error) {
  const double sum = static_cast<double>(x) + static_cast<double>(y);
  if (std::fabs(sum) < FLT_EPSILON) {
    if (error) *error = true;
    return -1.0f;
  }
  if (error) *error = false;
  return static_cast<float>((static_cast<double>(x) - static_cast<double>(y)) / sum);
}

uint8_t NdviByte(float index) {
  const float v = (index - kScaleMinimum) * kScale;
  if (v > 255.0) return 255;
  if (!(v >= 0.0)) return 0;
  return static_cast<uint8_t>(std::trunc(v + 0.5));
}

namespace {

// Bytes of count 8-bit pairs from the table; largest and smallest take the
// extreme indices met.
void MapBytePairs(const uint8_t* __restrict px, const uint8_t* __restrict py,
                  const uint8_t* __restrict table, uint8_t* __restrict out, size_t count,
                  float& largest, float& smallest) {
  for (size_t i = 0; i < count; ++i) out[i] = table[(unsigned{px[i]} << 8) | py[i]];
  uint8_t top = 0, bottom = 255;
  for (size_t i = 0; i < count; ++i) {
    top = std::max(top, out[i]);
    bottom = std::min(bottom, out[i]);
  }
  for (size_t i = 0; i < count; ++i) {
    if (out[i] != top && out[i] != bottom) continue;
    const float index = NdviOfPixel(px[i], py[i]);
    largest = std::max(largest, index);
    smallest = std::min(smallest, index);
  }
}

}  // namespace

BandPair NdviPreset(int sensor) {
  if (sensor == kSensorAster) return {3, 2};
  if (sensor == kSensorTm) return {4, 3};
  return {4, 2};
}

std::string FormatRangeFile(float largest, float smallest) {
  return std::string(kRangeFileHeader) + "\n" +
         Format("%lf,%lf\n", static_cast<double>(largest), static_cast<double>(smallest));
}

bool RunVegetationIndex(const StepSource& source, const std::string& targetBase,
                        const NdviParams& params, StepResult& result, Messenger& messenger,
                        Progress& progress) {
  const int width = source.settings.pixels;
  const int height = source.settings.lines;
  const int xSize = SampleBytes(params.xType);
  const int ySize = SampleBytes(params.yType);
  if (width <= 0 || height <= 0 || xSize == 0 || ySize == 0) {
    messenger.ShowMessage(kMsgBadImageSize);
    return false;
  }
  if (!DeleteFiles(targetBase + ".*")) {
    messenger.ShowMessage(kMsgDeleteFailed);
    return false;
  }
  if (!CopyCompanions(source.basePath, targetBase, {".lev", ".dem"}, messenger)) return false;
  if (!WriteBandDescription(targetBase, 1, "植生指数データ　単バンド")) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }

  FilePtr inX = OpenBand(source.basePath, params.xType, params.xBand, width, height, messenger);
  FilePtr inY =
      inX ? OpenBand(source.basePath, params.yType, params.yBand, width, height, messenger)
          : nullptr;
  if (!inY) return false;
  BandWriter out;
  if (!out.Create(BandFilePath(targetBase, kSample8, 1))) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }

  const int64_t widest = std::max(xSize, ySize) * int64_t{width};
  const int rowsPerBlock =
      static_cast<int>(std::clamp<int64_t>(kBlockBytes / widest, 1, int64_t{height}));
  std::vector<uint8_t> bufX, bufY, bufOut;
  std::vector<uint8_t> table;
  const bool bytePairs = params.xType == kSample8 && params.yType == kSample8;
  if (!AllocateOrReport(messenger, [&] {
        bufX.resize(static_cast<size_t>(xSize) * width * rowsPerBlock);
        bufY.resize(static_cast<size_t>(ySize) * width * rowsPerBlock);
        bufOut.resize(static_cast<size_t>(width) * rowsPerBlock);
        if (bytePairs) table.resize(65536);
      }))
    return false;
  // 8-bit pairs take their bytes from a table. The byte never falls as the
  // index rises, so the largest index lies among the pixels of the largest
  // byte (the smallest likewise): only those are computed again.
  if (bytePairs)
    for (int x = 0; x < 256; ++x)
      for (int y = 0; y < 256; ++y)
        table[(x << 8) | y] = NdviByte(NdviOfPixel(static_cast<float>(x), static_cast<float>(y)));

  float largest = -1.0f;
  float smallest = 1.0f;
  progress.Create(std::max(1, height / 100), "処理中");
  for (int row = 0; row < height; row += rowsPerBlock) {
    const int rows = std::min(rowsPerBlock, height - row);
    const size_t nx = static_cast<size_t>(xSize) * width * rows;
    const size_t ny = static_cast<size_t>(ySize) * width * rows;
    if (std::fread(bufX.data(), 1, nx, inX.get()) != nx ||
        std::fread(bufY.data(), 1, ny, inY.get()) != ny)
      return progress.Fail(messenger, kMsgBandFileShort);
    const size_t count = static_cast<size_t>(width) * rows;
    if (bytePairs) {
      MapBytePairs(bufX.data(), bufY.data(), table.data(), bufOut.data(), count, largest, smallest);
    } else {
      for (size_t i = 0; i < count; ++i) {
        const float index = NdviOfPixel(SampleAt(bufX.data(), params.xType, static_cast<int>(i)),
                                        SampleAt(bufY.data(), params.yType, static_cast<int>(i)));
        if (index > largest) largest = index;
        if (index < smallest) smallest = index;
        bufOut[i] = NdviByte(index);
      }
    }
    if (!out.Write(bufOut.data(), count)) {
      progress.Close();
      return out.Close(messenger);
    }
    for (int r = 0; r < rows; ++r)
      progress.SetProgress(static_cast<float>(row + r) / static_cast<float>(height));
  }
  progress.Close();
  if (!out.Close(messenger)) return false;
  return FinishIndexResult(targetBase, FormatRangeFile(largest, smallest), width, height,
                           params.rainbow, result, messenger);
}

bool FinishIndexResult(const std::string& targetBase, const std::string& rangeText, int width,
                       int height, bool rainbow, StepResult& result, Messenger& messenger) {
  if (!WriteFileAtomically(targetBase + ".ndv", rangeText)) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  result.lines = height;
  result.pixels = width;
  result.fileState = kStateVegetation;
  result.rainbow = rainbow ? 1 : 0;
  result.singleBand = 1;
  return true;
}

StepBody MakeVegetationIndexStep(NdviParams params) {
  return [params](const StepSource& source, const std::string& targetBase, StepResult& result,
                  Messenger& messenger, Progress& progress) {
    return RunVegetationIndex(source, targetBase, params, result, messenger, progress);
  };
}

bool ParseRangeFile(std::string_view text, double& largest, double& smallest) {
  StringLineReader reader(text, 256);
  std::string first, second;
  if (!reader.Next(first) || !reader.Next(second)) return false;
  const size_t comma = second.find(',');
  if (comma == std::string::npos) return false;
  largest = AtoF(std::string_view(second).substr(0, comma));
  smallest = AtoF(std::string_view(second).substr(comma + 1));
  return true;
}

namespace {

// Reads the range file beside a settings file; reports and fails like the legend does.
bool ReadRangeBeside(const std::string& settingsPath, double& largest, double& smallest,
                     Messenger& messenger, std::string* formula = nullptr,
                     DivergingColours* diverging = nullptr,
                     std::optional<ChangeCounts>* change = nullptr) {
  // The range file is two short lines; a hostile one is not read beyond its bound.
  std::string text;
  const TextRead read =
      ReadTextFile(ResolveNoCase(StripExtension(settingsPath) + ".ndv"), kMaxRangeFileBytes, text);
  if (read == TextRead::kCannotOpen) {
    messenger.ShowMessage(kMsgOpenFailed);
    return false;
  }
  if (read == TextRead::kTooLarge || !ParseRangeFile(text, largest, smallest)) {
    messenger.ShowMessage(kMsgBadNdvFile);
    return false;
  }
  if (formula) *formula = MathFormulaOfRangeFile(text);
  if (diverging) *diverging = RangeColours(text);
  ChangeCounts counts;
  if (change) *change = ParseChangeCounts(text, counts) ? std::optional(counts) : std::nullopt;
  return true;
}

}  // namespace

bool FillRampFromRangeFile(const std::string& settingsPath, bool rainbow, RampLegend& legend,
                           Messenger& messenger) {
  double largest = 0.0, smallest = 0.0;
  std::string formula;
  DivergingColours diverging = DivergingColours::kNone;
  std::optional<ChangeCounts> change;
  if (!ReadRangeBeside(settingsPath, largest, smallest, messenger, &formula, &diverging, &change))
    return false;
  legend.change = change;
  legend.diverging = diverging;
  legend.formula = formula;
  legend.maximum = static_cast<float>(largest);
  legend.minimum = static_cast<float>(smallest);
  legend.middle = static_cast<float>((legend.maximum - legend.minimum) * 0.5 + legend.minimum);
  legend.topLabel = Format("%3.2lf", static_cast<double>(legend.maximum));
  legend.middleLabel = Format("%3.2lf", static_cast<double>(legend.middle));
  legend.bottomLabel = Format("%3.2lf", static_cast<double>(legend.minimum));
  legend.rainbow = rainbow;
  legend.mode = 1;
  return true;
}

void FillRampFromNumbers(float maximum, float minimum, bool rainbow, RampLegend& legend) {
  legend.maximum = maximum;
  legend.minimum = minimum;
  legend.middle = static_cast<float>((maximum - minimum) * 0.5 + minimum);
  legend.topLabel = Format("%3d", Trunc(maximum));
  legend.middleLabel = Format("%4.1lf", static_cast<double>(legend.middle));
  legend.bottomLabel = Format("%3d", Trunc(minimum));
  legend.rainbow = rainbow;
  legend.mode = 0;
  legend.formula.clear();
  legend.diverging = DivergingColours::kNone;
  legend.change.reset();
}

RainbowEntry RampColour(const RampLegend& legend, int k, bool rainbow, bool reversed) {
  if (legend.diverging != DivergingColours::kNone)
    return Diverging(legend.diverging)[std::max(k, 1)];
  if (rainbow) return Rainbow()[reversed ? 255 - k : k];
  if (!legend.formula.empty()) {
    // Band maths spreads its range over the display bytes.
    const auto b = static_cast<uint8_t>(std::max(k, 1));
    return RainbowEntry{b, b, b};
  }
  // Computed as the float range times k over 255, then in double.
  const float f = (legend.maximum - legend.minimum) * k / 255 + legend.minimum;
  const int g = std::clamp(Trunc((f + 1.0) * 128.0 + 0.5), 0, 255);
  const auto b = static_cast<uint8_t>(g);
  return RainbowEntry{b, b, b};
}

std::vector<LegendRect> RampScreenSteps(int left, int top, int right, int bottom, int& penWidth) {
  penWidth = std::max(0, right - left - 2);
  const double step = (bottom - top) / 256.0;
  std::vector<LegendRect> steps;
  for (int k = 0; k < 256; ++k)
    steps.push_back(LegendRect{right - (right - left - 2) - 1, Trunc(bottom - k * step), right - 1,
                               Trunc(bottom - (k + 1) * step)});
  return steps;
}

bool LayoutRampOnPage(const RampLegend& legend, const std::string& settingsPath, float dispMin,
                      float dispMax, bool rainbow, bool reversed, int anchorX, int anchorY,
                      int corner, double s, RampPageLayout& out, Messenger& messenger) {
  double maximum = dispMax, minimum = dispMin;
  if (legend.mode == 1 && !ReadRangeBeside(settingsPath, maximum, minimum, messenger)) return false;
  out = RampPageLayout();
  const float step = static_cast<float>(0.390625 * s);
  const int w = Trunc(23 * s);
  const int x0 = anchorX + Trunc(10 * s);
  const int y0 = (corner == 0 || corner == 3) ? anchorY + Trunc(100 * s) : anchorY;
  out.penWidth = w;
  for (int k = 0; k < 256; ++k) {
    out.steps.push_back(
        LegendRect{x0 + 1, Trunc(y0 - k * step), x0 + w + 1, Trunc(y0 - (k + 1) * step)});
    out.colours.push_back(RampColour(legend, k, rainbow, reversed));
  }
  out.frame = LegendRect{x0, y0, x0 + Trunc(25 * s), y0 + Trunc(-100 * s)};
  const int lx = Trunc(x0 + 30 * s);
  const double middle = (minimum + maximum) * 0.5;
  const bool fromFile = legend.mode == 1;
  out.labels.push_back({lx, Trunc(y0 - 110 * s), Format(fromFile ? "%3.2lf" : "%3.0lf", maximum)});
  out.labels.push_back({lx, Trunc(y0 - 60 * s), Format(fromFile ? "%3.2lf" : "%4.1lf", middle)});
  out.labels.push_back({lx, Trunc(y0 - 10 * s), Format(fromFile ? "%3.2lf" : "%3.0lf", minimum)});
  if (fromFile && !legend.formula.empty()) {
    out.labels.push_back({x0, Trunc(y0 - 130 * s), legend.formula});
    out.labels.push_back({x0, Trunc(y0 + 15 * s), NoValueLabel()});
  }
  return true;
}

}  // namespace lumora
