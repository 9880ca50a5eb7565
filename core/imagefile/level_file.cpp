#include "core/imagefile/level_file.h"

#include <string_view>

#include "core/imagefile/settings_file.h"
#include "core/support/line_reader.h"
#include "core/support/regular_file.h"
#include "core/support/text.h"

namespace lumora {
namespace {

constexpr int kRangeLineBuffer = 256;

template <typename Reader>
void ReadRangeLines(Reader& reader, ElevationRange& range) {
  std::string line;
  while (reader.Next(line)) {
    if (StartsWith(line, "MIN_ALTITUDE =")) {
      range.minAltitude = AtoI(std::string_view(line).substr(14));
    } else if (StartsWith(line, "MAX_ALTITUDE =")) {
      range.maxAltitude = AtoI(std::string_view(line).substr(14));
    } else if (StartsWith(line, "MIN_VAL =")) {
      range.minCode = AtoI(std::string_view(line).substr(9));
    } else if (StartsWith(line, "MAX_VAL =")) {
      range.maxCode = AtoI(std::string_view(line).substr(9));
    }
  }
}

}  // namespace

void ParseElevationRange(const std::string& text, ElevationRange& range) {
  StringLineReader reader(text, kRangeLineBuffer);
  ReadRangeLines(reader, range);
}

bool ReadElevationRangeFile(const std::string& path, ElevationRange& range) {
  std::string text;
  if (ReadTextFile(path, kMaxRangeFileBytes, text) != TextRead::kOk) return false;
  ParseElevationRange(text, range);
  return true;
}

std::string FormatElevationRange(const ElevationRange& range) {
  return Format("MIN_VAL = %d\nMIN_ALTITUDE = %d\nMAX_VAL = %d\nMAX_ALTITUDE = %d\n", range.minCode,
                range.minAltitude, range.maxCode, range.maxAltitude);
}

bool WriteElevationRangeFile(const std::string& path, const ElevationRange& range) {
  return WriteFileAtomically(path, FormatElevationRange(range));
}

}  // namespace lumora
