// Fuzz target for the display-state (.brd) reader: any text must be read
// without harm, and the same text always gives the same state.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/imagefile/settings_file.h"

int LumoraFuzzDisplayState(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  lumora::DisplayStateFile first, second;
  if (!lumora::ParseDisplayState(text, first)) std::abort();
  if (!lumora::ParseDisplayState(text, second)) std::abort();
  if (first.state != second.state || first.maxVal != second.maxVal || first.minVal != second.minVal)
    std::abort();
  return 0;
}

#ifdef LUMORA_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return LumoraFuzzDisplayState(data, size);
}
#endif
