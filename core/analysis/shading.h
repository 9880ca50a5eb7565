// Relief shading of an elevation model lit from one direction: grey, or
// over the absolute or relative elevation colours. Each land pixel's normal
// comes from its four neighbours; its brightness is scaled in luminance.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/analysis/elevation.h"
#include "core/analysis/geometry.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"

namespace lumora {

// Output bands of a renderer: plane 0 is blue (or grey), 1 green, 2 red.
struct ColourPlanes {
  int32_t width = 0;
  int32_t height = 0;
  std::array<std::vector<uint8_t>, 3> plane;
  int count = 0;  // planes in use: 1 (grey) or 3
};

// Allocates `count` zero planes, each filled with `fill`; false when the
// memory cannot be had.
bool AllocatePlanes(ColourPlanes& planes, int32_t width, int32_t height, int count, uint8_t fill);

struct ShadingRequest {
  int kind = 6;                 // 6 grey, 7 over absolute colours, 8 over relative colours
  double lengthPerPixel = 0.0;  // kilometres
  float lightAzimuth = 45.0f;
  float lightElevation = 45.0f;
};

// The pixel's colour (blue, green, red) scaled by brightness s through
// luminance: chroma kept, luma multiplied.
Bgr ScaleLuminance(const Bgr& colour, double s);

// Shades the model into one plane (kind 6) or three, in two bands of rows
// at once. 61233 when the planes do not fit in memory. Progress moves over
// the second half of the bar.
bool ShadeElevation(const ElevationModel& model, const ShadingRequest& request, ColourPlanes& out,
                    Messenger& messenger, Progress& progress);

// Rows from..to-1 are done: rows[p] holds them for each plane in use, one
// after the other. Called on the thread that did them, while other blocks
// are being done.
using RowsDone =
    std::function<void(int32_t from, int32_t to, const std::array<const uint8_t*, 3>& rows)>;

// ShadeElevation told block by block (about a megabyte a plane), without
// holding the whole planes.
bool ShadeElevationRows(const ElevationModel& model, const ShadingRequest& request,
                        const RowsDone& rowsDone, Messenger& messenger, Progress& progress);

}  // namespace lumora
