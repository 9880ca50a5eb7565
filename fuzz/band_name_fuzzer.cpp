// Fuzz target for band names: the suffixes of a set's files (".b01",
// ".I10", ".r255", "dNN" and the rest) as the band list and the file-set
// helpers read them from a folder, and the band number of a band-list text.
// Input: a file name suffix, then after a line break the band-list text.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/imagefile/band_catalogue.h"
#include "core/support/file_set.h"
#include "fuzz/fuzz_support.h"

using lumora::fuzz::Check;

int LumoraFuzzBandName(const uint8_t* data, size_t size) {
  const std::string_view input = lumora::fuzz::AsText(data, size);
  const size_t cut = input.find('\n');
  std::string suffix(input.substr(0, std::min<size_t>(cut, 200)));
  const std::string listText(cut == std::string_view::npos ? "" : input.substr(cut + 1));
  // Names hold any byte but the separator and NUL.
  for (char& c : suffix)
    if (c == '/' || c == '\0') c = '_';

  namespace fs = std::filesystem;
  const fs::path folder = fs::path(lumora::fuzz::Folder()) / "bands";
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder, ec);
  const std::string base = (folder / "s").string();
  { std::ofstream(base + "." + suffix) << "x"; }
  const auto types = lumora::ScanBandTypes(base);
  Check(types[0] == 0);
  int found = 0;
  for (int n = 1; n < 256; ++n) {
    Check(types[n] <= 3);
    if (types[n] != 0) ++found;
  }
  Check(found <= 1);
  // A band the list shows is a file of the set.
  if (found == 1) Check(lumora::IsFileSetExtension(suffix));
  const auto files = lumora::SetFiles(base);
  Check(files.size() <= 1);
  if (!files.empty()) Check(lumora::IsFileSetExtension(suffix));

  const int number = lumora::BandNumberFromText(listText);
  Check(listText.empty() ? number == -1 : true);
  for (const auto& item : lumora::ListBands(base + ".inf", true, 7))
    Check(lumora::BandNumberFromText(item.text) == item.number);
  return 0;
}

#ifdef LUMORA_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return LumoraFuzzBandName(data, size);
}
#endif
