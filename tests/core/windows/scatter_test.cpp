#include "core/windows/scatter.h"

#include <gtest/gtest.h>

#include <numeric>
#include <tuple>

#include "core/support/string_table.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(ScatterSampling, StepsAndCounts) {
  struct Case {
    int pixels, lines, colStep, lineStep, cols, rows;
  } cases[] = {
      {80, 60, 1, 1, 80, 60},     {1000, 1000, 9, 9, 100, 100}, {299, 300, 1, 2, 100, 100},
      {100, 1, 1, 1, 100, 1},     {1, 100000, 1, 999, 1, 100},  {0, 0, 1, 1, 0, 0},
      {300, 399, 2, 2, 100, 100},
  };
  for (const Case& c : cases) {
    const ScatterSampling s = SamplingFor(c.pixels, c.lines);
    EXPECT_EQ(s.columnStep, c.colStep) << c.pixels;
    EXPECT_EQ(s.lineStep, c.lineStep) << c.lines;
    EXPECT_EQ(s.columns, c.cols) << c.pixels;
    EXPECT_EQ(s.lines, c.rows) << c.lines;
  }
}

struct Bands {
  TempDir dir;
  RecordingMessenger m;
  ScatterCounts counts;
  void Write(int band, int w, int h, uint8_t (*value)(int x, int y)) {
    std::string data;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) data += static_cast<char>(value(x, y));
    WriteFile(dir / ("img.b0" + std::to_string(band)), data);
  }
  bool Run(int xb, int yb, int w, const AreaRect& area) {
    return ComputeScatter(dir / "img.inf", xb, yb, w, area, counts, m);
  }
};

int Total(const ScatterCounts& c) { return std::accumulate(c.begin(), c.end(), 0); }

// A small image counts every pixel, a large one every ninth column and line.
TEST(ScatterCounts, SmallImagesCountEveryPixelLargeOnesEveryNinthAreasWhereTheyLie) {
  Bands b;
  b.Write(1, 80, 60, [](int x, int y) { return static_cast<uint8_t>(x * 3 + y); });
  ASSERT_TRUE(b.Run(1, 1, 80, AreaRect{0, 60, 0, 80}));
  EXPECT_EQ(Total(b.counts), 4800);
  for (int x = 0; x < 256; ++x)
    for (int y = 0; y < 256; ++y)
      ASSERT_TRUE(x == y || b.counts[x * 256 + y] == 0) << x << "," << y;
  b.Write(1, 1000, 1000, [](int x, int) { return static_cast<uint8_t>(x % 9 == 0 ? 200 : 0); });
  b.Write(2, 1000, 1000, [](int, int y) { return static_cast<uint8_t>(y % 9 == 0 ? 100 : 0); });
  ASSERT_TRUE(b.Run(1, 2, 1000, AreaRect{0, 1000, 0, 1000}));
  EXPECT_EQ(b.counts[200 * 256 + 100], 10000);
  EXPECT_EQ(Total(b.counts), 10000);
  // A shown area is sampled where it lies.
  b.Write(1, 50, 4, [](int x, int y) { return static_cast<uint8_t>(x >= 20 && y >= 2 ? 7 : 0); });
  ASSERT_TRUE(b.Run(1, 1, 50, AreaRect{2, 2, 20, 30}));
  EXPECT_EQ(b.counts[7 * 256 + 7], 60);
}

TEST(ScatterCounts, MissingOrShortBandsAreReportedWithClearedCounts) {
  Bands b;
  b.Write(1, 10, 10, [](int, int) { return uint8_t{1}; });
  b.counts.assign(kScatterCells, 5);
  EXPECT_FALSE(b.Run(1, 3, 10, AreaRect{0, 10, 0, 10}));
  EXPECT_EQ(b.m.LastId(), kMsgOpenFailed);
  EXPECT_EQ(Total(b.counts), 0);
  EXPECT_FALSE(b.Run(1, 1, 10, AreaRect{0, 11, 0, 10}));
  EXPECT_EQ(b.m.LastId(), kMsgBandFileShort);
  EXPECT_EQ(Total(b.counts), 0);
}

TEST(ScatterPlot, CountColours) {
  const Rgb expected[] = {{0, 0, 0},   {0, 0, 255},   {0, 128, 255}, {0, 255, 255},
                          {0, 255, 0}, {255, 255, 0}, {255, 0, 0},   {255, 255, 255}};
  for (int n = 0; n < 8; ++n) EXPECT_EQ(ScatterColour(n), expected[n]) << n;
  EXPECT_EQ(ScatterColour(300), (Rgb{255, 255, 255}));
  EXPECT_EQ(ScatterColour(65535), (Rgb{255, 255, 255}));
}

// In a frame of 257 x 257 pixels the 255 inner pixels of each side hold one
// cell a value, two pixels wide and high: X grows to the right, Y upwards.
TEST(ScatterPlot, ScreenCellsByHand) {
  auto cell = [](int x, int y, int bottom, int w, int h) {
    const CellRect c = ScreenCell(x, y, 10, bottom, w, h);
    return std::make_tuple(c.left, c.top, c.width, c.height);
  };
  EXPECT_EQ(cell(0, 0, 300, 257, 257), std::make_tuple(11, 298, 2, 2));
  EXPECT_EQ(cell(255, 255, 300, 257, 257), std::make_tuple(266, 43, 2, 2));
  // A frame of 130 x 70: 128 x 68 inner pixels for 256 values, cells of one pixel.
  EXPECT_EQ(cell(200, 100, 69, 130, 70), std::make_tuple(111, 42, 1, 1));
}

TEST(ScatterPlot, PageCellsTileThePlotAndTheRenderShowsTheCounts) {
  const ScatterPage page = ScatterPageFor(1000, 1414);
  EXPECT_EQ(page.k, 1.0);
  int right = page.plotLeft, top = page.plotTop + page.plotSize;
  for (int i = 0; i < 256; ++i) {
    const CellRect h = PageCell(page, i, 0), v = PageCell(page, 0, i);
    EXPECT_EQ(h.left, right);
    EXPECT_EQ(v.top + v.height, top);
    right = h.left + h.width;
    top = v.top;
  }
  EXPECT_EQ(right, page.plotLeft + page.plotSize);
  EXPECT_EQ(top, page.plotTop);
  EXPECT_EQ(ScatterPageFor(2000, 1414).k, 1.0);  // the height limits

  ScatterCounts counts(kScatterCells, 0);
  counts[255 * 256 + 0] = 1;
  Dib dib;
  ASSERT_TRUE(RenderScatterPage(counts, dib));
  const CellRect c = PageCell(page, 255, 0);
  const uint8_t* p = dib.TopRow(c.top) + 3 * c.left;
  EXPECT_EQ(p[0], 255);  // blue
  EXPECT_EQ(p[2], 0);
  EXPECT_EQ(dib.TopRow(0)[0], 255);                               // white page
  EXPECT_EQ(dib.TopRow(page.plotTop - 1)[3 * page.plotLeft], 0);  // frame
  EXPECT_FALSE(RenderScatterPage(ScatterCounts(3), dib));

  // The window's plot shows the cell of the page's top-right corner too.
  counts[255 * 256 + 255] = 7;
  ASSERT_TRUE(RenderScatterPlot(counts, 258, 258, dib));
  EXPECT_EQ(dib.TopRow(0)[3 * 257], 255);
}

TEST(ScatterPlot, TitleNamesTheImageAsOpened) {
  EXPECT_EQ(ScatterTitle("/data/2019tokyo.inf"), "散布図\r\n2019tokyo.inf");
}

}  // namespace
}  // namespace lumora
