// The annotated map page: where the title, the latitude/longitude grid with
// its labels, the scale bar, the north mark, the legend and the image go on
// an A4 page. Everything is in page units times the layout scale s; text is
// measured through TextMeasurer so the layout does not depend on a toolkit.
//
// Choices where the drawing is not fixed by the page's rules:
// - Longitude labels sit centred above the point where their line meets the
//   frame's top edge; latitude labels sit left of the point where their line
//   meets the frame's left edge, right-aligned and centred on the line. Both
//   keep 4 s clear of that edge and of the image, which is drawn over the
//   grid (with an inclination the frame's edge may run inside the image).
// - With an inclination the grid frame is the image rectangle turned by the
//   inclination about its top-left corner (that corner carries LeftTop_Lon
//   and LeftTop_Lat, so the labels are right there). The image and this frame
//   together are fitted into the available area, times 0.95, and centred.
// - Grid lines are computed in whole minutes (every step of the list is a
//   whole number of minutes), so labels never show 59 for a 60.
// - Scale labels sit centred above their ticks; over a bar too short for
//   them the end labels move outwards to keep 4 s clear of the middle one.
// - The north mark sits in its page corner, 10 s in from the edges. It is
//   clear of the image when it fits beside it or above/below it; otherwise
//   the margin with the smaller shortfall grows by that shortfall.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "core/imagefile/settings_file.h"
#include "core/output/page_layout.h"

namespace lumora {

// The fonts a page uses; the GUI maps each role to the chosen font.
enum class TextRole { kTitle, kGridLabel, kScaleLabel };

struct TextExtent {
  int width = 0;
  int height = 0;
};

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // Size of one line of text in page units at layout scale 1.
  virtual TextExtent Measure(TextRole role, const std::string& utf8) = 0;
};

struct GridStepChoice {
  const char* text;
  double step;  // hundredths of a degree
};
inline constexpr GridStepChoice kGridSteps[] = {{"1°", 100},
                                                {"30'", 50},
                                                {"15'", 25},
                                                {"10'", 16.666666666666668},
                                                {"5'", 8.333333333333334},
                                                {"1'", 1.6666666666666667}};
inline constexpr int kScaleLengthsKm[] = {5, 10, 15, 20};
inline constexpr const char* kNorthSizeTexts[] = {"小", "中", "大"};

// The choices of the annotation settings window.
struct AnnotationSettings {
  bool showTitle = false;
  std::string titleText;  // lines separated by "\r\n"
  bool showGrid = false;
  double gridStep = 100.0;
  bool showScale = false;
  int scaleKm = 5;
  int scalePosition = 0;  // 0 right, 1 centre, 2 left
  bool showNorth = false;
  int northPosition = 0;  // 0 top right, 1 bottom right, 2 bottom left, 3 top left
  int northSize = 0;      // 0 small, 1 medium, 2 large
  bool showLegend = false;
  int legendPosition = 0;  // 0 upper right, 1 lower right, 2 lower left, 3 upper left

  bool AnyShown() const { return showTitle || showGrid || showScale || showNorth || showLegend; }
};

// Grid and scale bar need a ground length, both corner values and a picture
// drawn to the map's scale: a bird's-eye view (shownFileState 5) is a
// perspective, where they mean nothing.
bool HasMapReference(const ImageSettings& s, int shownFileState);

// The child frame's size when the annotated page is first shown:
// min(page, 0.9 x screen, 565 x 800) plus the frame's borders.
FrameSize AnnotationFrameSize(int pageWidth, int pageHeight, int screenWidth, int screenHeight,
                              int borderWidth, int borderHeight);

// What the page needs to know about the image.
struct MapImage {
  int dibWidth = 0;
  int dibHeight = 0;
  int step = 1;  // sampling step of the display image
  double lengthPerPixel = 0.0;
  double leftTopLon = 500.0;
  double leftTopLat = 500.0;
  double inclination = 0.0;
  int northBitmapWidth = 0;
  int northBitmapHeight = 0;

  // A ground length that is infinite or no number places no grid line and
  // no scale bar.
  bool HasReference() const {
    return lengthPerPixel != 0.0 && std::isfinite(lengthPerPixel) && leftTopLon != 500.0 &&
           leftTopLat != 500.0;
  }
};

struct PointD {
  double x = 0.0, y = 0.0;
};

struct TextBox {
  std::string text;
  PageRect rect;
};

struct MapLayout {
  double s = 1.0;
  int pageWidth = 0, pageHeight = 0;  // already times s
  double marginTop = 0, marginBottom = 0, marginLeft = 0, marginRight = 0;
  std::vector<TextBox> titleLines;  // each centred on the page
  PageRect title;
  PageRect image;
  double f = 0.0;        // page units per display pixel
  PointD frame[4];       // grid frame: top-left, top-right, bottom-right, bottom-left
  TextExtent gridLabel;  // the sample label "N100ﾟ10'"
  PageRect scaleBar;     // 5 units tall
  double scaleLength = 0.0;
  int scaleTicks[3] = {0, 0, 0};  // x of the left end, the middle and the right end
  std::vector<TextBox> scaleLabels;
  PageRect north;
  int legendX = 0, legendY = 0;  // anchor for the legend's own drawing
};

MapLayout LayoutMap(int pageWidth, int pageHeight, double s, const MapImage& image,
                    const AnnotationSettings& settings, TextMeasurer& measurer);

// The three labels of a scale bar: "0km", the half ("%dkm" for an even
// length, "%4.1lfkm" for an odd one) and the length.
std::vector<std::string> ScaleLabels(int km);

// A grid label for a value in whole minutes: "E%3dﾟ%02d" / "W..." for
// longitudes, "N..." / "S..." for latitudes, a blank for 0° 0'.
std::string GridLabel(bool longitude, int minutes);

struct GridLine {
  PointD from, to;
  bool meridian = false;
  TextBox label;
};
// Lines at every multiple of the step strictly inside the frame (at most a
// few thousand; a grid finer than that is not drawn).
std::vector<GridLine> LayoutGrid(const MapLayout& layout, const MapImage& image,
                                 const AnnotationSettings& settings, TextMeasurer& measurer);

}  // namespace lumora
