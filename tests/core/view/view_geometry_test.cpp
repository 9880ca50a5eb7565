// Zoom and mouse tool geometry of the image view.
#include <gtest/gtest.h>

#include "core/view/tool_geometry.h"
#include "core/view/zoom.h"

namespace lumora {
namespace {

TEST(Zoom, EnlargeAndReduceLimits) {
  EXPECT_FALSE(CanEnlarge(6, 10, 10));
  EXPECT_TRUE(CanEnlarge(5, 10, 10));
  // 1024 x 16 x 2 = 32768 is not below 32767: enlarging stops at level 5.
  EXPECT_TRUE(CanEnlarge(4, 1024, 10));
  EXPECT_FALSE(CanEnlarge(5, 1024, 10));
  EXPECT_FALSE(CanEnlarge(5, 10, 1024));
  EXPECT_TRUE(CanEnlarge(1, 16383, 1));
  EXPECT_FALSE(CanEnlarge(1, 16384, 1));
  EXPECT_TRUE(CanReduce(-3));
  EXPECT_FALSE(CanReduce(-4));
  // "6.25%" is the tenth item of the zoom box: level -3, factor 1/16.
  EXPECT_EQ(ZoomLevelOfItem(9), -3);
  EXPECT_STREQ(ZoomBoxText(-3), "6.25%");
  EXPECT_EQ(ZoomFactor(-3), 0.0625f);
  EXPECT_EQ(ZoomFactor(6), 32.0f);
}

TEST(Zoom, EnlargeThenReduceKeepsTheCentre) {
  const int W = 640, H = 480, step = 2, left = 100, top = 40;
  const int dibW = 900, dibH = 700;
  for (int sx : {0, 37, 260}) {
    // Enlarge from level 1 to 2 and back.
    const ScrollPoint c0 = ZoomCentre(W, H, sx, 50, step, 1.0f, left, top);
    const ScrollPoint p2 = ZoomScrollPosition(c0.x, c0.y, W, H, step, 2.0f, left, top);
    const ScrollPoint size2 = ScrollSizes(dibW, dibH, 2.0f);
    const ScrollPoint s2{ClampScroll(p2.x, size2.x, W), ClampScroll(p2.y, size2.y, H)};
    const ScrollPoint c1 = ZoomCentre(W, H, s2.x, s2.y, step, 2.0f, left, top);
    const ScrollPoint p1 = ZoomScrollPosition(c1.x, c1.y, W, H, step, 1.0f, left, top);
    const ScrollPoint c2 = ZoomCentre(W, H, p1.x, p1.y, step, 1.0f, left, top);
    EXPECT_NEAR(c2.x, c0.x, step) << sx;
    EXPECT_NEAR(c2.y, c0.y, step) << sx;
  }
  // Hand-computed: centre of 640 x 480 scrolled to (100, 50) at 1/2, step 3.
  const ScrollPoint c = ZoomCentre(640, 480, 100, 50, 3, 0.5f, 10, 20);
  EXPECT_EQ(c.x, (320 + 100) * 3 * 2 + 10 + 1);
  EXPECT_EQ(c.y, (240 + 50) * 3 * 2 + 20 + 1);
  EXPECT_EQ(ZoomScrollPosition(c.x, c.y, 640, 480, 3, 1.0f, 10, 20), (ScrollPoint{520, 340}));
  EXPECT_EQ(PageScrollSizes(794, 1123), (ScrollPoint{565, 800}));
}

TEST(Zoom, DrawPlanShiftsAMagnifiedImageScrolledToItsEnd) {
  // 100 x 80 display at 4x in a 250 x 171 client scrolled to the very end.
  const DrawPlan end = PlanZoomedDraw(100, 80, 4.0f, 250, 171, -(400 - 250), -(320 - 171));
  EXPECT_EQ(end.drawOffsetX, 2);  // 4 - 250 % 4
  EXPECT_EQ(end.drawOffsetY, 1);  // 4 - 171 % 4
  EXPECT_EQ(end.srcWidth, 63);
  EXPECT_EQ(end.srcHeight, 43);
  EXPECT_EQ(end.srcX, 37);
  EXPECT_EQ(end.srcY, 0);  // -37 + 80 - 43
  EXPECT_EQ(end.dstX, -end.drawOffsetX);
  EXPECT_EQ(end.dstWidth, 252);
  // Not at the end: no shift. Reduced displays are never shifted.
  const DrawPlan start = PlanZoomedDraw(100, 80, 4.0f, 250, 170, 0, 0);
  EXPECT_EQ(start.drawOffsetX, 0);
  EXPECT_EQ(start.drawOffsetY, 0);
  EXPECT_EQ(start.srcY, 80 - 43);
  const DrawPlan reduced = PlanZoomedDraw(1000, 800, 0.5f, 300, 300, -100, -100);
  EXPECT_EQ(reduced.drawOffsetX, 0);
  EXPECT_EQ(reduced.srcX, 200);
  EXPECT_EQ(reduced.srcWidth, 601);
  // A client larger than the scroll size draws from the origin.
  const DrawPlan small = PlanZoomedDraw(10, 10, 2.0f, 300, 300, -5, -5);
  EXPECT_EQ(small.srcX, 0);
}

ViewGeometry Geometry(float zoom, int step) {
  ViewGeometry g;
  g.zoom = zoom;
  g.step = step;
  g.dibWidth = 200;
  g.dibHeight = 100;
  g.imagePixels = 200 * step;
  g.imageLines = 100 * step;
  return g;
}

TEST(ToolGeometry, SelectionSizeFollowsZoomAndStep) {
  struct Case {
    float zoom;
    int step;
    ClientPoint start, end;
    const char* text;
  } cases[] = {
      {2.0f, 1, {0, 0}, {10, 4}, "5x2"},
      {0.5f, 2, {0, 0}, {10, 4}, "40x16"},
      {1.0f, 3, {20, 30}, {10, 4}, "30x78"},
      {4.0f, 1, {0, 0}, {2, 6}, "1x2"},  // 0.5 rounds up, 1.5 rounds up
  };
  for (const Case& c : cases)
    EXPECT_EQ(SelectionSizeText(Geometry(c.zoom, c.step), c.start, c.end), c.text);
}

TEST(ToolGeometry, ReadoutIsOneBasedAndClamped) {
  ViewGeometry g = Geometry(2.0f, 3);
  g.areaLeft = 0;
  struct Case {
    ClientPoint p;
    int x, y;
  } cases[] = {
      {{0, 0}, 1, 1},         {{-30, -1}, 1, 1},        {{5, 3}, 7, 4},
      {{399, 199}, 598, 298}, {{5000, 5000}, 600, 300},
  };
  for (const Case& c : cases) {
    const ClientPoint r = StatusReadout(g, c.p);
    EXPECT_EQ(r, (ClientPoint{c.x, c.y})) << c.p.x << "," << c.p.y;
  }
  // Scrolled by an odd amount at 2x: the readout follows the drawn phase.
  g.scrollX = 7;
  g.drawOffsetX = 1;
  EXPECT_EQ(StatusReadout(g, {0, 0}).x, 3 * ((6 + 1 + 0) / 2) + 1);
  EXPECT_EQ(StatusTextX({12, 0}), "x=12");
  EXPECT_EQ(StatusTextY({0, 9}), "y=9");
}

TEST(ToolGeometry, DocumentPixelsAndClamps) {
  ViewGeometry g = Geometry(2.0f, 3);
  g.scrollX = 10;
  EXPECT_EQ(DocumentPixel(g, {5, 5}), (ClientPoint{23, 8}));  // 15*3/2+0.5, 5*3/2+0.5
  EXPECT_EQ(DocumentEndPixel(g, {-50, -50}), (ClientPoint{0, 0}));
  EXPECT_EQ(DocumentEndPixel(g, {5000, 5000}), (ClientPoint{599, 299}));
  // Presses exactly on the right or bottom edge of the drawn image are outside.
  EXPECT_TRUE(InsideDrawnImage(g, {399, 199}));
  EXPECT_FALSE(InsideDrawnImage(g, {400, 10}));
  EXPECT_FALSE(InsideDrawnImage(g, {10, 200}));
  EXPECT_EQ(ClampSelectionEnd(g, {500, -3}), (ClientPoint{399, 0}));
  EXPECT_EQ(ClampRulerEnd(g, {500, 500}), (ClientPoint{400, 200}));
}

TEST(ToolGeometry, ProfileLineDirectionAndLength) {
  const ViewGeometry g = Geometry(2.0f, 1);
  const ProfileLine equal = ProfileLineOf(g, {10, 10}, {20, 20});
  EXPECT_TRUE(equal.vertical);
  EXPECT_EQ(equal.end, (ClientPoint{10, 20}));
  EXPECT_EQ(equal.length, 5);
  const ProfileLine flat = ProfileLineOf(g, {10, 10}, {31, 14});
  EXPECT_FALSE(flat.vertical);
  EXPECT_EQ(flat.end, (ClientPoint{31, 10}));
  EXPECT_EQ(flat.length, 11);  // 21 / 2 + 0.5
}

TEST(ToolGeometry, RulerDistanceInMetres) {
  EXPECT_EQ(RulerText(RulerDistance(Geometry(1.0f, 1), {0, 0}, {3, 4}, 0.03)), "150 m");
  EXPECT_EQ(RulerText(RulerDistance(Geometry(2.0f, 3), {10, 10}, {13, 14}, 0.03)), "225 m");
  EXPECT_EQ(RulerText(RulerDistance(Geometry(1.0f, 1), {0, 0}, {0, 0}, 0.03)), "0 m");
}

TEST(ToolGeometry, DnReadoutOffsetsAndTexts) {
  ViewGeometry g = Geometry(1.0f, 1);
  g.dibWidth = 3;  // stride 12: 9 bytes and 3 of padding
  g.dibHeight = 2;
  Dib now, before;
  now.Create(3, 2);
  before.Create(3, 2);
  for (size_t i = 0; i < now.bits.size(); ++i) {
    now.bits[i] = static_cast<uint8_t>(i);
    before.bits[i] = static_cast<uint8_t>(200 + i);
  }
  // Top row is stored last: pixel (2, 0) at 6 + 12.
  EXPECT_EQ(DnOffset(g, {2, 0}), 18);
  EXPECT_EQ(DnOffset(g, {0, 1}), 0);
  EXPECT_EQ(DnOffset(g, {3, 0}), -1);
  EXPECT_EQ(DnOffset(g, {0, 2}), -1);
  EXPECT_EQ(DnOffset(g, {-1, 0}), -1);
  DnTexts t = DnReadout(g, {2, 0}, now, &before, false);
  EXPECT_EQ(t.current, "(  18,  19,  20)");
  EXPECT_EQ(t.previous, "( 218, 219, 220)");
  t = DnReadout(g, {2, 0}, now, nullptr, false);
  EXPECT_EQ(t.previous, kNoDn);
  t = DnReadout(g, {2, 0}, now, &before, true);
  EXPECT_EQ(t.current, kNoDn);
  EXPECT_EQ(t.previous, kNoDn);
  // A smaller previous image never reads past its end.
  Dib tiny;
  tiny.Create(1, 1);
  t = DnReadout(g, {2, 0}, now, &tiny, false);
  EXPECT_EQ(t.previous, kNoDn);
  // Zoomed 2x: client (5, 1) is display pixel (2, 0).
  g.zoom = 2.0f;
  EXPECT_EQ(DnOffset(g, {5, 1}), 18);
  for (int state = 0; state <= 9; ++state)
    EXPECT_EQ(DnShownForState(state), state < 3 || state > 8) << state;
}

}  // namespace
}  // namespace lumora
