// The range file (.lev) beside an elevation model: which altitudes the
// lowest and highest codes stand for and which codes the model holds.
#pragma once

#include <cstdint>
#include <string>

namespace lumora {

// Keys of a range file; the defaults are the values before reading.
struct ElevationRange {
  int32_t minAltitude = 10000000;  // MIN_ALTITUDE: metres of code 1
  int32_t maxAltitude = -1;        // MAX_ALTITUDE: metres of code 255
  int32_t minCode = 1;             // MIN_VAL: lowest land code present
  int32_t maxCode = 255;           // MAX_VAL: highest code present
};

// Reads range text line by line (256-byte lines); keys may come in any order
// and unknown lines are ignored. Missing keys keep what `range` holds.
void ParseElevationRange(const std::string& text, ElevationRange& range);
// False when the file cannot be opened (nothing is reported).
bool ReadElevationRangeFile(const std::string& path, ElevationRange& range);
// The four lines in the order MIN_VAL, MIN_ALTITUDE, MAX_VAL, MAX_ALTITUDE.
std::string FormatElevationRange(const ElevationRange& range);
// Writes the file through a temporary beside it; false when it fails.
bool WriteElevationRangeFile(const std::string& path, const ElevationRange& range);

}  // namespace lumora
