// Geometry of the image view's mouse tools: client points to image pixels,
// the status readout, the selection size, the profile line, the ruler
// distance and the DN readout under the cursor.
#pragma once

#include <cstdint>
#include <string>

#include "core/view/dib.h"

namespace lumora {

struct ClientPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const ClientPoint&) const = default;
};

// What the tools need of the view.
struct ViewGeometry {
  float zoom = 1.0f;    // m_fZoom
  int32_t step = 1;     // m_nStep
  int32_t scrollX = 0;  // scroll position in device pixels
  int32_t scrollY = 0;
  int32_t drawOffsetX = 0;  // m_nDrawOffsetX
  int32_t drawOffsetY = 0;
  int32_t dibWidth = 0;
  int32_t dibHeight = 0;
  int32_t imagePixels = 0;
  int32_t imageLines = 0;
  int32_t areaLeft = 0;
  int32_t areaTop = 0;
};

// Gesture point (client) to 0-based document pixel: trunc((p + scroll) * step / zoom + 0.5).
ClientPoint DocumentPixel(const ViewGeometry& g, ClientPoint p);
// The same for an end point: the release point is first limited to the
// drawn image in scrolled coordinates and the result to the last pixel and line.
ClientPoint DocumentEndPixel(const ViewGeometry& g, ClientPoint p);

// The 1-based source pixel shown at a client point, as the status bar reads
// it, clamped into 1 .. image size.
ClientPoint StatusReadout(const ViewGeometry& g, ClientPoint p);
// "x=%d" and "y=%d" of the readout.
std::string StatusTextX(const ClientPoint& readout);
std::string StatusTextY(const ClientPoint& readout);

// The source image point under a client point, in 0-based source pixels
// without rounding (pixel (x, y) covers x .. x + 1), and the client point
// nearest to a source point: the two are inverse where the picture is drawn.
struct SourcePoint {
  double x = 0.0, y = 0.0;
};
SourcePoint SourcePointAt(const ViewGeometry& g, ClientPoint p);
ClientPoint ClientOfSource(const ViewGeometry& g, SourcePoint s);

// A press counts only strictly inside the drawn image.
bool InsideDrawnImage(const ViewGeometry& g, ClientPoint p);
// Clamp of a dragged selection end: 0 .. trunc(size * zoom) - 1.
ClientPoint ClampSelectionEnd(const ViewGeometry& g, ClientPoint p);
// Clamp of a dragged ruler end: 0 .. trunc(size * zoom).
ClientPoint ClampRulerEnd(const ViewGeometry& g, ClientPoint p);

// "%dx%d": the rectangle's size in source pixels.
std::string SelectionSizeText(const ViewGeometry& g, ClientPoint start, ClientPoint end);

// A profile line is horizontal or vertical; equal extents give a vertical one.
struct ProfileLine {
  bool vertical = true;
  ClientPoint end;     // the drawn end point
  int32_t length = 0;  // in source pixels
};
ProfileLine ProfileLineOf(const ViewGeometry& g, ClientPoint start, ClientPoint end);

// Ground distance in metres between two client points; lengthPerPixel in km.
double RulerDistance(const ViewGeometry& g, ClientPoint start, ClientPoint end,
                     double lengthPerPixel);
// "%.0lf m".
std::string RulerText(double metres);

// The blue, green and red bytes under the cursor, current and before
// processing, as the DN window shows them.
struct DnTexts {
  std::string current;
  std::string previous;
};
inline constexpr const char* kNoDn = "( ---, ---, ---)";
// The byte offset in the display image of the pixel under p, or -1 outside.
int64_t DnOffset(const ViewGeometry& g, ClientPoint p);
// hidden: file states 3 to 8, the annotation page or a print preview.
DnTexts DnReadout(const ViewGeometry& g, ClientPoint p, const Dib& current, const Dib* previous,
                  bool hidden);
// Whether the DN readout shows values for a file state.
inline bool DnShownForState(int fileState) { return fileState < 3 || fileState > 8; }

}  // namespace lumora
