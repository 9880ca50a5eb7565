// A rectangle of an image in source pixels, as the view shows an area and
// the partial write cuts one.
#pragma once

#include <cstdint>

namespace lumora {

// The shown area of the image in source pixels (0-based first line and
// pixel); normally the whole image.
struct AreaRect {
  int32_t m_nAreaTop = 0;
  int32_t m_nAreaLines = 0;
  int32_t m_nAreaLeft = 0;
  int32_t m_nAreaPixels = 0;

  bool operator==(const AreaRect&) const = default;
};

}  // namespace lumora
