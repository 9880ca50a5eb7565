#include "core/analysis/class_spectra.h"

#include "core/analysis/classifier.h"
#include "core/analysis/land_cover.h"
#include "core/imagefile/settings_file.h"
#include "core/support/file_set.h"
#include "core/support/line_reader.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

namespace {
constexpr const char* kNotOpen =
    "分類したときの画像が開かれていないので，クラスの平均スペクトルは出せません．";
}  // namespace

bool ParseLandCoverBands(std::string_view text, std::vector<int>& bands) {
  bands.clear();
  StringLineReader reader(text, 128);
  std::string line;
  for (int i = 0; i < 3; ++i)
    if (!reader.Next(line)) return false;
  if (!reader.Next(line)) return false;
  const int count = AtoI(line);
  // A count never sizes anything: a huge one only reads to the end.
  for (int i = 0; i < count; ++i) {
    if (!reader.Next(line)) return false;
    bands.push_back(AtoI(line));
  }
  return true;
}

bool ClassSpectra(const std::string& resultSettingsPath, const std::string& sourceSettingsPath,
                  std::vector<int>& bands, std::vector<ClassSpectrum>& out, Messenger& messenger) {
  out.clear();
  ImageSettings source;
  if (!ReadSettings(sourceSettingsPath, source, messenger)) return false;
  if (source.fileState != kStateUnprocessed && source.fileState < 9) {
    messenger.ShowText("土地被覆分類", ShownText(kNotOpen));
    return false;
  }
  std::string text;
  const auto mlk = ResolveNoCase(StripExtension(resultSettingsPath) + ".mlk");
  std::vector<ClassItem> classes;
  if (ReadTextFile(mlk, kMaxRangeFileBytes, text) != TextRead::kOk ||
      !ParseLandCoverBands(text, bands) || !ParseLandCoverClasses(text, classes) || bands.empty()) {
    messenger.ShowMessage(kMsgBadMlkFile);
    return false;
  }
  for (const ClassItem& c : classes) {
    ClassStatistics s;
    if (!ComputeClassStatistics(c, bands, StripExtension(sourceSettingsPath), source.pixels,
                                source.lines, s, messenger))
      return false;
    if (s.mean.empty()) continue;  // no area, or too few samples
    out.push_back({c.title, c.red, c.green, c.blue, s.mean, s.deviation});
  }
  return true;
}

}  // namespace lumora
