// Zoom arithmetic of the image view. Products of ints with the float zoom
// factor are floats; adding a double constant (0.5) makes them doubles.
#include "core/view/zoom.h"

#include <algorithm>

namespace lumora {

float ZoomFactor(int32_t level) {
  float z = 1.0f;
  for (int32_t n = level; n > 1; --n) z *= 2.0f;
  for (int32_t n = level; n < 1; ++n) z *= 0.5f;
  return z;
}

const char* ZoomBoxText(int32_t level) {
  static const char* const kItems[] = {"3200%", "1600%", "800%",  "400%",  "200%",  "100%",
                                       "50%",   "25%",   "12.5%", "6.25%", "3.125%"};
  if (level < kMinZoomLevel || level > kMaxZoomLevel) return "";
  return kItems[ZoomItemOfLevel(level)];
}

bool CanEnlarge(int32_t level, int32_t dibWidth, int32_t dibHeight) {
  if (level > kMaxZoomLevel - 1) return false;
  const float z = ZoomFactor(level);
  return static_cast<int64_t>(dibWidth * z * 2) < 32767 &&
         static_cast<int64_t>(dibHeight * z * 2) < 32767;
}

bool CanReduce(int32_t level) { return level >= kMinZoomLevel + 1; }

ScrollPoint ZoomCentre(int32_t clientW, int32_t clientH, int32_t sx, int32_t sy, int32_t step,
                       float zoom, int32_t areaLeft, int32_t areaTop) {
  return {static_cast<int32_t>((clientW * 0.5 + sx) * step / zoom) + areaLeft + 1,
          static_cast<int32_t>((clientH * 0.5 + sy) * step / zoom) + areaTop + 1};
}

ScrollPoint ScrollSizes(int32_t dibWidth, int32_t dibHeight, float zoom) {
  return {static_cast<int32_t>(dibWidth * zoom), static_cast<int32_t>(dibHeight * zoom)};
}

ScrollPoint PageScrollSizes(int32_t pageWidth, int32_t pageHeight) {
  const double s = 800.0 / pageHeight;
  return {static_cast<int32_t>(pageWidth * s), static_cast<int32_t>(pageHeight * s)};
}

ScrollPoint ZoomScrollPosition(int32_t cx, int32_t cy, int32_t clientW, int32_t clientH,
                               int32_t step, float zoom, int32_t areaLeft, int32_t areaTop) {
  return {static_cast<int32_t>((cx - areaLeft) / step * zoom - clientW * 0.5),
          static_cast<int32_t>((cy - areaTop) / step * zoom - clientH * 0.5)};
}

int32_t ClampScroll(int32_t pos, int32_t total, int32_t client) {
  return std::clamp(pos, 0, std::max(0, total - client));
}

DrawPlan PlanZoomedDraw(int32_t dibWidth, int32_t dibHeight, float zoom, int32_t clientW,
                        int32_t clientH, int32_t vx, int32_t vy) {
  const ScrollPoint size = ScrollSizes(dibWidth, dibHeight, zoom);
  if (clientW > size.x) vx = 0;
  if (clientH > size.y) vy = 0;
  const float z = zoom;
  DrawPlan p;
  if (z >= 1.0f) {
    const int32_t whole = static_cast<int32_t>(z);
    // Scrolled so far that one more magnified row would pass the end of the
    // image: shift the drawing so the last row ends at the client's edge.
    if (dibHeight * z > clientH && dibHeight - (clientH + z - vy) / z < 0)
      p.drawOffsetY = static_cast<int32_t>(z - (clientH % whole));
    if (dibWidth * z > clientW && dibWidth - (clientW + z - vx) / z < 0)
      p.drawOffsetX = static_cast<int32_t>(z - (clientW % whole));
  }
  p.srcWidth = static_cast<int32_t>((clientW + z) / z);
  p.srcHeight = static_cast<int32_t>((clientH + z) / z);
  p.srcX = static_cast<int32_t>(-vx / z);
  p.srcY = static_cast<int32_t>(vy / z) + dibHeight - p.srcHeight;
  p.dstX = -p.drawOffsetX;
  p.dstY = -p.drawOffsetY;
  p.dstWidth = static_cast<int32_t>(p.srcWidth * z);
  p.dstHeight = static_cast<int32_t>(p.srcHeight * z);
  return p;
}

}  // namespace lumora
