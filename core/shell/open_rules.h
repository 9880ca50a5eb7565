// Decisions of the open command that need no window: the composition of a
// processed image, the sensor presets of the composition dialog and the
// check of a chosen band file.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "core/imagefile/composition.h"
#include "core/imagefile/settings_file.h"

namespace lumora {

struct CompositionPreset {
  int controlId;
  int sensor;
  const char* resourceBase;
  int red, green, blue;
};
std::span<const CompositionPreset> CompositionPresets();
const CompositionPreset* FindPreset(int controlId);

// Whether the composition dialog offers a preset for an image of this
// sensor whose band files are bands: the preset is the sensor's and every
// band it asks for is there. When not, why, in the interface language.
struct PresetOffer {
  bool offered = false;
  std::string reason;
};
PresetOffer OfferPreset(const CompositionPreset& preset, int sensor, std::span<const int> bands);

// The message of a band file the composition cannot open, naming the file.
std::string BandFileFailure(const std::string& settingsPath, int sampleType, int band);

enum class BandFileCheck { kOk, kCannotOpen, kWrongSize };
// The band file settingsPath without extension + ".%c%02d" must open and
// hold exactly bytes-per-sample x PIXEL x LINE bytes.
BandFileCheck CheckBandFile(const std::string& settingsPath, int sampleType, int band,
                            const ImageSettings& settings);

}  // namespace lumora
