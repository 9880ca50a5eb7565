#include "core/analysis/dem_processing.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/string_table.h"
#include "core/view/image_session.h"
#include "tests/support/dem_reference.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// An image of 9 x 7 pixels with three bands and an elevation model whose
// first column is sea and whose codes climb to the right.
class DemRun : public ::testing::Test {
 public:
  static constexpr int kW = 9, kH = 7;

  void SetUp() override {
    src = dir / "scene.inf";
    WriteSettings("0.03");
    WriteFile(dir / "scene.lev", "MIN_ALTITUDE = 0\nMAX_ALTITUDE = 2540\n");
    std::string dem(kW * kH, '\0');
    for (int y = 0; y < kH; ++y)
      for (int x = 1; x < kW; ++x) dem[y * kW + x] = char(x * 30 + y);
    dem[kW - 1] = char(255);  // 2540 m in the top right corner
    WriteFile(dir / "scene.dem", dem);
    for (int b = 1; b <= 3; ++b) {
      std::string band(kW * kH, '\0');
      for (size_t i = 0; i < band.size(); ++i) band[i] = char(i * b * 7);
      WriteFile(BandFilePath(dir / "scene", kSample8, b), band);
    }
  }
  void WriteSettings(const std::string& lpp) {
    WriteFile(src, "LINE = 7\nPIXEL = 9\nLengthPerPixel = " + lpp + "\n");
  }

  // Runs into out; result and msg keep what the run reported.
  bool Run(DemRequest request) {
    StepSource source;
    source.settingsPath = src;
    source.basePath = dir / "scene";
    EXPECT_TRUE(ReadSettings(src, source.settings, msg));
    Progress progress;
    return RunDemProcessing(request, source, out, result, msg, progress);
  }
  bool Run(int kind) {
    DemRequest r;
    r.kind = kind;
    return Run(r);
  }
  ElevationModel Model() {
    ElevationModel m;
    RecordingMessenger msg;
    Progress progress;
    EXPECT_TRUE(LoadElevation(src, kW, kH, m, msg, progress));
    return m;
  }

  TempDir dir;
  std::string src;
  std::string out = dir / "0scene";
  StepResult result;
  RecordingMessenger msg;
};

TEST_F(DemRun, ColouringWritesAThreeBandSetAndRelativeColouringReachesGrey) {
  ASSERT_TRUE(Run(kStateElevationAbsolute));
  EXPECT_EQ(result.fileState, 3);
  EXPECT_EQ(result.lines, kH);
  EXPECT_EQ(result.pixels, kW);
  EXPECT_EQ(result.singleBand, 0);
  EXPECT_EQ(ReadBandDescription(out, 1), "標高データ　青");
  EXPECT_EQ(ReadBandDescription(out, 3), "標高データ　赤");
  EXPECT_EQ(ReadFile(out + ".dem"), ReadFile(dir / "scene.dem"));
  EXPECT_EQ(ReadFile(out + ".lev"), ReadFile(dir / "scene.lev"));
  const auto blue = test::ReadBytes(out + ".b01"), red = test::ReadBytes(out + ".b03");
  ASSERT_EQ(blue.size(), size_t(kW * kH));
  EXPECT_EQ(blue[kW], 255);  // sea
  EXPECT_EQ(red[kW], 0);
  // 2540 m on the absolute scale of 0..5000 m.
  const Bgr top = ElevationColour(int(2540.0 / 5000 * 254.0 + 1.0));
  EXPECT_EQ(blue[kW - 1], top[0]);
  EXPECT_EQ(red[kW - 1], top[2]);
  // Relative colouring reaches grey at the top of its range.
  // Codes 31..131 present: 300 m .. 1300 m, shown over the same range.
  WriteFile(dir / "scene.lev",
            "MIN_VAL = 31\nMIN_ALTITUDE = 0\nMAX_VAL = 131\nMAX_ALTITUDE = 2540\n");
  std::string dem = ReadFile(dir / "scene.dem");
  dem[2] = char(131);  // 1300 m: the top of the relative range 300..1300
  WriteFile(dir / "scene.dem", dem);
  ASSERT_TRUE(Run(kStateElevationRelative));
  EXPECT_EQ(test::ReadBytes(out + ".b01")[2], 165);
  EXPECT_EQ(test::ReadBytes(out + ".b02")[2], 165);
  EXPECT_EQ(test::ReadBytes(out + ".b03")[2], 165);
  EXPECT_EQ(test::ReadBytes(out + ".b03")[kW - 1], 165);  // above the range: kept on the table
}

