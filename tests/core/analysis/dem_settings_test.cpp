#include "core/analysis/dem_settings.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

// Edits and ratio buttons that take input, as a string of flags:
// light azimuth, light elevation, view azimuth, view elevation, ratios 1..5.
std::string InputControls(const DemSettingsForm& f) {
  std::string s;
  for (int c : {366, 367, 369, 370, 377, 378, 379, 380, 381}) s += f.Enabled(c) ? '1' : '0';
  return s;
}

TEST(DemSettingsForm, ControlsFollowTheCheckedKindAndTheFileState) {
  struct Case {
    int fileState;
    int click;  // 0: as opened
    int checked;
    const char* inputs;
    bool kindsEnabled;
  } cases[] = {
      {0, 0, 357, "000000000", true},    {9, 0, 357, "000000000", true},
      {0, 358, 358, "000000000", true},  {0, 360, 360, "110000000", true},
      {9, 362, 362, "110000000", true},  {0, 368, 368, "001111111", true},
      {1, 0, 368, "001100000", false},   {7, 0, 368, "001100000", false},
      {4, 357, 368, "001100000", false},  // refused: only the bird's-eye view
      {4, 368, 368, "001111111", false},  // clicking it again opens the ratios
  };
  for (const auto& c : cases) {
    DemSettingsForm f(c.fileState);
    if (c.click) f.Click(c.click);
    EXPECT_TRUE(f.Checked(c.checked)) << c.fileState << "/" << c.click;
    EXPECT_EQ(InputControls(f), c.inputs) << c.fileState << "/" << c.click;
    EXPECT_EQ(f.Enabled(357), c.kindsEnabled);
    EXPECT_TRUE(f.Enabled(368));
    EXPECT_TRUE(f.Checked(377));
  }
}

TEST(DemSettingsForm, RequestCarriesKindRatioAndAngles) {
  struct Case {
    int radio, ratio, kind;
    double exaggeration;
  } cases[] = {
      {357, 0, 3, 1}, {358, 0, 4, 1},   {360, 0, 6, 1},   {361, 0, 7, 1},  {362, 0, 8, 1},
      {368, 0, 5, 1}, {368, 378, 5, 2}, {368, 381, 5, 5}, {360, 380, 6, 1}};  // the ratio only
                                                                              // takes input for the
                                                                              // bird's-eye view
  for (const auto& c : cases) {
    DemSettingsForm f(0);
    f.Click(c.radio);
    if (c.ratio) f.Click(c.ratio);
    const DemRequest r = f.Request();
    EXPECT_EQ(r.kind, c.kind) << c.radio;
    EXPECT_EQ(r.exaggeration, c.exaggeration) << c.radio << "/" << c.ratio;
    EXPECT_EQ(r.viewElevation, 5.0f);
    EXPECT_EQ(r.lightAzimuth, 45.0f);
  }
  DemSettingsForm f(0);
  EXPECT_EQ(f.InvalidAngle(), 0);
  f.lightElevation = 90.0f;
  f.viewAzimuth = 360.0f;
  EXPECT_EQ(f.InvalidAngle(), 0);
  f.viewElevation = 90.01f;
  EXPECT_EQ(f.InvalidAngle(), kDemViewElevation);
  f.lightAzimuth = -0.5f;
  EXPECT_EQ(f.InvalidAngle(), kDemLightAzimuth);
}

}  // namespace
}  // namespace lumora
