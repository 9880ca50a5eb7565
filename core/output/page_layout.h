// The A4 page in screen units and the placement of the plain display image
// on it, and the mapping of the page onto a printer's printable area.
#pragma once

#include <cstdint>

#include "core/view/display_loader.h"

namespace lumora {

// A rectangle in page units (left, top inclusive; width, height).
struct PageRect {
  int left = 0, top = 0, width = 0, height = 0;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
  bool operator==(const PageRect&) const = default;
};

// The display image without annotations: scaled by
// s = min((page width - 100) / W, (page height - 100) / H) and centred, so
// the limiting side keeps at least 50 units of margin.
struct PlainPlacement {
  double scale = 0.0;
  PageRect rect;
};
PlainPlacement PlacePlainImage(int pageWidth, int pageHeight, int dibWidth, int dibHeight);

// Isotropic mapping of the page onto the printable area from the origin:
// one factor for both axes so the page keeps its proportions.
double PageToDeviceFactor(int pageWidth, int pageHeight, int deviceWidth, int deviceHeight);

}  // namespace lumora
