// A plain, slow implementation of relief shading written straight from the
// rules (every point through the light camera, no shortcuts), to check the
// fast one byte for byte.
#pragma once

#include <cstdint>
#include <vector>

#include "core/analysis/elevation.h"

namespace lumora::test {

// Planes blue, green, red (only the first for kind 6), each width x height.
std::vector<std::vector<uint8_t>> ReferenceShading(const ElevationModel& model, int kind,
                                                   double lengthPerPixel, float lightAzimuth,
                                                   float lightElevation);

}  // namespace lumora::test
