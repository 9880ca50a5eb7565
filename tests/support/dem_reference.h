// Plain, slow implementations of relief shading and the bird's-eye view,
// written straight from the rules (every point through the camera, no
// shortcuts), to check the fast ones byte for byte.
#pragma once

#include <cstdint>
#include <vector>

#include "core/analysis/elevation.h"

namespace lumora::test {

// Planes blue, green, red (only the first for kind 6), each width x height.
std::vector<std::vector<uint8_t>> ReferenceShading(const ElevationModel& model, int kind,
                                                   double lengthPerPixel, float lightAzimuth,
                                                   float lightElevation);

// Planes of 600 x 600 for the bands given (full images, blue/grey first).
std::vector<std::vector<uint8_t>> ReferenceBirdsEye(const ElevationModel& model,
                                                    double lengthPerPixel, float viewAzimuth,
                                                    float viewElevation, double exaggeration,
                                                    const std::vector<std::vector<uint8_t>>& bands);

}  // namespace lumora::test
