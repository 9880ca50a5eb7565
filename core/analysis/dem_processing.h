// The six kinds of elevation processing as processing steps: elevation
// colouring (absolute, relative), shading (grey, over absolute or relative
// colours) and the bird's-eye view. Each writes a complete file set: band
// files, descriptions and its companions (.lev/.dem, or .brd and the
// draped image's legend file).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/analysis/elevation.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "core/view/display_state.h"
#include "core/view/processing_step.h"

namespace lumora {

// What the view shows when the bird's-eye view drapes it.
struct DrapeComposition {
  int32_t blueBand = 0;  // 0-based band indices
  int32_t greenBand = 1;
  int32_t redBand = 2;
  bool singleBand = false;
  bool rainbow = false;
  int32_t bandCount = 3;  // bands the composition listed
  int32_t fileState = 0;
  float dispMin = 255.0f;
  float dispMax = 0.0f;
};

DrapeComposition DrapeFromState(const DisplayState& state, int32_t bandCount);

struct DemRequest {
  int kind = 3;  // file state 3..8
  float lightAzimuth = 45.0f;
  float lightElevation = 45.0f;
  float viewAzimuth = 45.0f;
  float viewElevation = 5.0f;
  double exaggeration = 1.0;
  DrapeComposition drape;  // for the bird's-eye view
};

// False when the kind or an angle is outside what the settings dialog
// accepts (kinds 3..8, azimuths 0..360, elevations 0..90, 1..5 times).
bool DemRequestValid(const DemRequest& request);

// Writes the result of one kind under targetBase and fills the result's
// size, file state and composition flags. Messages as the kinds specify;
// 61426 when shading or the bird's-eye view meets an image without a usable
// ground length per pixel.
bool RunDemProcessing(const DemRequest& request, const StepSource& source,
                      const std::string& targetBase, StepResult& result, Messenger& messenger,
                      Progress& progress);

StepBody MakeDemStep(DemRequest request);

// How the display state changes for a result of the kind before it is
// shown: colours are three bands, grey shading one, the bird's-eye view a
// 600 x 600 image at step 1; all shown bands become bytes.
void AdjustStateForDem(int kind, DisplayState& state);

// Colours of every code for a display range, blue, green, red.
std::array<Bgr, 256> CodeColours(const ElevationModel& model, DisplayRange range);
// One row (or any run) of codes into three colour planes.
void ColourCodes(const uint8_t* codes, size_t count, const std::array<Bgr, 256>& colours,
                 uint8_t* blue, uint8_t* green, uint8_t* red);

// Band description texts of the results.
inline constexpr const char* kElevationBandText[3] = {"標高データ　青", "標高データ　緑",
                                                      "標高データ　赤"};
inline constexpr const char* kShadeMonoText = "陰影画像　白黒";
inline constexpr const char* kShadeBandText[3] = {"陰影画像　青", "陰影画像　緑", "陰影画像　赤"};
inline constexpr const char* kBirdsEyeMonoText = "鳥瞰画像　白黒";
inline constexpr const char* kBirdsEyeBandText[3] = {"鳥瞰画像　青", "鳥瞰画像　緑",
                                                     "鳥瞰画像　赤"};

}  // namespace lumora
