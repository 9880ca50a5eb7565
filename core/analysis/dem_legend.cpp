#include "core/analysis/dem_legend.h"

namespace lumora {

std::vector<LegendBand> DemLegendBar(int left, int top, int right, int bottom) {
  const int h = bottom - top - 2, w = right - left - 2;
  const float step = h * 0.003921569f;
  std::vector<LegendBand> bar;
  bar.reserve(255);
  for (int i = 1; i <= 255; ++i) {
    LegendBand b;
    b.left = right - w - 1;
    b.right = right - 1;
    b.top = static_cast<int>(bottom - i * step);
    b.bottom = static_cast<int>(bottom - (i + 1) * step);
    b.penWidth = w;
    b.colour = ElevationColour(i);
    bar.push_back(b);
  }
  return bar;
}

DemPrintLegend DemLegendOnPage(int corner, int x, int y, double s) {
  DemPrintLegend p;
  const int barWidth = static_cast<int>(s * 24.5);
  const double step = s * 0.39215686274509803;
  int x0 = 0, y0 = 0;
  if (corner >= 0 && corner <= 3) {
    x0 = x + static_cast<int>(10 * s);
    y0 = (corner == 1 || corner == 2) ? y : y + static_cast<int>(100 * s) + barWidth;
  }
  for (int i = 1; i <= 255; ++i) {
    LegendBand b;
    b.left = x0 + 1;
    b.right = x0 + barWidth + 1;
    b.top = static_cast<int>(y0 - i * step - barWidth);
    b.bottom = static_cast<int>(y0 - (i + 1) * step - barWidth);
    b.penWidth = barWidth;
    b.colour = ElevationColour(i);
    p.bar.push_back(b);
  }
  const int seaHeight = static_cast<int>(3 * barWidth / 4);
  p.sea = {x0 + 1, y0 - seaHeight, x0 + 1 + barWidth, y0, 0, ElevationColour(0)};
  p.labelX = x0 + static_cast<int>(10 * s) + barWidth;
  p.lowLabelY = y0 - barWidth;
  p.highLabelY = y0 - static_cast<int>(100 * s) - barWidth;
  p.seaLabelY = y0 - seaHeight;
  return p;
}

}  // namespace lumora
