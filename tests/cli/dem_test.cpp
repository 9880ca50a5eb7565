#include <gtest/gtest.h>

#include "core/analysis/elevation.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/messenger.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "tests/support/cli_run.h"
#include "tests/support/dem_reference.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::ReadFile;
using test::RunCli;
using test::WriteFile;

class DemCommand : public ::testing::Test {
 protected:
  static constexpr int kW = 24, kH = 18;

  void SetUp() override {
    Settings("0 0.03");
    WriteFile(dir / "x.lev", "MIN_VAL = 1\nMIN_ALTITUDE = 0\nMAX_VAL = 250\nMAX_ALTITUDE = 2540\n");
    std::string dem(kW * kH, '\0');
    for (int y = 0; y < kH; ++y)
      for (int x = 2; x < kW; ++x) dem[y * kW + x] = char(20 + (x * 7 + y * 5) % 200);
    WriteFile(dir / "x.dem", dem);
    for (int b = 1; b <= 4; ++b) {
      bands[b].resize(kW * kH);
      for (size_t i = 0; i < bands[b].size(); ++i) bands[b][i] = uint8_t(i * (b + 2) + b * 40);
      WriteFile(BandFilePath(dir / "x", kSample8, b), test::AsString(bands[b]));
    }
  }
  // "STATE LPP"
  void Settings(const std::string& stateAndScale) {
    const size_t space = stateAndScale.find(' ');
    WriteFile(dir / "x.inf", "LINE = 18\nPIXEL = 24\nSENSOR = 1\nLengthPerPixel = " +
                                 stateAndScale.substr(space + 1) +
                                 "\nFile_State = " + stateAndScale.substr(0, space) + "\n");
  }
  test::CliResult Dem(const std::string& options) {
    return RunCli(dir, "dem '" + (dir / "x.inf") + "' " + options + " -o '" + out + "'");
  }
  ImageSettings Written() const { return test::WrittenSettings(out); }
  ElevationModel Model() {
    ElevationModel m;
    RecordingMessenger msg;
    Progress progress;
    EXPECT_TRUE(LoadElevation(dir / "x.inf", kW, kH, m, msg, progress));
    return m;
  }

  test::TempDir dir;
  std::string out = dir / "r.inf";
  std::vector<uint8_t> bands[5];
};

// Each kind reaches its renderer (whose files the core tests pin) and the
// written settings say what it made.
TEST_F(DemCommand, EveryKindWritesItsState) {
  struct Case {
    const char* kind;
    int state, singleBand, size;
  } cases[] = {
      {"absolute", 3, 0, kW},       {"relative", 4, 0, kW},       {"shade", 6, 1, kW},
      {"shade-absolute", 7, 0, kW}, {"shade-relative", 8, 0, kW}, {"birdseye", 5, 0, 600},
  };
  for (const auto& c : cases) {
    const auto r = Dem(std::string("--kind ") + c.kind);
    ASSERT_EQ(r.status, 0) << c.kind << r.err;
    const ImageSettings s = Written();
    EXPECT_EQ(s.fileState, c.state) << c.kind;
    EXPECT_EQ(s.singleBand, c.singleBand) << c.kind;
    EXPECT_EQ(s.pixels, c.size) << c.kind;
    EXPECT_EQ(s.lengthPerPixel, 0.03) << c.kind;
  }
}

TEST_F(DemCommand, AnglesAndDrapeReachTheRenderers) {
  const ElevationModel model = Model();
  ASSERT_EQ(Dem("--kind shade-relative --light-azimuth 250 --light-elevation 20").status, 0);
  auto want = test::ReferenceShading(model, 8, 0.03, 250, 20);
  EXPECT_EQ(test::ReadBytes(dir / "r.b02"), want[1]);
  ASSERT_EQ(Dem("--kind shade").status, 0);  // defaults 45, 45
  EXPECT_EQ(test::ReadBytes(dir / "r.b01"), test::ReferenceShading(model, 6, 0.03, 45, 45)[0]);

  ASSERT_EQ(Dem("--kind birdseye --view-azimuth 160 --view-elevation 40 --exaggeration 3 "
                "--rgb 4,1,2")
                .status,
            0);
  want = test::ReferenceBirdsEye(model, 0.03, 160, 40, 3.0, {bands[2], bands[1], bands[4]});
  EXPECT_EQ(test::ReadBytes(dir / "r.b01"), want[0]);
  EXPECT_EQ(test::ReadBytes(dir / "r.b03"), want[2]);
  ASSERT_EQ(Dem("--kind birdseye --gray 3").status, 0);  // defaults 45, 5, 1
  EXPECT_EQ(test::ReadBytes(dir / "r.b01"),
            test::ReferenceBirdsEye(model, 0.03, 45, 5, 1.0, {bands[3]})[0]);
  EXPECT_EQ(Written().singleBand, 1);
  EXPECT_FALSE(test::FileExists(dir / "r.b02"));
}

TEST_F(DemCommand, BadUsageAndRefusedImages) {
  const char* usage[] = {
      "--kind hillshade",
      "--kind shade --light-elevation 91",
      "--kind shade --light-azimuth -1",
      "--kind birdseye --view-azimuth x",
      "--kind birdseye --exaggeration 6",
      "--kind birdseye --exaggeration 1.5",
      "--kind shade --rgb 1,2,3",
      "--kind birdseye --gray 0",
      "--kind birdseye --colour 1",
      "--kind shade --rainbow",
      "--kind absolute --reverse",
      "--kind birdseye --rgb 1,2,3 --rainbow",
  };
  for (const char* u : usage) EXPECT_EQ(Dem(u).status, 2) << u;
  EXPECT_EQ(RunCli(dir, "dem '" + (dir / "x.inf") + "' --kind shade").status, 2);

  struct Refusal {
    const char* settings;
    const char* options;
    int message;
  } refusals[] = {
      {"0 0", "--kind shade", kMsgNoGroundScale},
      {"0 0", "--kind birdseye", kMsgNoGroundScale},
      {"2 0.03", "--kind absolute", kMsgDemBirdsEyeOnly},
      {"5 0.03", "--kind birdseye", kMsgDemOfBirdsEye},
  };
  for (const auto& r : refusals) {
    Settings(r.settings);
    const auto res = Dem(r.options);
    EXPECT_EQ(res.status, 1) << r.options;
    EXPECT_NE(res.err.find(MessageText(r.message)), std::string::npos) << res.err;
    EXPECT_FALSE(test::FileExists(out)) << r.options;
  }
  // A drape whose band has no file.
  Settings("0 0.03");
  const auto noBand = Dem("--kind birdseye --gray 5");
  EXPECT_EQ(noBand.status, 1);
  EXPECT_FALSE(test::FileExists(out));
  std::filesystem::remove(dir / "x.lev");
  const auto res = Dem("--kind absolute");
  EXPECT_EQ(res.status, 1);
  EXPECT_NE(res.err.find(MessageText(kMsgNoDem)), std::string::npos) << res.err;
}

}  // namespace
}  // namespace lumora