TEST_F(DemRun, ShadingWritesOneGreyOrThreeColourBands) {
  const ElevationModel model = Model();
  for (int kind : {6, 7, 8}) {
    DemRequest r;
    r.kind = kind;
    r.lightAzimuth = 300;
    r.lightElevation = 30;
    result = StepResult();
    ASSERT_TRUE(Run(r)) << kind;
    EXPECT_EQ(result.singleBand, kind == 6 ? 1 : 0);
    EXPECT_EQ(test::ReadBytes(out + ".b01"), test::ReferenceShading(model, kind, 0.03, 300, 30)[0])
        << kind;
    EXPECT_EQ(FileExists(out + ".b03"), kind != 6);
    EXPECT_EQ(ReadBandDescription(out, 1), kind == 6 ? "陰影画像　白黒" : "陰影画像　青");
    EXPECT_EQ(ReadFile(out + ".dem"), ReadFile(dir / "scene.dem")) << kind;
  }
  // The code file goes into the result byte for byte, with a tail beyond the image too.
  WriteFile(dir / "scene.dem", ReadFile(dir / "scene.dem") + "tail");
  ASSERT_TRUE(Run(6));
  EXPECT_EQ(ReadFile(out + ".dem"), ReadFile(dir / "scene.dem"));
}

TEST_F(DemRun, BirdsEyeDrapesTheShownBandsAndKeepsTheLegend) {
  const ElevationModel model = Model();
  std::vector<std::vector<uint8_t>> bands;
  for (int b : {3, 1, 2})
    bands.push_back(test::ReadBytes(BandFilePath(dir / "scene", kSample8, b)));
  DemRequest r;
  r.kind = kStateBirdsEye;
  r.viewAzimuth = 200;
  r.viewElevation = 35;
  r.exaggeration = 2.0;
  r.drape = {2, 0, 1, false, false, 3, kStateVegetation, 12.7f, 199.9f};
  WriteFile(dir / "scene.ndv", "range\n");
  ASSERT_TRUE(Run(r));
  EXPECT_EQ(result.lines, 600);
  EXPECT_EQ(result.pixels, 600);
  EXPECT_EQ(result.fileState, 5);
  // Blue is drawn from the band shown in blue (band 3), red from band 2.
  EXPECT_EQ(test::ReadBytes(out + ".b01"),
            test::ReferenceBirdsEye(model, 0.03, 200, 35, 2.0, bands)[0]);
  EXPECT_EQ(ReadBandDescription(out, 3), "鳥瞰画像　赤");
  EXPECT_EQ(ReadFile(out + ".brd"), "State = 1\nMax_Val = 199\nMin_Val = 12\n");
  EXPECT_EQ(ReadFile(out + ".ndv"), "range\n");
  EXPECT_FALSE(FileExists(out + ".dem"));

  // Two listed bands drape in grey, and the grey result is shown as one band.
  r.drape.bandCount = 2;
  r.drape.fileState = 0;
  ASSERT_TRUE(Run(r));
  EXPECT_EQ(result.singleBand, 1);
  EXPECT_FALSE(FileExists(out + ".b02"));
  EXPECT_FALSE(FileExists(out + ".ndv"));  // old files of the target are gone
  EXPECT_EQ(test::ReadBytes(out + ".b01"),
            test::ReferenceBirdsEye(model, 0.03, 200, 35, 2.0, {bands[0]})[0]);
  EXPECT_EQ(ReadBandDescription(out, 1), "鳥瞰画像　白黒");
}

