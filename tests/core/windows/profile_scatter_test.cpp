// What the profile and scatter windows compute, draw and save.
#include <gtest/gtest.h>

#include <numeric>
#include <set>
#include <tuple>

#include "core/support/string_table.h"
#include "core/windows/profile.h"
#include "core/windows/scatter.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Pixel (x, y) counted from the top: blue x, green y, red x + y.
Dib Ramp(int w, int h) {
  Dib d;
  d.Create(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = d.TopRow(y) + 3 * x;
      p[0] = static_cast<uint8_t>(x);
      p[1] = static_cast<uint8_t>(y);
      p[2] = static_cast<uint8_t>(x + y);
    }
  return d;
}

TEST(ProfileFile, HorizontalLineOfThreePixels) {
  const Dib d = Ramp(20, 10);
  EXPECT_EQ(ProfileText("/img/tokyo.inf", d, AreaRect{0, 10, 0, 20}, 1, {10, 5, 12, 5}),
            "Profile\n/img/tokyo.inf\n[10,5]-[12,5]\nX,B,G,R\n"
            "   10,  9,  4, 13\n   11, 10,  4, 14\n   12, 11,  4, 15\n");
}

TEST(ProfileFile, VerticalLineThroughAReducedShownArea) {
  // Area from source pixel (4, 2) shown at step 2: source x 7 is column 1.
  const Dib d = Ramp(3, 4);
  const AreaRect area{2, 8, 4, 6};
  EXPECT_EQ(ProfileText("p", d, area, 2, {7, 12, 7, 1}),  // ends given upside down
            "Profile\np\n[7,1]-[7,12]\nY,B,G,R\n"
            // 1 and 2 lie above the area; 11 and 12 below the bitmap.
            "    3,  1,  0,  1\n    4,  1,  0,  1\n    5,  1,  1,  2\n    6,  1,  1,  2\n"
            "    7,  1,  2,  3\n    8,  1,  2,  3\n    9,  1,  3,  4\n   10,  1,  3,  4\n");
}

TEST(ProfileFile, OnePixelAndPixelsLeftOfTheArea) {
  const Dib d = Ramp(4, 4);
  EXPECT_EQ(ProfileText("p", d, AreaRect{0, 4, 0, 4}, 1, {2, 2, 2, 2}),
            "Profile\np\n[2,2]-[2,2]\nX,B,G,R\n    2,  1,  1,  2\n");
  // Source x 3 is one left of an area starting at 0-based 3; at step 2 the
  // quotient would be column 0, but the pixel is not shown.
  EXPECT_EQ(ProfileText("p", d, AreaRect{0, 8, 3, 8}, 2, {3, 1, 4, 1}),
            "Profile\np\n[3,1]-[4,1]\nX,B,G,R\n    4,  0,  0,  0\n");
}

TEST(ProfileFile, WrittenWholeOrReported) {
  TempDir dir;
  RecordingMessenger m;
  const Dib d = Ramp(4, 4);
  ASSERT_TRUE(
      WriteProfileFile(dir / "p.txt", "a.inf", d, AreaRect{0, 4, 0, 4}, 1, {1, 1, 1, 1}, m));
  EXPECT_EQ(ReadFile(dir / "p.txt"), "Profile\na.inf\n[1,1]-[1,1]\nX,B,G,R\n    1,  0,  0,  0\n");
  EXPECT_FALSE(WriteProfileFile(dir / "no/such/p.txt", "a.inf", d, AreaRect{0, 4, 0, 4}, 1,
                                {1, 1, 1, 1}, m));
  EXPECT_EQ(m.LastId(), kMsgProfileCreateFailed);
}

TEST(ProfileStrip, MagnifiedVerticalLinePlotsEachBitmapRowTwice) {
  Dib d;
  d.Create(2, 30);
  for (int y = 0; y < 30; ++y) d.TopRow(y)[3 * 1 + 2] = y == 0 ? 255 : 0;  // red at the top
  const auto pts = ProfileStripPoints(d, 2.0f, 3, 0, 3, 49);
  ASSERT_EQ(pts.size(), 150u);
  std::set<int> rows;
  for (const auto& p : pts) rows.insert(p.y);
  EXPECT_EQ(rows.size(), 50u);
  // Value 255 plots at 100, value 0 at 0; red first in red, blue in cyan.
  EXPECT_EQ(pts[0].x, 100);
  EXPECT_EQ(pts[3].x, 100);  // row 1 shows bitmap row 0 again
  EXPECT_EQ(pts[6].x, 0);
  EXPECT_EQ(pts[0].r, 255);
  EXPECT_EQ(pts[2].g, 255);
  EXPECT_EQ(pts[2].b, 255);
}

TEST(ProfileStrip, ALineAsSteepAsItIsWideIsVertical) {
  EXPECT_TRUE(IsVerticalProfile(0, 0, 5, 5));
  EXPECT_TRUE(IsVerticalProfile(3, 9, 2, 0));
  EXPECT_FALSE(IsVerticalProfile(0, 0, 6, -5));
  // A drag past the image ends level at its last column; from that column
  // on it is a line of one pixel, which is vertical.
  ViewGeometry g;
  g.dibWidth = g.imagePixels = 40;
  g.dibHeight = g.imageLines = 30;
  const ProfileGesture across = FinishProfileGesture(g, {10, 5}, {90, 7});
  EXPECT_FALSE(across.vertical);
  EXPECT_EQ(across.end, (ClientPoint{39, 5}));
  const ProfileGesture dot = FinishProfileGesture(g, {39, 5}, {60, 5});
  EXPECT_TRUE(dot.vertical);
  EXPECT_EQ(dot.end, (ClientPoint{39, 5}));
}

TEST(ProfileStrip, HorizontalLinePlotsFromTheTopAndSkipsPixelsOutside) {
  Dib d;
  d.Create(4, 2);
  d.TopRow(1)[0] = 255;  // blue of (0, 1)
  const auto pts = ProfileStripPoints(d, 1.0f, -2, 1, 10, 1);
  ASSERT_EQ(pts.size(), 12u);  // columns 0..3 only
  EXPECT_EQ(pts[0].x, 0);
  EXPECT_EQ(pts[2].y, 0);    // blue 255 at the top
  EXPECT_EQ(pts[0].y, 100);  // red 0 at the bottom
  EXPECT_TRUE(ProfileStripPoints(d, 1.0f, 0, 5, 3, 5).empty());
  // The strip is no longer than the visible part of the magnified image.
  EXPECT_EQ(ProfileStripRect(false, d, 2.0f, 500, 300).width, 8);
  EXPECT_EQ(ProfileStripRect(true, d, 2.0f, 500, 3).height, 3);
  EXPECT_EQ(ProfileStripRect(true, d, 2.0f, 500, 3).width, 110);
}

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
