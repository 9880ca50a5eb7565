// How much of the image each class of a classification result covers:
// pixels, ground area from LengthPerPixel, and share of the image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/imagefile/ground_scale.h"
#include "core/support/messenger.h"

namespace lumora {

struct ClassArea {
  std::string title;  // UTF-8; the last row's is "not classified"
  uint8_t red = 0, green = 0, blue = 0;
  int64_t pixels = 0;
  double share = 0.0;  // of all pixels, 0..1
  GroundMeasure measure;
};

// Counts the pixels of each legend class (by its colour; a colour two
// classes share counts for the first) in the three class planes of the
// result resultSettingsPath names, then the pixels of no class (black or a
// colour the legend lacks) as a last row. False after a message when the
// settings, legend or a plane cannot be read.
bool ComputeClassAreas(const std::string& resultSettingsPath, std::vector<ClassArea>& out,
                       Messenger& messenger);

// "1234 pixels, 5.67 ha, 12.3 %" for the legend; ha below 100 ha, km² above;
// the "not measurable" text without a ground scale.
std::string ClassAreaText(const ClassArea& area);

// class,red,green,blue,pixels,share_percent,area_m2,area_ha,area_km2
std::string ClassAreasCsv(const std::vector<ClassArea>& areas);

}  // namespace lumora
