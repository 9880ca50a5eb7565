#include "core/windows/profile.h"

#include <algorithm>
#include <cstdlib>

#include "core/imagefile/output_guard.h"
#include "core/imagefile/settings_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

bool IsVerticalProfile(int startX, int startY, int endX, int endY) {
  return std::abs(int64_t{endX} - startX) <= std::abs(int64_t{endY} - startY);
}

namespace {

// Plot position of a value: 0 -> 0, 255 -> 100.
int Scaled(uint8_t v) { return v * 100 / 255; }

void PlotPixel(std::vector<StripPoint>& out, const uint8_t* bgr, bool vertical, int along) {
  static constexpr uint8_t kColours[3][3] = {{0, 255, 255}, {0, 255, 0}, {255, 0, 0}};
  // Red first, then green, then blue (drawn in cyan).
  for (int channel : {2, 1, 0}) {
    StripPoint p;
    const int v = Scaled(bgr[channel]);
    p.x = vertical ? v : along;
    p.y = vertical ? along : 100 - v;
    p.r = kColours[channel][0];
    p.g = kColours[channel][1];
    p.b = kColours[channel][2];
    out.push_back(p);
  }
}

}  // namespace

StripRect ProfileStripRect(bool vertical, const Dib& dib, float zoom, int visibleWidth,
                           int visibleHeight) {
  const int imageW = static_cast<int>(dib.width * zoom);
  const int imageH = static_cast<int>(dib.height * zoom);
  if (vertical) return {kStripThickness, std::min(visibleHeight, imageH)};
  return {std::min(visibleWidth, imageW), kStripThickness};
}

std::vector<StripPoint> ProfileStripPoints(const Dib& dib, float zoom, int startX, int startY,
                                           int endX, int endY) {
  std::vector<StripPoint> out;
  if (dib.Empty() || !(zoom > 0.0f)) return out;
  const bool vertical = IsVerticalProfile(startX, startY, endX, endY);
  const int from = vertical ? std::min(startY, endY) : std::min(startX, endX);
  const int to = vertical ? std::max(startY, endY) : std::max(startX, endX);
  const int fixed = static_cast<int>((vertical ? startX : startY) / zoom);
  for (int64_t t = from; t <= to; ++t) {
    const int moving = static_cast<int>(static_cast<float>(t) / zoom);
    const int col = vertical ? fixed : moving;
    const int row = vertical ? moving : fixed;
    if (col < 0 || row < 0 || col >= dib.width || row >= dib.height) continue;
    PlotPixel(out, dib.TopRow(row) + 3 * col, vertical, static_cast<int>(t));
  }
  return out;
}

namespace {

// Whole display pixels of the scroll plus the draw offset, in screen pixels:
// an integer at every zoom level, as the levels are powers of two.
ClientPoint ScrollPhase(const ViewGeometry& g) {
  return {static_cast<int32_t>(static_cast<int32_t>(g.scrollX / g.zoom) * g.zoom) + g.drawOffsetX,
          static_cast<int32_t>(static_cast<int32_t>(g.scrollY / g.zoom) * g.zoom) + g.drawOffsetY};
}

}  // namespace

ProfileGesture FinishProfileGesture(const ViewGeometry& g, ClientPoint start, ClientPoint release) {
  const ClientPoint phase = ScrollPhase(g);
  const int32_t maxX = std::max(0, static_cast<int32_t>(g.dibWidth * g.zoom) - 1);
  const int32_t maxY = std::max(0, static_cast<int32_t>(g.dibHeight * g.zoom) - 1);
  ProfileGesture line;
  line.vertical = ProfileLineOf(g, start, ClampSelectionEnd(g, release)).vertical;
  line.start = {start.x + phase.x, start.y + phase.y};
  line.end = {std::clamp(release.x + phase.x, 0, maxX), std::clamp(release.y + phase.y, 0, maxY)};
  if (line.vertical)
    line.end.x = line.start.x;
  else
    line.end.y = line.start.y;
  // A line of one pixel is vertical, as the strip's points are.
  if (line.start == line.end) line.vertical = true;
  return line;
}

ClientPoint ClientOfScrolled(const ViewGeometry& g, ClientPoint scrolled) {
  const ClientPoint phase = ScrollPhase(g);
  return {scrolled.x - phase.x, scrolled.y - phase.y};
}

ProfileEnds ProfileEndsOf(const ViewGeometry& g, const ProfileGesture& line) {
  auto source = [&](int32_t scrolled, int32_t origin) {
    return static_cast<int32_t>(scrolled / g.zoom) * g.step + origin + 1;
  };
  ProfileEnds e{source(line.start.x, g.areaLeft), source(line.start.y, g.areaTop),
                source(line.end.x, g.areaLeft), source(line.end.y, g.areaTop)};
  if (e.x0 > e.x1) std::swap(e.x0, e.x1);
  if (e.y0 > e.y1) std::swap(e.y0, e.y1);
  return e;
}

std::string ProfileText(const std::string& settingsPath, const Dib& dib, const AreaRect& area,
                        int step, ProfileEnds e) {
  if (e.x0 > e.x1) std::swap(e.x0, e.x1);
  if (e.y0 > e.y1) std::swap(e.y0, e.y1);
  const bool horizontal = e.y0 == e.y1;
  std::string text = "Profile\n" + settingsPath + "\n" +
                     Format("[%d,%d]-[%d,%d]\n", e.x0, e.y0, e.x1, e.y1) +
                     (horizontal ? "X,B,G,R\n" : "Y,B,G,R\n");
  if (step < 1) return text;
  const int first = horizontal ? e.x0 : e.y0;
  const int last = horizontal ? e.x1 : e.y1;
  for (int64_t c = first; c <= last; ++c) {
    const int64_t x = horizontal ? c : e.x0;
    const int64_t y = horizontal ? e.y0 : c;
    const int64_t dx = x - 1 - area.m_nAreaLeft;
    const int64_t dy = y - 1 - area.m_nAreaTop;
    // A pixel left of or above the shown area is outside the bitmap even
    // where dividing by the step would round it onto column or row 0.
    if (dx < 0 || dy < 0) continue;
    const int64_t col = dx / step, row = dy / step;
    if (col >= dib.width || row >= dib.height) continue;
    const uint8_t* p = dib.TopRow(static_cast<int32_t>(row)) + 3 * col;
    text += Format("%5d,%3d,%3d,%3d\n", static_cast<int>(c), p[0], p[1], p[2]);
  }
  return text;
}

bool WriteProfileFile(const std::string& path, const std::string& settingsPath, const Dib& dib,
                      const AreaRect& area, int step, const ProfileEnds& ends,
                      Messenger& messenger) {
  if (!OutputSparesSet(path, settingsPath, messenger)) return false;
  if (!WriteFileAtomically(path, ProfileText(settingsPath, dib, area, step, ends))) {
    messenger.ShowMessage(kMsgProfileCreateFailed);
    return false;
  }
  return true;
}

}  // namespace lumora
