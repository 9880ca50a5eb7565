// Fuzz target for the settings-file grammar: any text must parse without
// harm, and whatever is accepted must hold normalised values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/imagefile/settings_file.h"

namespace {

bool InRange(double v, double lo, double hi) { return v >= lo && v <= hi; }

}  // namespace

int LumoraFuzzSettings(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  lumora::ImageSettings s;
  const bool ok = lumora::ParseSettings(text, s);
  if (!ok) return 0;
  const bool lonOk = s.leftTopLon == 500.0 || InRange(s.leftTopLon, -180.0, 180.0);
  const bool latOk = s.leftTopLat == 500.0 || InRange(s.leftTopLat, -90.0, 90.0);
  if (s.sensor < 0 || s.sensor > 2 || (s.rainbow != 0 && s.rainbow != 1) ||
      (s.singleBand != 0 && s.singleBand != 1) || s.fileState < 0 || s.fileState > 9 || !lonOk ||
      !latOk || !InRange(s.inclination, -45.0, 45.0))
    std::abort();
  // Parsing is a function of the text alone.
  lumora::ImageSettings again;
  if (!lumora::ParseSettings(text, again) || again.lines != s.lines || again.pixels != s.pixels ||
      again.gpsChar != s.gpsChar)
    std::abort();
  return 0;
}

#ifdef LUMORA_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return LumoraFuzzSettings(data, size);
}
#endif
