#include "core/output/page_layout.h"

#include <algorithm>

namespace lumora {

PlainPlacement PlacePlainImage(int pageWidth, int pageHeight, int dibWidth, int dibHeight) {
  PlainPlacement p;
  if (dibWidth < 1 || dibHeight < 1) return p;
  p.scale = std::min(static_cast<double>(pageWidth - 100) / dibWidth,
                     static_cast<double>(pageHeight - 100) / dibHeight);
  const double w = dibWidth * p.scale, h = dibHeight * p.scale;
  p.rect.width = static_cast<int>(w);
  p.rect.height = static_cast<int>(h);
  p.rect.left = static_cast<int>((pageWidth - w) * 0.5);
  p.rect.top = static_cast<int>((pageHeight - h) * 0.5);
  return p;
}

double PageToDeviceFactor(int pageWidth, int pageHeight, int deviceWidth, int deviceHeight) {
  if (pageWidth < 1 || pageHeight < 1) return 0.0;
  return std::min(static_cast<double>(deviceWidth) / pageWidth,
                  static_cast<double>(deviceHeight) / pageHeight);
}

}  // namespace lumora
