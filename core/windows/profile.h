// Profiles: the blue, green and red values of the display image along a
// horizontal or vertical line, as the graph strip over the view and as the
// profile text file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/support/messenger.h"
#include "core/view/dib.h"
#include "core/view/display_state.h"
#include "core/view/tool_geometry.h"

namespace lumora {

// A line with |dx| <= |dy| is vertical (a 45-degree line too).
bool IsVerticalProfile(int startX, int startY, int endX, int endY);

// One plotted pixel of the graph strip, in scrolled window coordinates
// relative to the strip's corner: x across a vertical strip (0..100), y down
// a horizontal one (0..100).
struct StripPoint {
  int x = 0;
  int y = 0;
  uint8_t r = 0, g = 0, b = 0;  // the plotting colour
};
inline constexpr int kStripThickness = 110;

// The black strip behind the points, in scrolled coordinates from the
// visible corner: 110 wide down the left edge for a vertical line, 110 tall
// along the top for a horizontal one, as long as the visible part of the
// image (at most its size times zoom).
struct StripRect {
  int width = 0;
  int height = 0;
};
StripRect ProfileStripRect(bool vertical, const Dib& dib, float zoom, int visibleWidth,
                           int visibleHeight);

// The strip's points for a line from start to end (scrolled coordinates at
// magnification zoom) over the display image: three points (red, green,
// blue values) per screen row or column whose bitmap pixel exists.
std::vector<StripPoint> ProfileStripPoints(const Dib& dib, float zoom, int startX, int startY,
                                           int endX, int endY);

// The ends of a profile in 1-based source pixels; horizontal when y0 == y1.
struct ProfileEnds {
  int x0 = 1, y0 = 1, x1 = 1, y1 = 1;
};

// A finished profile gesture in scrolled display coordinates (the phase the
// view draws in): the start, and the release limited to the drawn image and
// held to the line's axis. vertical comes from the gesture in the window.
struct ProfileGesture {
  ClientPoint start, end;
  bool vertical = true;
};
ProfileGesture FinishProfileGesture(const ViewGeometry& g, ClientPoint start, ClientPoint release);
// The client point at which a scrolled point is drawn now.
ClientPoint ClientOfScrolled(const ViewGeometry& g, ClientPoint scrolled);
// The gesture's ends as 1-based source pixels in the order the file wants.
ProfileEnds ProfileEndsOf(const ViewGeometry& g, const ProfileGesture& line);

// The profile file's text; the ends are put in order first. Source pixels
// map to the bitmap through the shown area and the step; pixels outside the
// bitmap (or left of or above the shown area) write no line.
std::string ProfileText(const std::string& settingsPath, const Dib& dib, const AreaRect& area,
                        int step, ProfileEnds ends);

// Writes ProfileText to path (replacing it only when complete); 61226 when
// the file cannot be created, 61273 when path is a file of the image's set.
bool WriteProfileFile(const std::string& path, const std::string& settingsPath, const Dib& dib,
                      const AreaRect& area, int step, const ProfileEnds& ends,
                      Messenger& messenger);

}  // namespace lumora
