// Fuzz target for loading an elevation model (.lev and .dem beside a
// settings file) and for what colouring and the relief renderers compute
// from it. Input: width and height bytes, the length of the range text,
// the range text, then the codes.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/analysis/elevation.h"
#include "fuzz/fuzz_support.h"

using lumora::fuzz::Check;

int LumoraFuzzDem(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int32_t pixels = 1 + data[0] % 64, lines = 1 + data[1] % 64;
  const size_t levBytes = std::min<size_t>(data[2], size - 3);
  const std::string_view rest = lumora::fuzz::AsText(data + 3, size - 3);
  lumora::fuzz::WriteInput("d.lev", rest.substr(0, levBytes));
  lumora::fuzz::WriteInput("d.dem", rest.substr(levBytes));
  lumora::RecordingMessenger messenger;
  lumora::Progress progress;
  lumora::ElevationModel model;
  if (!lumora::LoadElevation(lumora::fuzz::Folder() + "/d.inf", pixels, lines, model, messenger,
                             progress)) {
    Check(messenger.LastId() != 0);
    return 0;
  }
  Check(model.codes.size() == size_t(pixels) * size_t(lines));
  for (int state : {3, 4, 7, 8}) {
    const auto shown = lumora::DisplayRangeFor(state, model.rangeBottom, model.rangeTop);
    lumora::BuildCodeIndexTable(model, shown);
  }
  if (lumora::ReliefScaleUsable(model.metresPerCode, 0.03, 5.0))
    for (int code = 0; code < 256; ++code)
      Check(std::isfinite(lumora::HeightOfCode(code, model.metresPerCode, 0.03) * 5.0));
  return 0;
}

#ifdef LUMORA_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return LumoraFuzzDem(data, size);
}
#endif
