// Mouse tool geometry. As in the view's drawing, an int combined with the
// float zoom factor is computed in float, and adding 0.5 turns it into double.
#include "core/view/tool_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/support/text.h"

namespace lumora {
namespace {

int32_t Round(float v) { return static_cast<int32_t>(v + 0.5); }

// A client coordinate in scrolled display coordinates, in the phase the
// drawing uses: whole display pixels of the scroll plus the draw offset.
float Scrolled(int32_t p, int32_t scroll, int32_t drawOffset, float z) {
  return static_cast<int32_t>(scroll / z) * z + drawOffset + p;
}

int32_t ToPixel(int32_t scrolled, int32_t step, float z) {
  return Round(static_cast<float>(scrolled * step) / z);
}

}  // namespace

ClientPoint DocumentPixel(const ViewGeometry& g, ClientPoint p) {
  return {ToPixel(p.x + g.scrollX, g.step, g.zoom), ToPixel(p.y + g.scrollY, g.step, g.zoom)};
}

ClientPoint DocumentEndPixel(const ViewGeometry& g, ClientPoint p) {
  const int32_t ex = std::clamp(p.x + g.scrollX, 0, static_cast<int32_t>(g.dibWidth * g.zoom));
  const int32_t ey = std::clamp(p.y + g.scrollY, 0, static_cast<int32_t>(g.dibHeight * g.zoom));
  return {std::min(ToPixel(ex, g.step, g.zoom), g.imagePixels - 1),
          std::min(ToPixel(ey, g.step, g.zoom), g.imageLines - 1)};
}

ClientPoint StatusReadout(const ViewGeometry& g, ClientPoint p) {
  const float z = g.zoom;
  const int32_t x = static_cast<int32_t>(Scrolled(p.x, g.scrollX, g.drawOffsetX, z) / z) * g.step +
                    g.areaLeft + 1;
  const int32_t y =
      static_cast<int32_t>(Scrolled(p.y, g.scrollY, g.drawOffsetY, z) / z) * g.step + g.areaTop + 1;
  return {std::clamp(x, 1, std::max(1, g.imagePixels)),
          std::clamp(y, 1, std::max(1, g.imageLines))};
}

SourcePoint SourcePointAt(const ViewGeometry& g, ClientPoint p) {
  const double z = g.zoom;
  return {Scrolled(p.x, g.scrollX, g.drawOffsetX, g.zoom) / z * g.step + g.areaLeft,
          Scrolled(p.y, g.scrollY, g.drawOffsetY, g.zoom) / z * g.step + g.areaTop};
}

ClientPoint ClientOfSource(const ViewGeometry& g, SourcePoint s) {
  const double z = g.zoom;
  const double originX = Scrolled(0, g.scrollX, g.drawOffsetX, g.zoom);
  const double originY = Scrolled(0, g.scrollY, g.drawOffsetY, g.zoom);
  return {static_cast<int32_t>(std::lround((s.x - g.areaLeft) / g.step * z - originX)),
          static_cast<int32_t>(std::lround((s.y - g.areaTop) / g.step * z - originY))};
}

std::string StatusTextX(const ClientPoint& readout) { return Format("x=%d", readout.x); }
std::string StatusTextY(const ClientPoint& readout) { return Format("y=%d", readout.y); }

bool InsideDrawnImage(const ViewGeometry& g, ClientPoint p) {
  return p.x >= 0 && p.y >= 0 && p.x < g.dibWidth * g.zoom && p.y < g.dibHeight * g.zoom;
}

ClientPoint ClampSelectionEnd(const ViewGeometry& g, ClientPoint p) {
  const int32_t maxX = static_cast<int32_t>(g.dibWidth * g.zoom) - 1;
  const int32_t maxY = static_cast<int32_t>(g.dibHeight * g.zoom) - 1;
  return {std::clamp(p.x, 0, std::max(0, maxX)), std::clamp(p.y, 0, std::max(0, maxY))};
}

ClientPoint ClampRulerEnd(const ViewGeometry& g, ClientPoint p) {
  return {std::clamp(p.x, 0, static_cast<int32_t>(g.dibWidth * g.zoom)),
          std::clamp(p.y, 0, static_cast<int32_t>(g.dibHeight * g.zoom))};
}

std::string SelectionSizeText(const ViewGeometry& g, ClientPoint start, ClientPoint end) {
  return Format("%dx%d", ToPixel(std::abs(end.x - start.x), g.step, g.zoom),
                ToPixel(std::abs(end.y - start.y), g.step, g.zoom));
}

ProfileLine ProfileLineOf(const ViewGeometry& g, ClientPoint start, ClientPoint end) {
  const int32_t dx = std::abs(end.x - start.x);
  const int32_t dy = std::abs(end.y - start.y);
  ProfileLine line;
  line.vertical = dx <= dy;
  line.end = line.vertical ? ClientPoint{start.x, end.y} : ClientPoint{end.x, start.y};
  line.length = ToPixel(line.vertical ? dy : dx, g.step, g.zoom);
  return line;
}

double RulerDistance(const ViewGeometry& g, ClientPoint start, ClientPoint end,
                     double lengthPerPixel) {
  const int64_t dx = end.x - start.x;
  const int64_t dy = end.y - start.y;
  return std::sqrt(static_cast<double>(dx * dx + dy * dy)) / g.zoom * g.step * lengthPerPixel *
         1000;
}

std::string RulerText(double metres) { return Format("%.0lf m", metres); }

int64_t DnOffset(const ViewGeometry& g, ClientPoint p) {
  const float ex = Scrolled(p.x, g.scrollX, g.drawOffsetX, g.zoom);
  const float ey = Scrolled(p.y, g.scrollY, g.drawOffsetY, g.zoom);
  if (ex < 0 || ey < 0) return -1;
  const int32_t c = static_cast<int32_t>(ex / g.zoom);
  const int32_t r = static_cast<int32_t>(ey / g.zoom);
  if (c >= g.dibWidth || r >= g.dibHeight) return -1;
  return int64_t{3} * c + int64_t{g.dibHeight - r - 1} * Dib::StrideFor(g.dibWidth);
}

DnTexts DnReadout(const ViewGeometry& g, ClientPoint p, const Dib& current, const Dib* previous,
                  bool hidden) {
  DnTexts t{kNoDn, kNoDn};
  const int64_t offset = hidden ? -1 : DnOffset(g, p);
  auto text = [offset](const Dib& dib, std::string& out) {
    if (offset < 0 || offset + 3 > static_cast<int64_t>(dib.bits.size())) return false;
    const uint8_t* px = dib.bits.data() + offset;
    out = Format("( %3d, %3d, %3d)", px[0], px[1], px[2]);
    return true;
  };
  if (!text(current, t.current)) return DnTexts{kNoDn, kNoDn};
  if (previous) text(*previous, t.previous);
  return t;
}

}  // namespace lumora
