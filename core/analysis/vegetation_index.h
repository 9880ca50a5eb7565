// Normalized difference vegetation index (X - Y) / (X + Y) of two bands:
// the index of a pixel, its byte mapping, the run that writes a one-band
// file set with its range file (.ndv), and the numbers, labels and colours
// of the colour-ramp legend on screen and on a page.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/change_map.h"
#include "core/view/processing_step.h"
#include "core/view/rainbow.h"

namespace lumora {

// The index of one pixel. A sum below the float epsilon gives -1 with the
// error flag set. The sum and the quotient are computed in double.
float NdviOfPixel(float x, float y, bool* error = nullptr);

// The output byte of an index: -1 -> 0, 0 -> 128, 1 -> 255, rounded; an
// index that is not a number gives 0.
uint8_t NdviByte(float index);

// Sensor presets of the index dialog: the X and Y band numbers.
struct BandPair {
  int x = 0;
  int y = 0;
};
BandPair NdviPreset(int sensor);

struct NdviParams {
  int xBand = -1;
  int xType = 1;  // sample type 1, 2, 3
  int yBand = -1;
  int yType = 1;
  bool rainbow = false;
};

inline constexpr const char* kRangeFileHeader =
    "The Normalized Difference Vegetation Index Intro File";

// Text of a range file: header line, then "%lf,%lf\n" of largest, smallest.
std::string FormatRangeFile(float largest, float smallest);

// The run: deletes targetBase.*, copies the .lev and .dem companions,
// writes targetBase.b01 (the index bytes), .d01 and .ndv.
bool RunVegetationIndex(const StepSource& source, const std::string& targetBase,
                        const NdviParams& params, StepResult& result, Messenger& messenger,
                        Progress& progress);
StepBody MakeVegetationIndexStep(NdviParams params);

// The end of an index run (the band maths' too): writes targetBase.ndv with
// rangeText and returns a single band of the vegetation state.
bool FinishIndexResult(const std::string& targetBase, const std::string& rangeText, int width,
                       int height, bool rainbow, StepResult& result, Messenger& messenger);

// The colour-ramp legend: range, labels and how its ramp is coloured.
struct RampLegend {
  float minimum = -1.0f;
  float maximum = 1.0f;
  float middle = 0.0f;
  bool rainbow = false;
  int mode = 0;  // 1: from a range file, 0: from numbers
  std::string topLabel = "255.0";
  std::string middleLabel = "255.0";
  std::string bottomLabel = "255.0";
  // A band-maths result's formula (its range file's third line): the
  // legend's title; its grey ramp then runs over the range, and "no value"
  // is named.
  std::string formula;
  // Its range file asks for the diverging colours (codes, white at 0).
  DivergingColours diverging = DivergingColours::kNone;
  // A change map's counts of pixels lost, gained and unchanged.
  std::optional<ChangeCounts> change;
};

// Largest and smallest of a range file's text (two lines of at most 255
// characters, the second split at its comma). False when malformed.
bool ParseRangeFile(std::string_view text, double& largest, double& smallest);

// Fills from settings path without extension + ".ndv" (61234 when it cannot
// be opened, 61416 when it is malformed; the legend is then unchanged).
bool FillRampFromRangeFile(const std::string& settingsPath, bool rainbow, RampLegend& legend,
                           Messenger& messenger);
void FillRampFromNumbers(float maximum, float minimum, bool rainbow, RampLegend& legend);

// Colour of ramp step k (0 bottom .. 255 top): the rainbow entry (255 - k
// when reversed) or the grey of the legend's range.
RainbowEntry RampColour(const RampLegend& legend, int k, bool rainbow, bool reversed);

// A rectangle of a legend drawing by its four edges (the page's own
// rectangles, by corner and size, are core/output's PageRect).
struct LegendRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// The 256 ramp steps (bottom first) in the ramp frame's client rectangle on
// screen, drawn with a pen as wide as the frame minus 2. The step height is
// kept as a fraction, so that frames lower than 256 pixels still fill.
std::vector<LegendRect> RampScreenSteps(int left, int top, int right, int bottom, int& penWidth);

// The legend drawn on a page at scale s (page units per legend unit).
struct PageLabel {
  int x = 0, y = 0;
  std::string text;
};
struct RampPageLayout {
  int penWidth = 0;                   // the ramp's pen (inside frame)
  std::vector<LegendRect> steps;      // 256, bottom first
  std::vector<RainbowEntry> colours;  // per step
  LegendRect frame;                   // black, one unit wide
  std::vector<PageLabel> labels;      // maximum, middle, minimum
};
// corner: 0 upper right, 1 lower right, 2 lower left, 3 upper left; (x, y)
// is the legend anchor. In mode 1 the range is read again from the range
// file (false with 61234 when it cannot be opened); in mode 0 the display
// range is used.
bool LayoutRampOnPage(const RampLegend& legend, const std::string& settingsPath, float dispMin,
                      float dispMax, bool rainbow, bool reversed, int anchorX, int anchorY,
                      int corner, double s, RampPageLayout& out, Messenger& messenger);

}  // namespace lumora
