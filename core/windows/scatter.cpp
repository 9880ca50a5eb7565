#include "core/windows/scatter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/band_io.h"
#include "core/imagefile/settings_file.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"

namespace lumora {

static_assert(100 * 100 <= UINT16_MAX, "a cell may hold every sample");

ScatterSampling SamplingFor(int areaPixels, int areaLines) {
  ScatterSampling s;
  s.columnStep = (areaPixels - 100) / 100;
  s.lineStep = (areaLines - 100) / 100;
  if (s.columnStep < 2) s.columnStep = 1;
  if (s.lineStep < 2) s.lineStep = 1;
  s.columns = std::max(0, std::min(areaPixels, 100));
  s.lines = std::max(0, std::min(areaLines, 100));
  return s;
}

bool ComputeScatter(const std::string& settingsPath, int xBand, int yBand, int imagePixels,
                    const AreaRect& area, ScatterCounts& counts, Messenger& messenger) {
  counts.assign(kScatterCells, 0);
  const std::string base = StripExtension(settingsPath);
  // Only the sampled rows are read; a band too short for them is found there.
  FilePtr fx = OpenBandFile(BandFilePath(base, kSample8, xBand), 0, messenger);
  FilePtr fy = fx ? OpenBandFile(BandFilePath(base, kSample8, yBand), 0, messenger) : nullptr;
  if (!fy) return false;
  const ScatterSampling s = SamplingFor(area.m_nAreaPixels, area.m_nAreaLines);
  if (s.columns < 1 || s.lines < 1 || imagePixels < 1) return true;
  std::vector<uint8_t> lx(static_cast<size_t>(area.m_nAreaPixels));
  std::vector<uint8_t> ly(lx.size());
  for (int i = 0; i < s.lines; ++i) {
    // Lines are read at the image's width, so a shown area smaller than the
    // image is sampled where it lies.
    const int64_t offset =
        (int64_t{area.m_nAreaTop} + int64_t{i} * s.lineStep) * imagePixels + area.m_nAreaLeft;
    if (!SeekTo(fx.get(), offset) || !SeekTo(fy.get(), offset) ||
        std::fread(lx.data(), 1, lx.size(), fx.get()) != lx.size() ||
        std::fread(ly.data(), 1, ly.size(), fy.get()) != ly.size()) {
      counts.assign(kScatterCells, 0);
      messenger.ShowMessage(kMsgBandFileShort);
      return false;
    }
    for (int j = 0; j < s.columns; ++j) {
      const size_t c = static_cast<size_t>(j) * s.columnStep;
      ++counts[lx[c] * 256 + ly[c]];
    }
  }
  return true;
}

bool RegionScatterCells(const std::string& settingsPath, int xBand, int yBand, int imagePixels,
                        const std::vector<RowSpan>& spans, std::vector<bool>& cells,
                        Messenger& messenger) {
  cells.assign(kScatterCells, false);
  const std::string base = StripExtension(settingsPath);
  FilePtr fx = OpenBandFile(BandFilePath(base, kSample8, xBand), 0, messenger);
  FilePtr fy = fx ? OpenBandFile(BandFilePath(base, kSample8, yBand), 0, messenger) : nullptr;
  if (!fy) return false;
  std::vector<uint8_t> lx, ly;
  for (const RowSpan& s : spans) {
    const size_t n = static_cast<size_t>(s.x1 - s.x0);
    lx.resize(n);
    ly.resize(n);
    const int64_t offset = int64_t{s.row} * imagePixels + s.x0;
    if (!SeekTo(fx.get(), offset) || !SeekTo(fy.get(), offset) ||
        std::fread(lx.data(), 1, n, fx.get()) != n || std::fread(ly.data(), 1, n, fy.get()) != n) {
      cells.assign(kScatterCells, false);
      messenger.ShowMessage(kMsgBandFileShort);
      return false;
    }
    for (size_t i = 0; i < n; ++i) cells[lx[i] * 256 + ly[i]] = true;
  }
  return true;
}

Rgb ScatterColour(int count) {
  static constexpr Rgb kColours[8] = {{0, 0, 0},   {0, 0, 255},   {0, 128, 255}, {0, 255, 255},
                                      {0, 255, 0}, {255, 255, 0}, {255, 0, 0},   {255, 255, 255}};
  return kColours[std::clamp(count, 0, 7)];
}

CellRect ScreenCell(int x, int y, int frameLeft, int frameBottom, int w, int h) {
  CellRect c;
  // Integer arithmetic throughout: the quotients are whole pixels already.
  c.left = frameLeft + 1 + x * (w - 2) / 255;
  c.width = (w - 2) / 255 + 1;
  c.height = (h - 2) / 255 + 1;
  // Y spans the same h - 2 pixels as X does across: scaled by the whole
  // height, the row of value 255 would fall above the frame and the window
  // would hide what the saved and printed page show.
  const int bottomRow = frameBottom - 1 - y * (h - 2) / 255;
  c.top = bottomRow - c.height + 1;
  return c;
}

ScatterPage ScatterPageFor(int deviceWidth, int deviceHeight) {
  ScatterPage p;
  p.k = std::min(deviceWidth * 0.001, deviceHeight / static_cast<double>(kScatterPageHeight));
  auto u = [&](double units) { return static_cast<int>(units * p.k); };
  // A square plot between 50-unit side margins, centred down the page; the
  // title keeps a 100-unit top margin.
  p.plotSize = u(kScatterPageWidth - 2 * 50);
  p.plotLeft = u(50);
  p.plotTop = u((kScatterPageHeight - (kScatterPageWidth - 2 * 50)) / 2);
  p.titleTop = u(100);
  p.xCaptionTop = p.plotTop + p.plotSize + u(20);
  p.yCaptionBottom = p.plotTop - u(10);
  return p;
}

CellRect PageCell(const ScatterPage& page, int x, int y) {
  CellRect c;
  const int64_t s = page.plotSize;
  c.left = page.plotLeft + static_cast<int>(x * s / 256);
  c.width = static_cast<int>((x + 1) * s / 256 - x * s / 256);
  const int bottom = page.plotTop + page.plotSize;  // one past the lowest row
  const int top = page.plotTop + page.plotSize - static_cast<int>((y + 1) * s / 256);
  c.top = top;
  c.height = bottom - static_cast<int>(y * s / 256) - top;
  return c;
}

namespace {

// Fills a rectangle of the picture, cut at its edges.
void FillCut(Dib& out, int left, int top, int width, int height, Rgb c) {
  const int x0 = std::max(left, 0), x1 = std::min(left + width, int{out.width});
  const int y0 = std::max(top, 0), y1 = std::min(top + height, int{out.height});
  for (int y = y0; y < y1; ++y) {
    uint8_t* row = out.TopRow(y) + 3 * x0;
    for (int x = x0; x < x1; ++x, row += 3) {
      row[0] = c.b;
      row[1] = c.g;
      row[2] = c.r;
    }
  }
}

}  // namespace

bool RenderScatterPlot(const ScatterCounts& counts, int w, int h, Dib& out) {
  if (counts.size() != kScatterCells || w < 1 || h < 1 || !out.Create(w, h)) return false;
  std::fill(out.bits.begin(), out.bits.end(), 0);
  for (int x = 0; x < 256; ++x)
    for (int y = 0; y < 256; ++y) {
      const CellRect c = ScreenCell(x, y, 0, h, w, h);
      FillCut(out, c.left, c.top, c.width, c.height, ScatterColour(counts[x * 256 + y]));
    }
  return true;
}

bool RenderScatterPage(const ScatterCounts& counts, Dib& out) {
  if (counts.size() != kScatterCells || !out.Create(kScatterPageWidth, kScatterPageHeight))
    return false;
  std::fill(out.bits.begin(), out.bits.end(), 255);
  const ScatterPage page = ScatterPageFor(kScatterPageWidth, kScatterPageHeight);
  auto fill = [&](int left, int top, int width, int height, Rgb c) {
    FillCut(out, left, top, width, height, c);
  };
  for (int x = 0; x < 256; ++x)
    for (int y = 0; y < 256; ++y) {
      const CellRect c = PageCell(page, x, y);
      fill(c.left, c.top, c.width, c.height, ScatterColour(counts[x * 256 + y]));
    }
  const Rgb black;
  const int l = page.plotLeft - 1, t = page.plotTop - 1, s = page.plotSize + 2;
  fill(l, t, s, 1, black);
  fill(l, t + s - 1, s, 1, black);
  fill(l, t, 1, s, black);
  fill(l + s - 1, t, 1, s, black);
  return true;
}

std::string ScatterTitle(const std::string& openedSettingsPath) {
  const std::string name = std::filesystem::path(openedSettingsPath).filename().string();
  return "散布図\r\n" + name;
}

}  // namespace lumora
