#include "core/analysis/dem_legend.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(DemLegend, ScreenBarRunsFromGreenToGreyAndThePageLegendHangsFromItsCorner) {
  // A 14 x 62 unit frame measured as 21 x 101 pixels: 99 pixels of bar.
  const auto bar = DemLegendBar(10, 20, 31, 121);
  ASSERT_EQ(bar.size(), 255u);
  EXPECT_EQ(bar.front().colour, ElevationColour(1));
  EXPECT_EQ(bar.back().colour, (Bgr{165, 165, 165}));
  EXPECT_EQ(bar.front().penWidth, 19);
  EXPECT_EQ(bar.front().left, 11);
  EXPECT_EQ(bar.front().right, 30);
  EXPECT_EQ(bar.front().top, 120);  // 121 - 0.388..., truncated
  EXPECT_EQ(bar.back().bottom, 121 - 99 - 1);
  for (size_t i = 1; i < bar.size(); ++i) EXPECT_LE(bar[i].top, bar[i - 1].top);
  // On the page the legend hangs from its corner.
  struct Case {
    int corner, x0, y0;
  } cases[] = {{0, 120, 549}, {1, 120, 300}, {2, 120, 300}, {3, 120, 549}, {7, 0, 0}};
  for (const auto& c : cases) {
    const DemPrintLegend p = DemLegendOnPage(c.corner, 100, 300, 2.0);
    EXPECT_EQ(p.sea.left, c.x0 + 1) << c.corner;
    EXPECT_EQ(p.sea.bottom, c.y0) << c.corner;
    EXPECT_EQ(p.sea.top, c.y0 - 36) << c.corner;  // 3/4 of the 49-unit bar width
    EXPECT_EQ(p.labelX, c.x0 + 20 + 49) << c.corner;
    EXPECT_EQ(p.highLabelY, c.y0 - 200 - 49) << c.corner;
    EXPECT_EQ(p.bar.back().bottom, int(c.y0 - 256 * 2.0 * 0.39215686274509803 - 49)) << c.corner;
  }
}

}  // namespace
}  // namespace lumora
