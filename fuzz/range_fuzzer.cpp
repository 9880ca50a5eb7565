// Fuzz target for the two range files: the vegetation-index range (.ndv) as
// the colour-ramp legend uses it on screen and on the page, and the
// elevation range (.lev) as the elevation legend uses it. Each is read from
// a file, through the readers the program calls.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/analysis/elevation.h"
#include "core/analysis/vegetation_index.h"
#include "fuzz/fuzz_support.h"

using lumora::fuzz::Check;

int LumoraFuzzRange(const uint8_t* data, size_t size) {
  const std::string_view text = lumora::fuzz::AsText(data, size);
  lumora::RecordingMessenger messenger;
  const std::string settings = lumora::fuzz::Folder() + "/r.inf";

  lumora::fuzz::WriteInput("r.ndv", text);
  double largest = 0, smallest = 0;
  lumora::ParseRangeFile(text, largest, smallest);
  lumora::RampLegend legend;
  if (lumora::FillRampFromRangeFile(settings, size % 2 == 0, legend, messenger)) {
    for (int k = 0; k < 256; ++k) {
      lumora::RampColour(legend, k, false, false);
      lumora::RampColour(legend, k, true, true);
    }
    lumora::RampPageLayout page;
    Check(lumora::LayoutRampOnPage(legend, settings, 0.0f, 255.0f, false, false, 100, 900,
                                   static_cast<int>(size % 4), 1.5, page, messenger));
  }

  lumora::fuzz::WriteInput("r.lev", text);
  lumora::ElevationRange range;
  lumora::ParseElevationRange(std::string(text), range);
  const double step = lumora::MetresPerCode(range.minAltitude, range.maxAltitude);
  for (int code = 0; code < 256; ++code)
    lumora::TruncToInt(lumora::AltitudeOfCode(code, step, range.minAltitude));
  for (int state : {3, 4, 7, 8}) {
    lumora::DemLegendRange shown;
    if (lumora::ReadDemLegendRange(settings, state, 0, shown, messenger)) {
      shown.LowLabel();
      shown.HighPrintLabel();
    }
  }
  return 0;
}

#ifdef LUMORA_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return LumoraFuzzRange(data, size);
}
#endif