TEST_F(DemRun, RefusesWhatCannotBeRendered) {
  const std::string noScale = "LINE = 7\nPIXEL = 9\nLengthPerPixel = 0\n";
  // Doubling 2^30 lines for the progress would overflow an int.
  const std::string hugeLines = "LINE = 1073741824\nPIXEL = 1\nLengthPerPixel = 0.03\n";
  struct Case {
    const char* name;
    const char* file;
    std::string content;  // empty: the file is removed
    int kind, message;
  } cases[] = {
      {"no ground scale shading", "scene.inf", noScale, 6, kMsgNoGroundScale},
      {"no ground scale bird", "scene.inf", noScale, 5, kMsgNoGroundScale},
      {"hostile ground scale", "scene.inf", "LINE = 7\nPIXEL = 9\nLengthPerPixel = 1e-300\n", 7,
       kMsgNoGroundScale},
      {"lines near the int limit, colours", "scene.inf", hugeLines, 3, kMsgBadDem},
      {"lines near the int limit, shading", "scene.inf", hugeLines, 6, kMsgBadDem},
      {"code file short", "scene.dem", std::string(62, 1), 3, kMsgBadDem},
      {"range reversed", "scene.lev", "MIN_ALTITUDE = 9\nMAX_ALTITUDE = 8\n", 8, kMsgBadDem},
      {"range without altitudes", "scene.lev", "MIN_VAL = 1\n", 4, kMsgBadDem},
      {"code file missing", "scene.dem", "", 3, kMsgCopyFailed},
      {"draped band missing", "scene.b03", "", 5, kMsgOpenFailed},
      {"draped legend missing", "", "", 5, kMsgOpenFailed},
      {"angle out of range", "", "", 6, kMsgError},
  };
  for (const auto& c : cases) {
    SetUp();
    DemRequest r;
    r.kind = c.kind;
    if (!c.content.empty())
      WriteFile(dir / c.file, c.content);
    else if (*c.file)
      std::filesystem::remove(dir / c.file);
    else if (c.kind == 5)
      r.drape.fileState = 2;
    else
      r.lightElevation = 91;
    result.fileState = 42;
    msg.entries.clear();
    EXPECT_FALSE(Run(r)) << c.name;
    EXPECT_EQ(msg.LastId(), c.message) << c.name;
    EXPECT_EQ(result.fileState, 42) << c.name;
  }
  // Elevation colouring needs no ground scale.
  WriteSettings("-0.5");
  EXPECT_TRUE(Run(3));
}

TEST_F(DemRun, AllSeaModelAndUpperCaseCompanions) {
  std::filesystem::remove(dir / "scene.lev");
  std::filesystem::remove(dir / "scene.dem");
  WriteFile(dir / "scene.LEV", "MIN_ALTITUDE = 0\nMAX_ALTITUDE = 2540\n");
  WriteFile(dir / "scene.DEM", std::string(kW * kH, '\0'));
  for (int kind : {3, 6, 7}) {
    ASSERT_TRUE(Run(kind)) << kind;
    EXPECT_TRUE(FileExists(out + ".LEV"));
    EXPECT_EQ(ReadFile(out + ".DEM"), std::string(kW * kH, '\0')) << kind;
    const auto first = test::ReadBytes(out + ".b01");
    EXPECT_EQ(first, std::vector<uint8_t>(kW * kH, kind == 6 ? 0 : 255)) << kind;
  }
}

TEST_F(DemRun, ResultsLoadAsTheNewDisplay) {
  std::filesystem::create_directories(dir.path() / "work");
  WorkingNamer namer;
  struct Case {
    int kind;
    bool twoBandColour;  // an RGB composition of a two-band image
    int size;
    bool single;
  } cases[] = {{3, false, kW, false},
               {6, false, kW, true},
               {8, false, kW, false},
               {5, false, 600, false},
               {5, true, 600, true}};
  for (const auto& c : cases) {
    if (c.twoBandColour) std::filesystem::remove(dir / "scene.b03");
    Progress progress;
    WorkingFiles files;
    ASSERT_TRUE(files.Prepare(namer, dir / "work/", src, msg));
    ImageSettings settings;
    ASSERT_TRUE(ReadSettings(src, settings, msg));
    OpenRequest open = ComposeOnOpen(src, settings);
    if (c.twoBandColour) {
      open.composition.red = 2, open.composition.green = open.composition.blue = 1;
      open.composition.singleBand = false;
      open.composition.bandCount = 2;
    }
    ImageSession session;
    ASSERT_TRUE(session.Open(open, files, msg, progress));
    DemRequest r;
    r.kind = c.kind;
    r.drape = DrapeFromState(session.State(), session.DisplayKind());
    ASSERT_TRUE(session.BeginStep(MakeDemStep(r), msg, progress,
                                  [&](DisplayState& s) { AdjustStateForDem(c.kind, s); }))
        << c.kind << " " << msg.LastId();
    EXPECT_EQ(session.State().m_nFileState, c.kind);
    EXPECT_EQ(session.State().m_bSingleBand, c.single) << c.kind;
    EXPECT_EQ(session.Display().width, c.size) << c.kind;
    EXPECT_TRUE(session.Revert(msg));
    EXPECT_EQ(session.State().m_nFileState, 0);
  }
}

}  // namespace
}  // namespace lumora
