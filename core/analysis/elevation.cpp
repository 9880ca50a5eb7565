#include "core/analysis/elevation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>

#include "core/imagefile/settings_file.h"
#include "core/support/allocation.h"
#include "core/support/checked_math.h"
#include "core/support/file_handle.h"
#include "core/support/file_set.h"
#include "core/support/line_reader.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {
namespace {

constexpr double kPerCodeStep = 0.003937007874015748;  // 1 / 254

// Altitude of a code, truncated: the range bottom and top.
int32_t TruncatedAltitude(int32_t code, double metresPerCode, int32_t minAltitude) {
  return TruncToInt((double(code) - 1) * metresPerCode + minAltitude);
}

// The hundreds above a value (the value itself when it is one).
int32_t CeilHundred(int32_t v) {
  const int64_t q = v >= 0 ? (int64_t{v} + 99) / 100 : int64_t{v} / 100;
  const int64_t r = q * 100;
  return r > std::numeric_limits<int32_t>::max() ? v : static_cast<int32_t>(r);
}

Bgr HsvToBgr(double h, double s, double v) {
  double r, g, b;
  if (h == 0.0) {
    r = g = b = v;
  } else {
    const double hh = 6.0 * (h - std::floor(h));
    const int sector = static_cast<int>(hh);
    const double f = hh - sector;
    const double p = v * (1.0 - s);
    const double q = v * (1.0 - s * f);
    const double t = v * (1.0 - s * (1.0 - f));
    switch (sector) {
      case 0: r = v, g = t, b = p; break;
      case 1: r = q, g = v, b = p; break;
      case 2: r = p, g = v, b = t; break;
      case 3: r = p, g = q, b = v; break;
      case 4: r = t, g = p, b = v; break;
      default: r = v, g = p, b = q; break;
    }
  }
  return {static_cast<uint8_t>(b * 255.0), static_cast<uint8_t>(g * 255.0),
          static_cast<uint8_t>(r * 255.0)};
}

}  // namespace

double MetresPerCode(int32_t minAltitude, int32_t maxAltitude) {
  return static_cast<double>(int64_t{maxAltitude} - minAltitude) * kPerCodeStep;
}

double AltitudeOfCode(int code, double metresPerCode, int32_t minAltitude) {
  return (code - 1) * metresPerCode + minAltitude;
}

bool ReliefScaleUsable(double metresPerCode, double lengthPerPixel, double maxExaggeration) {
  if (!(lengthPerPixel > 0.0) || !std::isfinite(lengthPerPixel)) return false;
  const double top = HeightOfCode(255, metresPerCode, lengthPerPixel) * maxExaggeration;
  // Differences and sums of heights must stay finite too.
  return std::isfinite(top) && std::fabs(top) < 1e100;
}

int32_t TruncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

std::string CompanionPath(const std::string& settingsPath, const std::string& extension) {
  return ResolveNoCase(StripExtension(settingsPath) + extension).string();
}

bool LoadElevation(const std::string& settingsPath, int32_t pixels, int32_t lines,
                   ElevationModel& model, Messenger& messenger, Progress& progress) {
  ElevationRange range;
  if (!ReadElevationRangeFile(CompanionPath(settingsPath, ".lev"), range))
    return progress.Fail(messenger, kMsgOpenFailed);
  if (range.minAltitude > range.maxAltitude || range.minCode > range.maxCode)
    return progress.Fail(messenger, kMsgBadDem);
  if (pixels < 1 || lines < 1) return progress.Fail(messenger, kMsgBadImageSize);
  const std::string demPath = CompanionPath(settingsPath, ".dem");
  FilePtr f = OpenRegularFile(demPath);
  if (!f) return progress.Fail(messenger, kMsgOpenFailed);
  const auto bytes = CheckedMul(pixels, lines);
  // A code file too short for the image is refused before its buffer is
  // taken, so a hostile size cannot claim memory for nothing.
  std::error_code ec;
  const auto fileBytes = std::filesystem::file_size(demPath, ec);
  if (bytes && !ec && fileBytes < static_cast<uintmax_t>(*bytes))
    return progress.Fail(messenger, kMsgBadDem);
  std::vector<uint8_t> codes;
  if (!AllocatableBytes(bytes)) return progress.Fail(messenger, kMsgNoMemory);
  if (!AllocateOrReport(
          messenger,
          [&] {
            ReserveLarge(codes, static_cast<size_t>(*bytes));
            codes.resize(static_cast<size_t>(*bytes));
          },
          &progress))
    return false;
  // Straight into the codes in blocks of rows: no copy through a stream
  // buffer, few reads, and the bar still moves.
  std::setvbuf(f.get(), nullptr, _IONBF, 0);
  const int32_t blockRows = std::max<int32_t>(1, (int32_t{4} << 20) / pixels);
  int32_t row = 0;
  while (row < lines) {
    const int32_t count = std::min(blockRows, lines - row);
    uint8_t* dst = codes.data() + size_t(row) * size_t(pixels);
    if (std::fread(dst, 1, size_t(count) * size_t(pixels), f.get()) !=
        size_t(count) * size_t(pixels))
      return progress.Fail(messenger, kMsgBadDem);
    row += count;
    progress.SetProgress(static_cast<float>(row) / (2.0f * lines));
  }
  model.range = range;
  model.pixels = pixels;
  model.lines = lines;
  model.metresPerCode = MetresPerCode(range.minAltitude, range.maxAltitude);
  model.rangeBottom = TruncatedAltitude(range.minCode, model.metresPerCode, range.minAltitude);
  model.rangeTop = TruncatedAltitude(range.maxCode, model.metresPerCode, range.minAltitude);
  model.codes.swap(codes);
  return true;
}

