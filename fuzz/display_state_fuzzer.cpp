// Fuzz target for the display-state (.brd) reader and for its values as the
// display then uses them: the range a bird's-eye result is shown with goes
// through the rainbow mapping and the colour-ramp legend, and is written
// again with the next result.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/analysis/vegetation_index.h"
#include "core/imagefile/settings_file.h"
#include "core/support/regular_file.h"
#include "core/view/dib.h"
#include "core/view/display_loader.h"
#include "core/view/rainbow.h"
#include "fuzz/fuzz_support.h"

using lumora::fuzz::Check;

int LumoraFuzzDisplayState(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  lumora::DisplayStateFile first, second;
  Check(lumora::ParseDisplayState(text, first));
  Check(lumora::ParseDisplayState(text, second));
  Check(first.state == second.state && first.maxVal == second.maxVal &&
        first.minVal == second.minVal);

  // As opening a bird's-eye result does.
  lumora::fuzz::WriteInput("v.brd", text);
  lumora::DisplayState state;
  state.m_nFileState = lumora::kStateBirdsEye;
  state.m_bRainbow = size % 2 == 0;
  state.m_strSettingsPath = lumora::fuzz::Folder() + "/v.inf";
  lumora::DecideOpenLegend(state);
  if (size <= lumora::kMaxRangeFileBytes) {
    Check(state.m_fDispMin == static_cast<float>(first.minVal));
    Check(state.m_fDispMax == static_cast<float>(first.maxVal));
  }
  for (bool reverse : {false, true}) {
    lumora::Dib dib;
    Check(dib.Create(256, 1));
    for (int v = 0; v < 256; ++v) {
      const int k = lumora::RainbowIndex(v, state.m_fDispMin, state.m_fDispMax, reverse);
      Check(k >= -1 && k <= 255);
      for (int c = 0; c < 3; ++c) dib.TopRow(0)[3 * v + c] = static_cast<uint8_t>(v);
    }
    lumora::ApplyRainbow(dib, state.m_fDispMin, state.m_fDispMax, reverse);
  }
  lumora::RampLegend legend;
  lumora::FillRampFromNumbers(state.m_fDispMax, state.m_fDispMin, state.m_bRainbow, legend);
  for (int k = 0; k < 256; k += 17) lumora::RampColour(legend, k, false, false);
  lumora::RampPageLayout page;
  lumora::RecordingMessenger messenger;
  lumora::LayoutRampOnPage(legend, state.m_strSettingsPath, state.m_fDispMin, state.m_fDispMax,
                           false, true, 100, 900, 1, 1.5, page, messenger);
  // The next bird's-eye result writes the range again; it must read back.
  const std::string again = lumora::fuzz::Folder() + "/w.brd";
  Check(lumora::WriteDisplayStateFile(again, first.state, state.m_fDispMax, state.m_fDispMin,
                                      messenger));
  lumora::DisplayStateFile reread;
  Check(lumora::ReadDisplayStateFile(again, reread) && reread.state == first.state);
  return 0;
}

#ifdef LUMORA_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return LumoraFuzzDisplayState(data, size);
}
#endif
