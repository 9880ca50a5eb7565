#include "core/shell/open_rules.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/imagefile/band_catalogue.h"
#include "core/support/checked_math.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

namespace {
constexpr CompositionPreset kPresets[] = {
    {303, kSensorAster, "IDB_NATURAL", 4, 3, 2}, {302, kSensorAster, "IDB_FALSE", 3, 2, 1},
    {304, kSensorMss, "IDB_FALSE", 3, 2, 1},     {305, kSensorTm, "IDB_NATURAL", 5, 4, 2},
    {306, kSensorTm, "IDB_FALSE", 4, 3, 2},      {307, kSensorTm, "IDB_TRUE", 3, 2, 1},
};
}  // namespace

std::span<const CompositionPreset> CompositionPresets() { return kPresets; }

const CompositionPreset* FindPreset(int controlId) {
  for (const auto& p : kPresets)
    if (p.controlId == controlId) return &p;
  return nullptr;
}

PresetOffer OfferPreset(const CompositionPreset& preset, int sensor, std::span<const int> bands) {
  if (preset.sensor != sensor) return {false, MessageText(kMsgPresetOtherSensor)};
  std::string missing;
  for (int band : {preset.red, preset.green, preset.blue}) {
    if (std::find(bands.begin(), bands.end(), band) != bands.end()) continue;
    missing += (missing.empty() ? "" : ", ") + std::to_string(band);
  }
  if (missing.empty()) return {true, {}};
  return {false, Format(MessageText(kMsgPresetMissingBands), missing.c_str())};
}

std::string BandFileFailure(const std::string& settingsPath, int sampleType, int band) {
  const std::string base = StripExtension(settingsPath);
  const int type = SampleBytes(sampleType) == 0 ? kSample8 : sampleType;
  return std::string(MessageText(kMsgOpenFailed)) + "\n" +
         ResolveNoCase(BandFilePath(base, type, band)).string();
}

BandFileCheck CheckBandFile(const std::string& settingsPath, int sampleType, int band,
                            const ImageSettings& settings) {
  if (SampleBytes(sampleType) == 0 || band < 1 || band > 255) return BandFileCheck::kCannotOpen;
  const std::string path =
      ResolveNoCase(BandFilePath(StripExtension(settingsPath), sampleType, band)).string();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return BandFileCheck::kCannotOpen;
  std::fclose(f);
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return BandFileCheck::kCannotOpen;
  const auto expected = CheckedMul(int64_t{SampleBytes(sampleType)}, int64_t{settings.pixels},
                                   int64_t{settings.lines});
  if (!expected || static_cast<uint64_t>(*expected) != size) return BandFileCheck::kWrongSize;
  return BandFileCheck::kOk;
}

}  // namespace lumora
