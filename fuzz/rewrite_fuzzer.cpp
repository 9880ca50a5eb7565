// Fuzz target for the two settings rewriters: the file after a processing
// step and the file of a partial write. Whatever the source holds, a source
// the program reads gives a target it reads, with the values written.
// Input: four bytes of values, then the source settings text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/imagefile/settings_file.h"
#include "core/support/line_reader.h"
#include "fuzz/fuzz_support.h"

using lumora::fuzz::Check;

namespace {

// A value cut by the line buffer comes back with a line break after it.
std::string WithoutBreak(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

// Whether a line piece of the settings text (as the rewriters read it)
// starts with the key.
bool HasPiece(std::string_view text, std::string_view key) {
  lumora::StringLineReader reader(text, 128);
  std::string piece;
  while (reader.Next(piece))
    if (piece.compare(0, key.size(), key) == 0) return true;
  return false;
}

}  // namespace

int LumoraFuzzRewrite(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const int lines = 1 + data[0] * 37, pixels = 1 + data[1] * 53;
  const int fileState = data[2] % 10, rainbow = data[3] & 1, singleBand = (data[3] >> 1) & 1;
  const double lon = -180.0 + data[0] * (360.0 / 255.0), lat = -90.0 + data[1] * (180.0 / 255.0);
  const std::string_view text = lumora::fuzz::AsText(data + 4, size - 4);
  const std::string source = lumora::fuzz::WriteInput("w.inf", text);
  const std::string& folder = lumora::fuzz::Folder();
  lumora::ImageSettings before;
  const bool readable = lumora::ParseSettings(std::string(text), before);

  lumora::RecordingMessenger messenger;
  lumora::ImageSettings after;
  if (lumora::RewriteSettingsAfterProcessing(source, folder + "/a.inf", source, lines, pixels,
                                             rainbow, singleBand, fileState, messenger) &&
      readable) {
    Check(lumora::ReadSettings(folder + "/a.inf", after, messenger));
    // LINE and PIXEL are replaced where the source has them.
    Check(after.lines == (HasPiece(text, "LINE =") ? lines : before.lines) &&
          after.pixels == (HasPiece(text, "PIXEL =") ? pixels : before.pixels) &&
          after.fileState == fileState && after.rainbow == rainbow &&
          after.singleBand == singleBand);
    Check(after.sensor == before.sensor &&
          WithoutBreak(after.gpsChar) == WithoutBreak(before.gpsChar) &&
          (after.leftTopLon == before.leftTopLon || std::isnan(before.leftTopLon)));
  }
  if (lumora::RewriteSettingsForPartialWrite(source, folder + "/p.inf", lines, pixels, lon, lat,
                                             messenger) &&
      readable) {
    Check(lumora::ReadSettings(folder + "/p.inf", after, messenger));
    // Matched on the bare key name: "LINEAR" is taken for LINE too.
    Check(after.lines == (HasPiece(text, "LINE") ? lines : before.lines) &&
          after.pixels == (HasPiece(text, "PIXEL") ? pixels : before.pixels));
  }
  return 0;
}

#ifdef LUMORA_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return LumoraFuzzRewrite(data, size);
}
#endif
