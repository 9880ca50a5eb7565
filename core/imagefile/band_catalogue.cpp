#include "core/imagefile/band_catalogue.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string_view>

#include "core/imagefile/band_io.h"
#include "core/imagefile/settings_file.h"
#include "core/support/file_set.h"
#include "core/support/line_reader.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/support/text_encoding.h"

namespace lumora {

std::array<uint8_t, 256> ScanBandTypes(const std::string& basePath) {
  std::array<uint8_t, 256> types{};
  for (const auto& file : SetFiles(basePath)) {
    const BandSuffix suffix = ParseBandSuffix(LowerExtension(file));
    if (suffix.SampleType() != 0)
      types[static_cast<size_t>(suffix.band)] = static_cast<uint8_t>(suffix.SampleType());
  }
  return types;
}

std::string ReadBandDescription(const std::string& basePath, int band) {
  std::string text;
  if (ReadTextFile(ResolveNoCase(basePath + Format(".d%02d", band)), kMaxDescriptionBytes, text) ==
      TextRead::kCannotOpen)
    return "";
  // The first line (bounded), then at most 79 bytes of it without splitting
  // a character of either encoding.
  StringLineReader reader(text, kMaxDescriptionBytes);
  std::string line;
  if (!reader.Next(line)) return "";
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (IsValidUtf8(line)) return TruncateUtf8(line, 79);
  size_t end = 0;
  while (end < line.size()) {
    const unsigned char c = static_cast<unsigned char>(line[end]);
    const size_t len = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
    if (end + len > 79) break;
    end += len;
  }
  return ToUtf8FromFile(std::string_view(line).substr(0, end));
}

bool WriteBandDescription(const std::string& basePath, int band, const std::string& utf8Text) {
  return WriteFileAtomically(basePath + Format(".d%02d", band), ToCp932(utf8Text) + "\n");
}

std::vector<BandItem> ListBands(const std::string& settingsPath, bool existingOnly, int typeMask) {
  const std::string base = StripExtension(settingsPath);
  const auto types = ScanBandTypes(base);
  std::vector<BandItem> items;
  for (int n = 1; n <= 255; ++n) {
    const int type = types[static_cast<size_t>(n)];
    if (existingOnly && (type == 0 || !(typeMask & (1 << (type - 1))))) continue;
    // A band without a band file shows no description, even when one lies there.
    const std::string description = type != 0 ? ReadBandDescription(base, n) : "";
    items.push_back({n, type, Format("%02d : ", n) + description,
                     Format("%02d : ", n) + ShownBandDescription(description)});
  }
  return items;
}

namespace {

// The band lines the program writes: "[name ]バンド<n>[ <colour>[ <wavelengths>]]".
// Empty when the text is not one of them.
std::string EnglishBandLine(const std::string& d) {
  static constexpr std::string_view kBand = "バンド";
  static constexpr const char* kColours[] = {"青",       "緑",         "赤",    "近赤外",
                                             "中間赤外", "短波長赤外", "熱赤外"};
  const size_t at = d.find(kBand);
  if (at == std::string::npos || (at > 0 && d[at - 1] != ' ')) return {};
  size_t i = at + kBand.size();
  const size_t digits = i;
  while (i < d.size() && d[i] >= '0' && d[i] <= '9') ++i;
  if (i == digits) return {};
  std::string out = d.substr(0, at) + "band " + d.substr(digits, i - digits);
  if (i == d.size()) return out;
  if (d[i] != ' ') return {};
  const size_t end = d.find(' ', i + 1);
  const std::string colour = d.substr(i + 1, end == std::string::npos ? end : end - i - 1);
  if (std::find(std::begin(kColours), std::end(kColours), colour) == std::end(kColours)) return {};
  out += ' ';
  out += ShownText(colour);
  if (end == std::string::npos) return out;
  // Wavelengths: figures, points, dashes and the unit only.
  const std::string rest = d.substr(end + 1);
  if (rest.size() < 3 || rest.substr(rest.size() - 3) != "μm" ||
      rest.find_first_not_of("0123456789.-") != rest.size() - 3)
    return {};
  out += ' ';
  out += rest;
  return out;
}

}  // namespace

std::string ShownBandDescription(const std::string& description) {
  if (CurrentLanguage() != Language::kEnglish) return description;
  const std::string line = EnglishBandLine(description);
  return line.empty() ? ShownText(description) : line;
}

int BandNumberFromText(const std::string& text) {
  if (text.empty()) return -1;
  return AtoI(text.substr(0, text.find(':')));
}

int SampleTypeOf(const std::vector<BandItem>& items, int band) {
  if (band < 1) return 0;
  for (const auto& it : items)
    if (it.number == band) return it.sampleType;
  return 0;
}

std::string BandFilePath(const std::string& basePath, int sampleType, int band) {
  return basePath + Format(".%c%02d", SampleLetter(sampleType), band);
}

}  // namespace lumora
