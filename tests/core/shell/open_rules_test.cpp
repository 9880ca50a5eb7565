#include "core/shell/open_rules.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

TEST(OpenRules, ProcessedImagesOpenAsOneBandOnlyWhereTheyHoldOne) {
  struct Case {
    int fileState;
    int singleBand;
    int bands;
  } cases[] = {{1, 0, 1}, {2, 0, 3}, {3, 1, 3}, {5, 0, 3},
               {5, 1, 1}, {6, 0, 1}, {7, 0, 3}, {9, 1, 3}};
  for (const auto& c : cases) {
    ImageSettings s;
    s.fileState = c.fileState;
    s.singleBand = c.singleBand;
    const Composition comp = CompositionForProcessed(s);
    EXPECT_EQ(comp.bandCount, c.bands) << c.fileState;
    const int red = c.bands == 1 ? 1 : 3, green = c.bands == 1 ? 1 : 2;
    EXPECT_EQ(comp.red, red) << c.fileState;
    EXPECT_EQ(comp.green, green) << c.fileState;
    EXPECT_EQ(comp.blue, 1) << c.fileState;
    EXPECT_EQ(comp.redType + comp.greenType + comp.blueType, 3);
  }
}

TEST(OpenRules, ComposedBandsTakeTheirFilesTypesOr8Bit) {
  std::array<uint8_t, 256> types{};
  types[2] = kSample16;
  types[4] = kSampleFloat;
  const Composition colour = ComposeBands(types, 4, 2, 7, false);
  EXPECT_EQ(colour.redType * 100 + colour.greenType * 10 + colour.blueType, 321);
  EXPECT_EQ(colour.bandCount, 3);
  EXPECT_FALSE(colour.singleBand || colour.rainbow);
  const Composition grey = ComposeBands(types, 2, 2, 2, true);
  EXPECT_EQ(grey.redType * 100 + grey.greenType * 10 + grey.blueType, 222);
  EXPECT_EQ(grey.bandCount, 1);
  EXPECT_TRUE(grey.singleBand);
}

TEST(OpenRules, PresetsBelongToTheirSensor) {
  ASSERT_NE(FindPreset(305), nullptr);
  EXPECT_EQ(FindPreset(305)->red * 100 + FindPreset(305)->green * 10 + FindPreset(305)->blue, 542);
  EXPECT_EQ(FindPreset(303)->red * 100 + FindPreset(303)->green * 10 + FindPreset(303)->blue, 432);
  EXPECT_EQ(FindPreset(301), nullptr);
  int perSensor[3] = {};
  for (const auto& p : CompositionPresets()) ++perSensor[p.sensor];
  EXPECT_EQ(perSensor[kSensorAster], 2);
  EXPECT_EQ(perSensor[kSensorTm], 3);
  EXPECT_EQ(perSensor[kSensorMss], 1);
}

TEST(OpenRules, BandFileMustOpenAndHoldTheImage) {
  test::TempDir dir;
  ImageSettings s;
  s.pixels = 4;
  s.lines = 3;
  const std::string inf = dir / "scene.inf";
  test::WriteFile(dir / "scene.b01", std::string(12, 'x'));
  test::WriteFile(dir / "scene.b02", std::string(11, 'x'));
  test::WriteFile(dir / "scene.b03", std::string(13, 'x'));
  test::WriteFile(dir / "scene.i04", std::string(24, 'x'));
  test::WriteFile(dir / "scene.B05", std::string(12, 'x'));  // old data sets
  EXPECT_EQ(CheckBandFile(inf, 1, 1, s), BandFileCheck::kOk);
  EXPECT_EQ(CheckBandFile(inf, 1, 2, s), BandFileCheck::kWrongSize);
  EXPECT_EQ(CheckBandFile(inf, 1, 3, s), BandFileCheck::kWrongSize);
  EXPECT_EQ(CheckBandFile(inf, 2, 4, s), BandFileCheck::kOk);
  EXPECT_EQ(CheckBandFile(inf, 1, 4, s), BandFileCheck::kCannotOpen);
  EXPECT_EQ(CheckBandFile(inf, 1, 5, s), BandFileCheck::kOk);
  test::WriteFile(dir / "scene.", std::string(12, 'x'));
  EXPECT_EQ(CheckBandFile(inf, 0, 1, s), BandFileCheck::kCannotOpen);  // band not listed
  EXPECT_EQ(CheckBandFile(inf, 1, -1, s), BandFileCheck::kCannotOpen);
  s.pixels = 1 << 30;
  s.lines = 1 << 30;
  EXPECT_EQ(CheckBandFile(inf, 3, 1, s), BandFileCheck::kCannotOpen);
  EXPECT_EQ(CheckBandFile(inf, 1, 1, s), BandFileCheck::kWrongSize);
}

}  // namespace
}  // namespace lumora
