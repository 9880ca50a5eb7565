// The bands of an image as the band lists show them: "%02d : description".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace lumora {

inline constexpr const char* kUnknownBand = "UNKOWN BAND";

struct BandItem {
  int number = 0;      // 1..255
  int sampleType = 0;  // 1, 2, 3; 0 when the band has no file
  std::string text;    // "%02d : " + description (UTF-8), as in the file
  std::string shown;   // "%02d : " + the description in the interface language
};

// Sample type per band number (index 0 unused) of the files base + ".*":
// suffix letter b/i/r in any case followed by a number 1..255.
std::array<uint8_t, 256> ScanBandTypes(const std::string& basePath);

// Lists the bands of the image whose settings file is settingsPath. With
// existingOnly, only bands with a file whose type bit is in typeMask
// (bit 0 = 8-bit, bit 1 = 16-bit, bit 2 = float); otherwise 1..255. A band
// without a band file has an empty description.
std::vector<BandItem> ListBands(const std::string& settingsPath, bool existingOnly, int typeMask);

// First line of base + ".dNN": at most 79 bytes, line break removed, UTF-8
// (CP932 files are decoded); empty when the file is missing.
std::string ReadBandDescription(const std::string& basePath, int band);

// Writes base + ".dNN" with one line (stored as CP932); false when it
// cannot be created.
bool WriteBandDescription(const std::string& basePath, int band, const std::string& utf8Text);

// A band description as the interface shows it: the descriptions the
// program writes itself (sample scenes, imports, processing results) in the
// interface language; any other text as it is. Files keep their Japanese.
std::string ShownBandDescription(const std::string& description);

// The band number of an item text: the text up to the first ':' read as by
// atoi; an empty text gives -1.
int BandNumberFromText(const std::string& text);

// Sample type recorded for a band number in a list; 0 when not listed.
int SampleTypeOf(const std::vector<BandItem>& items, int band);

// Band file path: base + ".%c%02d".
std::string BandFilePath(const std::string& basePath, int sampleType, int band);

}  // namespace lumora
