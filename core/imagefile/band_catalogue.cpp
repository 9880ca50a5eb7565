#include "core/imagefile/band_catalogue.h"

#include <cstdio>
#include <memory>

#include "core/imagefile/settings_file.h"
#include "core/support/file_set.h"
#include "core/support/line_reader.h"
#include "core/support/text.h"
#include "core/support/text_encoding.h"

namespace lumora {

std::array<uint8_t, 256> ScanBandTypes(const std::string& basePath) {
  std::array<uint8_t, 256> types{};
  const std::string prefix = BaseName(basePath + ".x");
  for (const auto& file : FindFiles(basePath + ".*")) {
    const std::string name = file.filename().string();
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) continue;
    // The search matches the base without regard to case; so does this.
    if (!EqualsNoCase(name.substr(0, dot), prefix)) continue;
    const std::string ext = name.substr(dot + 1);
    if (ext.size() < 2) continue;
    const char letter = static_cast<char>(ext[0] | 0x20);
    const int type = letter == 'b' ? 1 : letter == 'i' ? 2 : letter == 'r' ? 3 : 0;
    if (type == 0) continue;
    int number = 0;
    bool digits = ext.size() <= 4;
    for (size_t i = 1; digits && i < ext.size(); ++i) {
      if (ext[i] < '0' || ext[i] > '9')
        digits = false;
      else
        number = number * 10 + (ext[i] - '0');
    }
    if (!digits || number < 1 || number > 255) continue;
    types[static_cast<size_t>(number)] = static_cast<uint8_t>(type);
  }
  return types;
}

std::string ReadBandDescription(const std::string& basePath, int band) {
  const std::string path = ResolveNoCase(basePath + Format(".d%02d", band)).string();
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
  if (!f) return "";
  // The first line (bounded), then at most 79 bytes of it without splitting
  // a character of either encoding.
  LineReader reader(f.get(), 4096);
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
    items.push_back(
        {n, type, Format("%02d : ", n) + (type != 0 ? ReadBandDescription(base, n) : "")});
  }
  return items;
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
