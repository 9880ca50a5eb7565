// Which bands an image is shown with: the composition dialog's choice, the
// rule for processed images, what a step reopens with.
#pragma once

#include <array>
#include <cstdint>

#include "core/imagefile/settings_file.h"

namespace lumora {

// Band numbers are 1-based; types are sample-type codes.
struct Composition {
  int red = 3, green = 2, blue = 1;
  int redType = 1, greenType = 1, blueType = 1;
  int bandCount = 3;
  bool rainbow = false;
  bool singleBand = false;
};

// A processed image (file state not 0) opens without the dialog: as one band
// for file states 1, 6, and 5 with the single-band flag; otherwise bands
// 3, 2, 1. All sample types are 8-bit.
Composition CompositionForProcessed(const ImageSettings& settings);

// The bands red, green, blue (one band in grey when singleBand) with the
// sample type of each band's file in types (ScanBandTypes), 8-bit for a
// band without a file.
Composition ComposeBands(const std::array<uint8_t, 256>& types, int red, int green, int blue,
                         bool singleBand);

}  // namespace lumora
