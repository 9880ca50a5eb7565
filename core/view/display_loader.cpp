// Display image loading from band files.
#include "core/view/display_loader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/allocation.h"
#include "core/support/checked_math.h"
#include "core/support/file_handle.h"
#include "core/support/file_set.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/view/rainbow.h"

namespace lumora {
namespace {

// The display reads what a band holds; the composition dialog has asked
// about a length that differs from the image's.
FilePtr OpenShownBand(const std::string& basePath, int sampleType, int band) {
  return OpenRegularFile(ResolveNoCase(BandFilePath(basePath, sampleType, band)).string());
}

// Reads count bytes at offset; what lies beyond the end of the file (or an
// impossible offset) reads as 0.
void ReadAt(std::FILE* f, int64_t offset, uint8_t* buf, size_t count) {
  size_t got = 0;
  if (SeekTo(f, offset)) got = std::fread(buf, 1, count, f);
  if (got < count) std::memset(buf + got, 0, count - got);
}

inline float LeFloat(const uint8_t* p) {
  const uint32_t u =
      uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
  return std::bit_cast<float>(u);
}

}  // namespace

namespace {
bool StepFits(const AreaRect& area, int32_t step) {
  const int32_t w = DibExtent(area.m_nAreaPixels, step);
  const int32_t h = DibExtent(area.m_nAreaLines, step);
  return w >= 1 && h >= 1 && Dib::StrideFor(w) * h <= kMaxDibBytes && w <= kMaxDibWidth;
}
}  // namespace

int32_t AutomaticStep(const AreaRect& area) {
  for (int32_t step = 1; step <= kMaxReductionStep; ++step)
    if (StepFits(area, step)) return step;
  return 0;
}

bool AllocateDisplayImage(DisplayState& state, const AreaRect& area, Dib& out,
                          Messenger& messenger) {
  auto tryStep = [&](int32_t step) {
    const int32_t w = DibExtent(area.m_nAreaPixels, step);
    const int32_t h = DibExtent(area.m_nAreaLines, step);
    Dib dib;
    if (!dib.Create(w, h)) return false;
    out = std::move(dib);
    state.m_nStep = step;
    state.m_nDibWidth = w;
    state.m_nDibHeight = h;
    return true;
  };
  if (state.m_nStep < 1) {
    // A step whose bitmap fits but cannot be had gives way to the next one.
    for (int32_t step = 1; step <= kMaxReductionStep; ++step)
      if (StepFits(area, step) && tryStep(step)) return true;
  } else if (tryStep(state.m_nStep)) {
    return true;
  }
  messenger.ShowMessage(kMsgNoMemory);
  return false;
}

ChannelScale MakeChannelScale(float lo, float hi) {
  ChannelScale c;
  c.lo = lo;
  c.hi = hi;
  if (c.hi - c.lo < 1.1920929e-07) c.hi = static_cast<float>(c.lo + 2.3841858e-07);
  c.s = 255 / (c.hi - c.lo);
  return c;
}

void FloatGridRange(const std::string& bandPath, int32_t imagePixels, const AreaRect& area,
                    int32_t dibWidth, int32_t dibHeight, float& lo, float& hi) {
  bool any = false;
  lo = 0.0f;
  hi = 0.0f;
  FilePtr f = OpenRegularFile(bandPath);
  const int32_t rows = std::min(100, dibHeight);
  const int32_t cols = std::min(100, dibWidth);
  if (f && rows > 0 && cols > 0) {
    const int64_t rowGap = std::max(1, (dibHeight - 100) / 100);
    const int64_t colGap = std::max(1, (dibWidth - 100) / 100);
    const int64_t span = (cols - 1) * colGap + 1;
    std::vector<uint8_t> buf(static_cast<size_t>(span) * 4);
    for (int32_t r = 0; r < rows; ++r) {
      const int64_t line = area.m_nAreaTop + r * rowGap;
      const int64_t offset = (int64_t{imagePixels} * line + area.m_nAreaLeft) * 4;
      size_t got = 0;
      if (SeekTo(f.get(), offset)) got = std::fread(buf.data(), 1, buf.size(), f.get());
      for (int64_t k = 0; k < cols && (k * colGap + 1) * 4 <= static_cast<int64_t>(got); ++k) {
        const uint8_t* p = buf.data() + k * colGap * 4;
        if (p[0] == 255) continue;
        const float v = LeFloat(p);
        if (!std::isfinite(v)) continue;
        if (!any) {
          lo = hi = v;
          any = true;
        } else {
          lo = std::min(lo, v);
          hi = std::max(hi, v);
        }
      }
    }
  }
}

namespace {

// Three 8-bit channels whose files all open: their rows are read side by
// side and interleaved in one pass. False (nothing read) otherwise, for the
// channel-by-channel reading to go its way.
bool ReadByteChannels(DisplayState& state, const AreaRect& area, bool resetRange, Dib& dib,
                      Progress& progress) {
  const std::string base = StripExtension(state.m_strSettingsPath);
  const int32_t bands[3] = {state.m_nBlueBand, state.m_nGreenBand, state.m_nRedBand};
  const int32_t types[3] = {state.m_nBlueType, state.m_nGreenType, state.m_nRedType};
  FilePtr files[3];
  for (int c = 0; c < 3; ++c) {
    if (SampleBytes(types[c]) != 1) return false;
    files[c] = OpenShownBand(base, types[c], bands[c] + 1);
    if (!files[c]) return false;
  }
  const int32_t w = dib.width;
  const int32_t h = dib.height;
  const int64_t step = state.m_nStep;
  const size_t rowBytes = static_cast<size_t>((w - 1) * step + 1);
  std::vector<uint8_t> rows;
  if (!TryAllocate([&] { rows.resize(3 * rowBytes); })) return false;
  uint8_t lo = 255, hi = 0;
  for (int32_t i = 0; i < h; ++i) {
    const int64_t line = area.m_nAreaTop + i * step;
    const uint8_t* src[3];
    for (int c = 0; c < 3; ++c) {
      uint8_t* row = rows.data() + c * rowBytes;
      ReadAt(files[c].get(), int64_t{state.m_nImagePixels} * line + area.m_nAreaLeft, row,
             rowBytes);
      src[c] = row;
    }
    uint8_t* dst = dib.StoredRow(h - 1 - i);
    if (step == 1) {
      for (int32_t j = 0; j < w; ++j) {
        dst[3 * j] = src[0][j];
        dst[3 * j + 1] = src[1][j];
        dst[3 * j + 2] = src[2][j];
      }
    } else {
      for (int32_t j = 0; j < w; ++j)
        for (int c = 0; c < 3; ++c) dst[3 * j + c] = src[c][j * step];
    }
    if (resetRange) {
      // Every stored byte of the row, where they lie side by side.
      for (int64_t k = 0; k < int64_t{3} * w; ++k) {
        lo = std::min(lo, dst[k]);
        hi = std::max(hi, dst[k]);
      }
    }
    progress.SetProgress(static_cast<float>(i) / h);
  }
  if (resetRange) {
    if (lo < state.m_fDispMin) state.m_fDispMin = lo;
    if (hi > state.m_fDispMax) state.m_fDispMax = hi;
  }
  progress.Close();
  return true;
}

}  // namespace

ChannelScale ShownChannelScale(const DisplayState& state, const AreaRect& area, int32_t dibWidth,
                               int32_t dibHeight, int channel) {
  const int32_t bands[3] = {state.m_nBlueBand, state.m_nGreenBand, state.m_nRedBand};
  const int32_t types[3] = {state.m_nBlueType, state.m_nGreenType, state.m_nRedType};
  const int bps = SampleBytes(types[channel]);
  if (bps == 2) return MakeChannelScale(0.0f, 65535.0f);
  if (bps != 4) return ChannelScale{};
  float lo, hi;
  FloatGridRange(ResolveNoCase(BandFilePath(StripExtension(state.m_strSettingsPath), types[channel],
                                            bands[channel] + 1))
                     .string(),
                 state.m_nImagePixels, area, dibWidth, dibHeight, lo, hi);
  return MakeChannelScale(lo, hi);
}

bool ReadDisplayChannels(DisplayState& state, const AreaRect& area, bool resetRange, Dib& dib,
                         Messenger& messenger, Progress& progress) {
  const std::string base = StripExtension(state.m_strSettingsPath);
  const int32_t bands[3] = {state.m_nBlueBand, state.m_nGreenBand, state.m_nRedBand};
  const int32_t types[3] = {state.m_nBlueType, state.m_nGreenType, state.m_nRedType};
  const int32_t w = dib.width;
  const int32_t h = dib.height;
  const int64_t step = state.m_nStep;
  const int64_t imagePixels = state.m_nImagePixels;
  progress.Create(10, "読み込み中");
  if (ReadByteChannels(state, area, resetRange, dib, progress)) return true;
  for (int c = 0; c < 3; ++c) {
    const int bps = SampleBytes(types[c]);
    FilePtr f = bps ? OpenShownBand(base, types[c], bands[c] + 1) : nullptr;
    if (!f) return progress.Fail(messenger, kMsgOpenFailed);
    // Only the samples the step keeps are needed from each row.
    const int64_t rowBytes = ((w - 1) * step + 1) * bps;
    std::vector<uint8_t> row;
    if (!AllocateOrReport(
            messenger, [&] { row.resize(static_cast<size_t>(rowBytes)); }, &progress))
      return false;
    const ChannelScale scale = ShownChannelScale(state, area, w, h, c);
    int minByte = 256, maxByte = -1;
    for (int32_t i = 0; i < h; ++i) {
      const int64_t line = area.m_nAreaTop + i * step;
      ReadAt(f.get(), (imagePixels * line + area.m_nAreaLeft) * bps, row.data(), row.size());
      uint8_t* dst = dib.StoredRow(h - 1 - i) + c;
      int rowMin = 256, rowMax = -1;
      if (bps == 1) {
        const uint8_t* src = row.data();
        for (int32_t j = 0; j < w; ++j, src += step, dst += 3) *dst = *src;
      } else {
        const uint8_t* src = row.data();
        for (int32_t j = 0; j < w; ++j, src += bps * step, dst += 3)
          *dst = ShownByte(src, bps, scale);
      }
      if (resetRange) {
        const uint8_t* p = dib.StoredRow(h - 1 - i) + c;
        for (int32_t j = 0; j < w; ++j, p += 3) {
          rowMin = std::min<int>(rowMin, *p);
          rowMax = std::max<int>(rowMax, *p);
        }
        minByte = std::min(minByte, rowMin);
        maxByte = std::max(maxByte, rowMax);
      }
      progress.SetProgress(static_cast<float>(c * int64_t{h} + i) / (3 * int64_t{h}));
    }
    if (resetRange && maxByte >= 0) {
      if (minByte < state.m_fDispMin) state.m_fDispMin = static_cast<float>(minByte);
      if (maxByte > state.m_fDispMax) state.m_fDispMax = static_cast<float>(maxByte);
    }
  }
  progress.Close();
  return true;
}

namespace {
// An index result whose range file asks for it is drawn in the diverging
// colours, by its codes (its legend fixes the range, so no stretch applies).
DivergingColours DrawnDiverging(const DisplayState& s) {
  if (s.m_bRainbow || !s.m_bSingleBand || s.m_nFileState != kStateVegetation)
    return DivergingColours::kNone;
  std::string text;
  if (ReadTextFile(ResolveNoCase(StripExtension(s.m_strSettingsPath) + ".ndv"), kMaxRangeFileBytes,
                   text) != TextRead::kOk)
    return DivergingColours::kNone;
  return RangeColours(text);
}
}  // namespace

void PaintShownColours(const DisplayState& s, Dib& dib) {
  if (s.m_bRainbow && s.m_bSingleBand)
    ApplyRainbow(dib, s.m_fDispMin, s.m_fDispMax, s.m_bRainbowReversed);
  else if (const DivergingColours colours = DrawnDiverging(s); colours != DivergingColours::kNone)
    ApplyDiverging(dib, colours);
}

std::string DisplayTitle(const std::string& openedPath, const DisplayState& state,
                         const AreaRect& area) {
  return Format("*%s 1/%d (%d,%d)-(%d,%d) (R,G,B)=(%d,%d,%d)", openedPath.c_str(), state.m_nStep,
                area.m_nAreaLeft + 1, area.m_nAreaTop + 1, area.m_nAreaLeft + area.m_nAreaPixels,
                area.m_nAreaTop + area.m_nAreaLines, state.m_nRedBand + 1, state.m_nGreenBand + 1,
                state.m_nBlueBand + 1);
}

LegendKind LegendForState(int fileState, bool rainbow) {
  switch (fileState) {
    case kStateVegetation: return LegendKind::kVegetation;
    case kStateClassified: return LegendKind::kClass;
    case kStateElevationAbsolute:
    case kStateElevationRelative:
    case kStateShadeAbsolute:
    case kStateShadeRelative: return LegendKind::kElevation;
    default: return rainbow ? LegendKind::kColourRamp : LegendKind::kNone;
  }
}

LegendKind DecideOpenLegend(DisplayState& state) {
  if (state.m_nFileState != kStateBirdsEye)
    return LegendForState(state.m_nFileState, state.m_bRainbow);
  DisplayStateFile brd;
  const std::string path = ResolveNoCase(StripExtension(state.m_strSettingsPath) + ".brd").string();
  if (!ReadDisplayStateFile(path, brd)) return LegendKind::kNone;
  state.m_fDispMin = static_cast<float>(brd.minVal);
  state.m_fDispMax = static_cast<float>(brd.maxVal);
  return LegendForState(brd.state, state.m_bRainbow);
}

FrameSize FitFrame(int32_t dibWidth, int32_t dibHeight, int32_t borderWidth, int32_t borderHeight,
                   int32_t desktopWidth, int32_t desktopHeight) {
  return {std::min(dibWidth + borderWidth, desktopWidth - 40),
          std::min(dibHeight + borderHeight, desktopHeight - 40)};
}

FrameSize A4PageSize(int32_t dpiX, int32_t dpiY) {
  return {static_cast<int32_t>(dpiX * 8.267716535433072 + 0.5),
          static_cast<int32_t>(dpiY * 11.692913385826772 + 0.5)};
}

}  // namespace lumora
