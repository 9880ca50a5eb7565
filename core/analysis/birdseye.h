// The bird's-eye view: the displayed image draped over the elevation model
// and seen from a chosen direction, drawn as a 600 x 600 picture by a
// parallel projection with a depth buffer and black side walls.
#pragma once

#include <cstdint>
#include <functional>

#include "core/analysis/elevation.h"
#include "core/analysis/shading.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"

namespace lumora {

inline constexpr int kBirdsEyeSize = 600;

struct BirdsEyeRequest {
  double lengthPerPixel = 0.0;  // kilometres
  float viewAzimuth = 45.0f;
  float viewElevation = 5.0f;
  double exaggeration = 1.0;  // 1.0 .. 5.0
  int bands = 3;              // 1 (grey) or 3 (blue, green, red)
};

// Fills dst with `pixels` samples of one image row of a displayed band
// (0 = blue or the grey band, 1 green, 2 red). Rows are asked for in
// increasing order.
using DrapeRowReader = std::function<void(int band, int32_t row, uint8_t* dst)>;

// Renders into `bands` planes of 600 x 600. 61233 when the buffers do not
// fit in memory. Progress moves over the second half of the bar.
bool RenderBirdsEye(const ElevationModel& model, const BirdsEyeRequest& request,
                    const DrapeRowReader& readRow, ColourPlanes& out, Messenger& messenger,
                    Progress& progress);

}  // namespace lumora
