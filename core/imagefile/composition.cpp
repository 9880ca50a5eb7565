#include "core/imagefile/composition.h"

namespace lumora {

Composition CompositionForProcessed(const ImageSettings& s) {
  Composition c;
  c.rainbow = s.rainbow != 0;
  c.singleBand = s.singleBand != 0;
  const int fs = s.fileState;
  if (fs == kStateVegetation || fs == kStateShadeMono || (fs == kStateBirdsEye && s.singleBand)) {
    c.red = c.green = c.blue = 1;
    c.bandCount = 1;
  }
  return c;
}

Composition ComposeBands(const std::array<uint8_t, 256>& types, int red, int green, int blue,
                         bool singleBand) {
  auto typeOf = [&](int band) {
    return band >= 1 && band <= 255 && types[static_cast<size_t>(band)] ? int{types[band]}
                                                                        : kSample8;
  };
  Composition c;
  c.red = red;
  c.green = green;
  c.blue = blue;
  c.redType = typeOf(red);
  c.greenType = typeOf(green);
  c.blueType = typeOf(blue);
  c.singleBand = singleBand;
  c.bandCount = singleBand ? 1 : 3;
  return c;
}

}  // namespace lumora
