// Zoom levels of the image view (1/32 to 32 times), their limits, the image
// point kept at the window centre, the scroll sizes and position, and where
// a magnified display image is drawn.
#pragma once

#include <cstdint>
#include <string>

namespace lumora {

inline constexpr int32_t kMinZoomLevel = -4;
inline constexpr int32_t kMaxZoomLevel = 6;

// Level 1 is 1.0; level n > 1 is 2^(n-1); level n < 1 is 0.5^(1-n).
float ZoomFactor(int32_t level);

// The zoom box lists levels 6 .. -4 ("3200%" .. "3.125%"); item i is level 6 - i.
const char* ZoomBoxText(int32_t level);
inline int32_t ZoomLevelOfItem(int32_t item) { return kMaxZoomLevel - item; }
inline int32_t ZoomItemOfLevel(int32_t level) { return kMaxZoomLevel - level; }

// Enlarging stops at level 6 and when the doubled display would reach 32767
// pixels (the largest scroll range); reducing stops at level -4.
bool CanEnlarge(int32_t level, int32_t dibWidth, int32_t dibHeight);
bool CanReduce(int32_t level);

struct ScrollPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const ScrollPoint&) const = default;
};

// The 1-based image point at the centre of a client of W x H scrolled to
// (sx, sy), computed with the zoom factor in force before the change.
ScrollPoint ZoomCentre(int32_t clientW, int32_t clientH, int32_t sx, int32_t sy, int32_t step,
                       float zoom, int32_t areaLeft, int32_t areaTop);

// Scroll sizes of the plain display image.
ScrollPoint ScrollSizes(int32_t dibWidth, int32_t dibHeight, float zoom);
// Scroll sizes while the annotation page is shown (the page at 800 pixels high).
ScrollPoint PageScrollSizes(int32_t pageWidth, int32_t pageHeight);

// The scroll position that puts the 1-based image point (cx, cy) at the
// centre; the scroll bars clamp it into their range.
ScrollPoint ZoomScrollPosition(int32_t cx, int32_t cy, int32_t clientW, int32_t clientH,
                               int32_t step, float zoom, int32_t areaLeft, int32_t areaTop);
// What the scroll bars make of a position: 0 .. max(0, total - client).
int32_t ClampScroll(int32_t pos, int32_t total, int32_t client);

// How a magnified or reduced display is drawn into a client of W x H whose
// viewport origin is (vx, vy) (minus the scroll position).
struct DrawPlan {
  int32_t drawOffsetX = 0;  // m_nDrawOffsetX
  int32_t drawOffsetY = 0;  // m_nDrawOffsetY
  int32_t srcX = 0;         // display pixels, from the left
  int32_t srcY = 0;         // display pixels, from the bottom row of the stored image
  int32_t srcWidth = 0;
  int32_t srcHeight = 0;
  int32_t dstX = 0;
  int32_t dstY = 0;
  int32_t dstWidth = 0;
  int32_t dstHeight = 0;
};
// For zoom levels other than 1: vx and vy become 0 when the client is wider
// or taller than the scroll size.
DrawPlan PlanZoomedDraw(int32_t dibWidth, int32_t dibHeight, float zoom, int32_t clientW,
                        int32_t clientH, int32_t vx, int32_t vy);

}  // namespace lumora
