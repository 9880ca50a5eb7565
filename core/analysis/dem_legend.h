// Geometry of the DEM legend: the colour bar beside the view (255 bands
// of the elevation colours, entry 1 at the bottom) and the same legend on
// a printed page at the legend position.
#pragma once

#include <vector>

#include "core/analysis/elevation.h"

namespace lumora {

// A rectangle outlined with an inside-frame pen of penWidth in colour.
struct LegendBand {
  int left = 0, top = 0, right = 0, bottom = 0;
  int penWidth = 0;
  Bgr colour{};
};

// The bar for the bar control's client rectangle.
std::vector<LegendBand> DemLegendBar(int left, int top, int right, int bottom);

// The legend on a page at scale s: corner code 0 upper right, 1 lower
// right, 2 lower left, 3 upper left, anchored at (x, y).
struct DemPrintLegend {
  std::vector<LegendBand> bar;
  LegendBand sea;  // filled in pure blue
  int labelX = 0;
  int lowLabelY = 0;  // the label's top is this minus the text height
  int highLabelY = 0;
  int seaLabelY = 0;
};
DemPrintLegend DemLegendOnPage(int corner, int x, int y, double s);

}  // namespace lumora
