// The texts of the image information window: sensor, size, ground length of
// a pixel, the geographic top-left corner and the inclination.
#pragma once

#include <string>

#include "core/imagefile/settings_file.h"

namespace lumora {

struct ImageInfoTexts {
  std::string sensor;
  std::string size;
  std::string pixelLength;
  std::string position;  // longitude and latitude, three lines
  std::string inclination;
};

// pixels and lines: the size of the current document image.
ImageInfoTexts MakeImageInfoTexts(const ImageSettings& settings, int pixels, int lines);

// An angle split into whole degrees, whole minutes and seconds, all of its
// absolute value; seconds that would print as 60.00 carry into the minutes.
struct DegMinSec {
  bool negative = false;
  int degrees = 0;
  int minutes = 0;
  double seconds = 0.0;
};
DegMinSec SplitDegrees(double value);

}  // namespace lumora
