#include "core/windows/profile.h"

#include <gtest/gtest.h>

#include <set>

#include "core/support/string_table.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::ReadFile;
using test::TempDir;

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

}  // namespace
}  // namespace lumora
