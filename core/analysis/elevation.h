// Elevation model files and colours: the range file (.lev) that says which
// altitudes the codes stand for, the code file (.dem) with one byte per
// pixel (0 = sea), the altitude of a code, the elevation colour table and the
// display ranges that elevation colouring, shading and the legend share.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/imagefile/level_file.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"

namespace lumora {

// Metres per code step: (max - min) / 254 as the program computes it. The
// difference is taken in 64 bits so that hostile altitudes cannot overflow.
double MetresPerCode(int32_t minAltitude, int32_t maxAltitude);
// Altitude in metres of code c (1..255).
double AltitudeOfCode(int code, double metresPerCode, int32_t minAltitude);

// Height of a code in units of one ground pixel, for the relief renderers:
// code x metres per code in kilometres / kilometres per pixel. Heights are
// measured from code 0, not from MIN_ALTITUDE.
inline double HeightOfCode(int code, double metresPerCode, double lengthPerPixel) {
  return code * metresPerCode * 0.001 / lengthPerPixel;
}
// The relief renderers need a positive ground length per pixel that keeps
// every height (exaggerated up to maxExaggeration) finite.
bool ReliefScaleUsable(double metresPerCode, double lengthPerPixel, double maxExaggeration);

// Truncation toward zero into 32 bits, saturating instead of overflowing
// (a hostile range file must not make a conversion undefined).
int32_t TruncToInt(double v);

// A settings path with its extension replaced (".lev", ".dem", ...), the
// file looked up without regard to case when the exact name is missing.
std::string CompanionPath(const std::string& settingsPath, const std::string& extension);

// A loaded elevation model.
struct ElevationModel {
  ElevationRange range;
  int32_t pixels = 0;
  int32_t lines = 0;
  double metresPerCode = 0.0;
  int32_t rangeBottom = 0;     // altitude of the lowest code present
  int32_t rangeTop = 0;        // altitude of the highest code present
  std::vector<uint8_t> codes;  // pixels x lines, top row first

  uint8_t Code(int32_t x, int32_t y) const { return codes[size_t(y) * size_t(pixels) + x]; }
};

// Reads the range file and the code file beside settingsPath for an image of
// pixels x lines. 61234 when a file cannot be opened, 61288 when the range
// is inconsistent or the code file is shorter than the image, 61233 when the
// codes do not fit in memory, 61400/61401 for an impossible size. The
// progress moves over the first half of the bar.
bool LoadElevation(const std::string& settingsPath, int32_t pixels, int32_t lines,
                   ElevationModel& model, Messenger& messenger, Progress& progress);

// Elevation colours: entry 0 sea blue, 1..254 green through yellow to red,
// 255 grey. Each entry is blue, green, red.
using Bgr = std::array<uint8_t, 3>;
using ElevationColourTable = std::array<Bgr, 256>;
// One entry; an index above 255 is taken as 255 and below 0 as 0.
Bgr ElevationColour(int index);
ElevationColourTable BuildElevationColours();

// Altitudes in metres that the colour table spans.
struct DisplayRange {
  int32_t bottom = 0;
  int32_t top = 0;
};
// Absolute: 0 to 3000, 5000, 7000 or 9000 by the range top. Relative: the
// range rounded outwards to hundreds (bottoms below 100 become 0). A
// relative range that would be empty (a model of one altitude at a multiple
// of 100) gets 100 m of height so that no colour divides by zero.
DisplayRange AbsoluteDisplayRange(int32_t rangeTop);
DisplayRange RelativeDisplayRange(int32_t rangeBottom, int32_t rangeTop);
// Relative for the relative kinds (4 and 8), absolute otherwise.
DisplayRange DisplayRangeFor(int fileState, int32_t rangeBottom, int32_t rangeTop);

// Colour index of every code for a display range: 0 for sea, land kept
// inside 1..255.
using CodeIndexTable = std::array<uint8_t, 256>;
CodeIndexTable BuildCodeIndexTable(const ElevationModel& model, DisplayRange range);
// The colour index of one land code before it is kept inside the table.
double RawColourIndex(int code, double metresPerCode, int32_t minAltitude, DisplayRange range);

// The range and labels the DEM legend shows for the range file beside
// settingsPath; the legend is relative when fileState or hint is 4 or 8.
struct DemLegendRange {
  double low = 1000.0;
  double high = 1000.0;
  std::string LowLabel() const;        // "%dm"
  std::string HighLabel() const;       // "%dm"
  std::string LowPrintLabel() const;   // "%4dm"
  std::string HighPrintLabel() const;  // "%4dm"
};
// The state whose range an elevation legend shows besides the image's own:
// a bird's-eye view shows the legend of the image it drapes, which its .brd
// names; 0 for every other image, or when the .brd cannot be read.
int ElevationLegendHint(const std::string& settingsPath, int fileState);

// 61234 when the range file cannot be opened, 61288 when it is inconsistent;
// the range keeps its initial values then.
bool ReadDemLegendRange(const std::string& settingsPath, int fileState, int hint,
                        DemLegendRange& out, Messenger& messenger);

}  // namespace lumora
