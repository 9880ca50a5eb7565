// The hook through which the map page draws the legend of the display.
#pragma once

#include <functional>

class QPainter;

namespace lumora::paint {

// Draws the legend at the anchor (x, y) in the page's corner (0 upper
// right, 1 lower right, 2 lower left, 3 upper left) at layout scale s.
using LegendPainter = std::function<void(QPainter& p, int x, int y, int corner, double s)>;

}  // namespace lumora::paint
