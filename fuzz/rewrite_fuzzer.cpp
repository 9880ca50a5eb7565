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

// How many pieces of the settings text start with the key, the text read
// in pieces of that buffer (128 as the reader and the step's rewriter read
// it, whole lines as the partial write copies it).
int Pieces(std::string_view text, std::string_view key, int buffer = 128) {
  lumora::StringLineReader reader(text, buffer);
  std::string piece;
  int count = 0;
  while (reader.Next(piece)) count += piece.compare(0, key.size(), key) == 0;
  return count;
}
bool HasPiece(std::string_view text, std::string_view key) { return Pieces(text, key) > 0; }

// The value the partial write leaves for the key: a key heading a whole line
// takes the value written, an absent key keeps what the source gave. A key
// inside a long line is copied, or dropped with the line it lies in, so
// there is no one value to expect then (-1).
int PartialWriteValue(std::string_view text, std::string_view key, int written, int before) {
  const int pieces = Pieces(text, key), lines = Pieces(text, key, 1 << 20);
  if (pieces != lines) return -1;
  return lines == 0 ? before : written;
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
    const int wantLines = PartialWriteValue(text, "LINE", lines, before.lines);
    const int wantPixels = PartialWriteValue(text, "PIXEL", pixels, before.pixels);
    Check((wantLines < 0 || after.lines == wantLines) &&
          (wantPixels < 0 || after.pixels == wantPixels));
  }
  return 0;
}

#ifdef LUMORA_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return LumoraFuzzRewrite(data, size);
}
#endif
