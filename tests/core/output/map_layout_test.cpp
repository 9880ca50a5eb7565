#include "core/output/map_layout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/imagefile/ground_scale.h"
#include "core/output/page_layout.h"

namespace lumora {
namespace {

// 8 units per character (UTF-8 code point), 16 units tall.
class FixedMetrics : public TextMeasurer {
 public:
  TextExtent Measure(TextRole, const std::string& text) override {
    int chars = 0;
    for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
    return {8 * chars, 16};
  }
};

MapImage Image(int w, int h) {
  MapImage m;
  m.dibWidth = w;
  m.dibHeight = h;
  m.lengthPerPixel = 0.03;
  m.leftTopLon = 139.4;
  m.leftTopLat = 36.1;
  m.northBitmapWidth = 100;
  m.northBitmapHeight = 100;
  return m;
}

bool Inside(const PointD& p, double l, double t, double r, double b) {
  return p.x >= l - 1e-9 && p.x <= r + 1e-9 && p.y >= t - 1e-9 && p.y <= b + 1e-9;
}

TEST(PlainPage, PageSizesAndCentredImage) {
  EXPECT_EQ(A4PageSize(96, 96).width, 794);
  EXPECT_EQ(A4PageSize(96, 96).height, 1123);
  EXPECT_EQ(A4PageSize(120, 120).width, 992);
  EXPECT_EQ(A4PageSize(120, 120).height, 1403);
  const PlainPlacement p = PlacePlainImage(794, 1123, 500, 500);
  EXPECT_DOUBLE_EQ(p.scale, 1.388);
  EXPECT_EQ(p.rect, (PageRect{50, 214, 694, 694}));
  EXPECT_EQ(PlacePlainImage(794, 1123, 100, 2000).rect.top, 50);  // height limits
  EXPECT_DOUBLE_EQ(PageToDeviceFactor(794, 1123, 4760, 6812), 4760.0 / 794);
}

TEST(MapLayout, MarginsFromTitleLegendAndGridLabels) {
  FixedMetrics fm;
  AnnotationSettings a;
  MapLayout l = LayoutMap(794, 1123, 1.0, Image(500, 500), a, fm);
  EXPECT_DOUBLE_EQ(l.f, 774.0 / 500);
  EXPECT_EQ(l.image, (PageRect{10, 174, 774, 774}));

  a.showTitle = true;
  a.titleText = "ab\r\ncdef";
  a.showLegend = true;
  a.legendPosition = 2;  // lower left: the left margin grows
  l = LayoutMap(794, 1123, 1.0, Image(500, 500), a, fm);
  EXPECT_EQ(l.title, (PageRect{381, 10, 32, 32}));
  ASSERT_EQ(l.titleLines.size(), 2u);
  EXPECT_EQ(l.titleLines[1].rect, (PageRect{381, 26, 32, 16}));
  EXPECT_DOUBLE_EQ(l.marginTop, 42);
  EXPECT_DOUBLE_EQ(l.marginLeft, 110);
  EXPECT_DOUBLE_EQ(l.f, 674.0 / 500);
  EXPECT_EQ(l.image.left, 110);
  EXPECT_EQ(l.legendX, 10);
  EXPECT_EQ(l.legendY, l.image.Bottom());

  a.showGrid = true;  // sample label "N100ﾟ10'" is 8 characters: 64 units each side
  l = LayoutMap(794, 1123, 1.0, Image(500, 500), a, fm);
  EXPECT_EQ(l.gridLabel.width, 64);
  EXPECT_DOUBLE_EQ(l.marginLeft, 174);
  EXPECT_DOUBLE_EQ(l.marginRight, 74);
  EXPECT_EQ(l.image.left, 174);
  EXPECT_EQ(l.legendX, 174 - 100 - 64);

  a.legendPosition = 0;
  l = LayoutMap(794, 1123, 1.0, Image(500, 500), a, fm);
  EXPECT_EQ(l.legendX, l.image.Right());
  EXPECT_EQ(l.legendY, l.image.top);

  l = LayoutMap(200, 200, 1.0, Image(500, 500), a, fm);  // margins wider than the page
  EXPECT_EQ(l.f, 0.0);
  EXPECT_EQ(l.image.width, 0);
}

TEST(MapLayout, ScaleBarGeometryAndLabels) {
  EXPECT_EQ(ScaleLabels(15), (std::vector<std::string>{"0km", " 7.5km", "15km"}));
  EXPECT_EQ(ScaleLabels(10), (std::vector<std::string>{"0km", "5km", "10km"}));
  FixedMetrics fm;
  AnnotationSettings a;
  a.showScale = true;
  a.scaleKm = 15;
  MapImage img = Image(1000, 1000);
  img.step = 2;
  for (int pos : {0, 1, 2}) {
    a.scalePosition = pos;
    const MapLayout l = LayoutMap(794, 1123, 1.0, img, a, fm);
    EXPECT_DOUBLE_EQ(l.marginBottom, 110);
    const double length = 15 / 0.03 / 2 * l.f;
    EXPECT_DOUBLE_EQ(l.scaleLength, length);
    const double left[] = {794 - 50 - length, (794 - length) * 0.5, 50};
    EXPECT_EQ(l.scaleBar,
              (PageRect{static_cast<int>(left[pos]), 1023, static_cast<int>(length), 5}));
    ASSERT_EQ(l.scaleLabels.size(), 3u);
    EXPECT_EQ(l.scaleLabels[1].text, " 7.5km");
    EXPECT_EQ(l.scaleLabels[2].rect.Bottom(), 1013);  // 10 units above the bar
    EXPECT_EQ(l.scaleTicks[2], static_cast<int>(left[pos] + length));
  }
  // A bar 40 units long: "0km" (24 wide), " 7.5km" (48) and "15km" (32)
  // centred on their ticks would overlap; the end labels keep 4 units clear
  // of the middle one, which stays centred.
  img.lengthPerPixel = 15 * LayoutMap(794, 1123, 1.0, img, a, fm).f / (2 * 40.0);
  a.scalePosition = 1;
  const MapLayout l = LayoutMap(794, 1123, 1.0, img, a, fm);
  const int mid = l.scaleTicks[1];
  EXPECT_NEAR(l.scaleLength, 40.0, 1e-9);
  EXPECT_EQ(l.scaleLabels[1].rect.left, mid - 24);
  EXPECT_EQ(l.scaleLabels[0].rect.Right(), mid - 24 - 4);
  EXPECT_EQ(l.scaleLabels[2].rect.left, mid + 24 + 4);
  img.lengthPerPixel = 0.0;  // no ground length: no bar
  EXPECT_TRUE(LayoutMap(794, 1123, 1.0, img, a, fm).scaleLabels.empty());
  // The same rule for a settings file: a corner and a ground length that is a number.
  ImageSettings s;
  s.leftTopLon = 139.4;
  s.leftTopLat = 36.1;
  for (double length : {0.03, 0.0, std::nan(""), HUGE_VAL}) {
    s.lengthPerPixel = length;
    EXPECT_EQ(HasMapReference(s, kStateUnprocessed), length == 0.03) << length;
  }
  // A bird's-eye view is a perspective: no grid, no scale bar.
  s.lengthPerPixel = 0.03;
  EXPECT_FALSE(HasMapReference(s, kStateBirdsEye));
}

TEST(MapLayout, NorthMarkShortfallGrowsTheCheaperMargin) {
  FixedMetrics fm;
  AnnotationSettings a;
  a.showNorth = true;
  a.northSize = 2;  // box 3 * 0.2 * 100 + 5 = 65
  for (int pos : {0, 1, 2, 3}) {
    a.northPosition = pos;
    // Fills the available area exactly: no room on any side.
    const MapLayout l = LayoutMap(794, 1123, 1.0, Image(774, 1103), a, fm);
    EXPECT_EQ(l.north.width, 65);
    const bool right = pos < 2;
    EXPECT_EQ(l.north.left, right ? 794 - 10 - 65 : 10) << pos;
    // Positions 0 and 3 are the upper corners, 1 and 2 the lower ones.
    EXPECT_EQ(l.north.top, pos == 0 || pos == 3 ? 10 : 1123 - 10 - 65) << pos;
    EXPECT_DOUBLE_EQ(right ? l.marginRight : l.marginLeft, 75) << pos;
    // The mark no longer covers the image.
    EXPECT_TRUE(right ? l.north.left >= l.image.Right() : l.north.Right() <= l.image.left) << pos;
  }
  // A wide image leaves room above it: nothing changes.
  a.northPosition = 0;
  const MapLayout l = LayoutMap(794, 1123, 1.0, Image(500, 500), a, fm);
  EXPECT_DOUBLE_EQ(l.marginRight, 10);
  EXPECT_DOUBLE_EQ(l.marginTop, 10);
}

TEST(MapGrid, LabelsOfWholeMinutes) {
  struct Case {
    bool lon;
    int minutes;
    const char* text;
  } cases[] = {{true, 139 * 60 + 30, "E139ﾟ30"},
               {true, -(70 * 60 + 5), "W 70ﾟ05"},
               {true, 0, "   0ﾟ00"},
               {false, -(33 * 60 + 15), "S 33ﾟ15"},
               {false, 36 * 60, "N 36ﾟ00"},
               {false, -30, "S  0ﾟ30"}};
  for (const Case& c : cases) EXPECT_EQ(GridLabel(c.lon, c.minutes), c.text);
}

TEST(MapGrid, LinesAtMultiplesOfTheStepInsideTheFrame) {
  FixedMetrics fm;
  AnnotationSettings a;
  a.showGrid = true;
  a.gridStep = 50;  // 30'
  MapImage img = Image(500, 500);
  img.lengthPerPixel = 0.2;  // 100 km across: about 1.1 degrees of longitude
  const MapLayout l = LayoutMap(794, 1123, 1.0, img, a, fm);
  const auto lines = LayoutGrid(l, img, a, fm);
  const GroundScale g = ComputeGroundScale(36.1, 0.2);
  std::vector<std::string> labels;
  for (const auto& line : lines) labels.push_back(line.label.text);
  EXPECT_EQ(labels,
            (std::vector<std::string>{"E139ﾟ30", "E140ﾟ00", "E140ﾟ30", "N 36ﾟ00", "N 35ﾟ30"}));
  // A step of 24.6' rounds to 25': the first meridian east of 139ﾟ24' is 139ﾟ35'.
  AnnotationSettings rounded = a;
  rounded.gridStep = 41;
  EXPECT_EQ(LayoutGrid(l, img, rounded, fm).front().label.text, "E139ﾟ35");
  // The 139.5 meridian lies 0.1 degree east of the corner.
  EXPECT_NEAR(lines[0].from.x, l.image.left + 0.1 * g.pixelsPerDegLon * l.f, 1e-6);
  EXPECT_NEAR(lines[0].to.y, l.image.top + 500 * l.f, 1e-6);
  EXPECT_EQ(lines[0].label.rect.Bottom(), static_cast<int>(l.image.top - 4));
  // The 36.0 parallel lies 0.1 degree south of the corner; its label is left of the frame.
  EXPECT_NEAR(lines[3].from.y, l.image.top + 0.1 * g.pixelsPerDegLat * l.f, 1e-6);
  EXPECT_EQ(lines[3].label.rect.Right(), static_cast<int>(l.image.left - 4.0));

  img.leftTopLat = 500.0;  // no reference: no grid
  EXPECT_TRUE(LayoutGrid(l, img, a, fm).empty());
  img = Image(500, 500);
  img.lengthPerPixel = 1e-9;  // absurdly fine: not drawn rather than millions of lines
  EXPECT_TRUE(LayoutGrid(LayoutMap(794, 1123, 1.0, img, a, fm), img, a, fm).empty());
}

TEST(MapGrid, InclinedFrameTurnsAboutTheCornerAndFitsWithLabelRoom) {
  FixedMetrics fm;
  AnnotationSettings a;
  a.showGrid = true;
  a.gridStep = 8.333333333333334;  // 5'
  for (double incl : {10.0, -25.0}) {
    MapImage img = Image(500, 300);
    img.inclination = incl;
    const MapLayout l = LayoutMap(794, 1123, 1.0, img, a, fm);
    const double t = incl * 0.0174532925;
    EXPECT_NEAR(l.frame[1].x - l.frame[0].x, 500 * l.f * std::cos(t), 1e-6);
    EXPECT_NEAR(l.frame[1].y - l.frame[0].y, 500 * l.f * std::sin(t), 1e-6);
    EXPECT_NEAR(l.frame[0].x, l.image.left, 1.0);
    const double availW = 794 - 2 * (10 + 64);
    for (const PointD& p : l.frame)
      EXPECT_TRUE(Inside(p, l.marginLeft, l.marginTop, l.marginLeft + availW, 1113)) << incl;
    // The factor 0.95 leaves a gap on the limiting side.
    EXPECT_LT(l.f, availW / 500);
    const auto lines = LayoutGrid(l, img, a, fm);
    EXPECT_GE(lines.size(), 3u);
    for (const auto& line : lines) {
      EXPECT_TRUE(Inside(line.from, l.marginLeft - 1, l.marginTop - 1, 784, 1113));
      EXPECT_TRUE(Inside(line.to, l.marginLeft - 1, l.marginTop - 1, 784, 1113));
      // Labels stay 4 units clear of their frame edge and of the image,
      // which the page draws over the grid.
      const PageRect& r = line.label.rect;
      if (line.meridian) {
        EXPECT_LE(r.Bottom(), std::min(line.from.y, double(l.image.top)) - 4) << incl;
      } else {
        EXPECT_LE(r.Right(), std::min(line.from.x, double(l.image.left)) - 4) << incl;
      }
    }
  }
}

}  // namespace
}  // namespace lumora
