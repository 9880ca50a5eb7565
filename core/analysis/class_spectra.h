// The mean spectrum of each class of a classification with its spread: per
// band the mean and standard deviation of the training samples, taken as
// the classifier takes them, from the image the classes were drawn on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/support/messenger.h"

namespace lumora {

struct ClassSpectrum {
  std::string title;
  uint8_t red = 0, green = 0, blue = 0;
  std::vector<double> mean;       // per band of `bands`
  std::vector<double> deviation;  // per band of `bands`
};

// The bands a legend file (.mlk text) names, in order; false when the text
// ends before them.
bool ParseLandCoverBands(std::string_view text, std::vector<int>& bands);

// From the result's legend file (beside resultSettingsPath) and the 8-bit
// bands of the image at sourceSettingsPath: the bands used and one spectrum
// per class that has a usable training area. False after a message when
// the legend file or a band cannot be read, or the source is not an image
// the classes can have been drawn on (it must be unprocessed or filtered).
bool ClassSpectra(const std::string& resultSettingsPath, const std::string& sourceSettingsPath,
                  std::vector<int>& bands, std::vector<ClassSpectrum>& out, Messenger& messenger);

}  // namespace lumora