Bgr ElevationColour(int index) {
  if (index > 255) index = 255;
  if (index < 0) index = 0;
  if (index == 0) return {255, 0, 0};
  const double h = (254 - (index - 1)) * 0.4330708661417323 * 0.002777777777777778;
  return HsvToBgr(h, 0.75, 0.65);
}

ElevationColourTable BuildElevationColours() {
  ElevationColourTable table;
  for (int i = 0; i < 256; ++i) table[i] = ElevationColour(i);
  return table;
}

DisplayRange AbsoluteDisplayRange(int32_t rangeTop) {
  DisplayRange r;
  r.bottom = 0;
  r.top = rangeTop <= 2000 ? 3000 : rangeTop <= 4000 ? 5000 : rangeTop <= 6000 ? 7000 : 9000;
  return r;
}

DisplayRange RelativeDisplayRange(int32_t rangeBottom, int32_t rangeTop) {
  DisplayRange r;
  r.top = CeilHundred(rangeTop);
  r.bottom = rangeBottom < 100 ? 0 : rangeBottom / 100 * 100;
  if (r.top <= r.bottom)
    r.top = r.bottom <= std::numeric_limits<int32_t>::max() - 100 ? r.bottom + 100 : r.bottom;
  return r;
}

DisplayRange DisplayRangeFor(int fileState, int32_t rangeBottom, int32_t rangeTop) {
  if (fileState == kStateElevationRelative || fileState == kStateShadeRelative)
    return RelativeDisplayRange(rangeBottom, rangeTop);
  return AbsoluteDisplayRange(rangeTop);
}

double RawColourIndex(int code, double metresPerCode, int32_t minAltitude, DisplayRange range) {
  const double altitude = AltitudeOfCode(code, metresPerCode, minAltitude);
  return (altitude - range.bottom) / (double(range.top) - range.bottom) * 254.0 + 1.0;
}

CodeIndexTable BuildCodeIndexTable(const ElevationModel& model, DisplayRange range) {
  CodeIndexTable table{};
  table[0] = 0;
  for (int c = 1; c < 256; ++c) {
    const double raw = RawColourIndex(c, model.metresPerCode, model.range.minAltitude, range);
    // Codes outside the range file's span, or below 0 m on the absolute
    // scale, would fall off the table: keep them on its ends.
    int index = raw >= 255.0 ? 255 : raw < 1.0 ? 1 : static_cast<int>(raw);
    table[c] = static_cast<uint8_t>(index);
  }
  return table;
}

std::string DemLegendRange::LowLabel() const { return Format("%dm", TruncToInt(low)); }
std::string DemLegendRange::HighLabel() const { return Format("%dm", TruncToInt(high)); }
std::string DemLegendRange::LowPrintLabel() const { return Format("%4dm", TruncToInt(low)); }
std::string DemLegendRange::HighPrintLabel() const { return Format("%4dm", TruncToInt(high)); }

int ElevationLegendHint(const std::string& settingsPath, int fileState) {
  if (fileState != kStateBirdsEye) return 0;
  DisplayStateFile brd;
  if (!ReadDisplayStateFile(CompanionPath(settingsPath, ".brd"), brd)) return 0;
  return brd.state;
}

bool ReadDemLegendRange(const std::string& settingsPath, int fileState, int hint,
                        DemLegendRange& out, Messenger& messenger) {
  ElevationRange range;
  range.minCode = -1;
  range.maxCode = -1;
  range.minAltitude = 0;
  range.maxAltitude = 0;
  if (!ReadElevationRangeFile(CompanionPath(settingsPath, ".lev"), range)) {
    messenger.ShowMessage(kMsgOpenFailed);
    return false;
  }
  if (range.maxCode < 0) range.maxCode = 255;
  if (range.minCode < 0) range.minCode = 1;
  if (range.minAltitude > range.maxAltitude || range.minCode > range.maxCode) {
    messenger.ShowMessage(kMsgBadDem);
    return false;
  }
  const double step = MetresPerCode(range.minAltitude, range.maxAltitude);
  const int32_t low = TruncatedAltitude(range.minCode, step, range.minAltitude);
  const int32_t high = TruncatedAltitude(range.maxCode, step, range.minAltitude);
  const bool relative = fileState == kStateElevationRelative || fileState == kStateShadeRelative ||
                        hint == kStateElevationRelative || hint == kStateShadeRelative;
  const DisplayRange shown =
      relative ? RelativeDisplayRange(low, high) : AbsoluteDisplayRange(high);
  out.low = shown.bottom;
  out.high = shown.top;
  return true;
}

}  // namespace lumora
