// lumora-cli ndvi and math over one small scene: the file sets they write
// and how they fail.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/analysis/vegetation_index.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/band_expression.h"
#include "core/support/string_table.h"
#include "tests/support/cli_run.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::FileExists;
using test::ReadFile;
using test::WriteFile;

// Near infrared (band 4), red (3) and green (2) of six pixels.
class IndexCommand : public test::SmallSceneCommand {
 protected:
  void SetUp() override {
    WriteScene({{4, std::string("\x00\x64\x03\x32\x05\x09", 6)},
                {3, std::string("\x00\x00\x01\x32\x00\x01", 6)},
                {2, std::string("\x00\x00\x01\x32\x0F\x01", 6)}});
  }
  test::CliResult Ndvi(const std::string& options) { return Run("ndvi", options); }
  test::CliResult Math(const std::string& options) { return Run("math", options); }
};
using NdviCommand = IndexCommand;
using MathCommand = IndexCommand;

TEST_F(NdviCommand, WritesTheCompleteSet) {
  WriteFile(dir / "n.b02", "an earlier result's band");
  WriteFile(dir / "n.jpg", "not part of the set");
  const auto r = Ndvi("--x 4 --y 3 --rainbow -o '" + out + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir / "n.b01"), std::string("\x00\xFF\xBF\x80\xFF\xE6", 6));
  EXPECT_EQ(ReadFile(dir / "n.ndv"),
            "The Normalized Difference Vegetation Index Intro File\n1.000000,-1.000000\n");
  EXPECT_FALSE(FileExists(dir / "n.b02"));
  EXPECT_TRUE(FileExists(dir / "n.jpg"));
  const ImageSettings s = test::WrittenSettings(out);
  EXPECT_EQ(s.fileState, 1);
  EXPECT_EQ(s.rainbow, 1);
  EXPECT_EQ(s.singleBand, 1);
  EXPECT_EQ(s.pixels, 3);
  // Its page shows the colour ramp; class areas belong to a classification's legend.
  const std::string page = " -o '" + (dir / "p.jpg") + "'";
  EXPECT_EQ(test::RunCli(dir, "page '" + out + "' --legend" + page).status, 0);
  const auto areas = test::RunCli(dir, "page '" + out + "' --legend --legend-areas" + page);
  EXPECT_EQ(areas.status, 1);
  EXPECT_NE(areas.err.find("--legend-areas"), std::string::npos) << areas.err;
}

TEST_F(NdviCommand, BadUsageAndFailuresLeaveFilesAlone) {
  const std::string o = " -o '" + out + "'";
  const char* usage[] = {"--x 4", "--x 0 --y 3", "--x 4 --y three", "--x 4 --y 3 --z 1",
                         "--x 4 --y 3"};
  for (const char* c : usage)
    EXPECT_EQ(Ndvi(std::string(c) + (std::string(c) == "--x 4 --y 3" ? "" : o)).status, 2) << c;
  // The output may not be the image itself.
  const std::string before = ReadFile(dir / "x.b04");
  EXPECT_EQ(Ndvi("--x 4 --y 3 -o '" + (dir / "x.inf") + "'").status, 2);
  EXPECT_EQ(ReadFile(dir / "x.b04"), before);

  WriteFile(out, "kept");
  const auto missing = Ndvi("--x 5 --y 3" + o);
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find(MessageText(kMsgOpenFailed)), std::string::npos);
  WriteFile(BandFilePath(dir / "x", kSample8, 3), "\x01");
  const auto shortBand = Ndvi("--x 4 --y 3" + o);
  EXPECT_EQ(shortBand.status, 1);
  EXPECT_NE(shortBand.err.find(MessageText(kMsgBandFileShort)), std::string::npos);
  EXPECT_EQ(ReadFile(out), "kept");
  EXPECT_FALSE(FileExists(dir / "n.b01"));
}

TEST_F(MathCommand, WritesTheCompleteSet) {
  if (!BandExpression::Available()) {
    EXPECT_EQ(Math("--preset ndwi -o '" + out + "'").status, 1);
    GTEST_SKIP() << "built without muParser";
  }
  WriteFile(dir / "n.b02", "an earlier result's band");
  const auto r = Math("--preset ndwi --colours rainbow -o '" + out + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  // (green - near infrared) / (green + near infrared): no value, -1, -0.5, 0, 0.5, -0.8.
  const float want[] = {NAN, -1.0f, -0.5f, 0.0f, 0.5f, -0.8f};
  const std::string floats = ReadFile(dir / "n.r01");
  ASSERT_EQ(floats.size(), 24u);
  for (int i = 0; i < 6; ++i) {
    float f;
    std::memcpy(&f, floats.data() + 4 * i, 4);
    if (i == 0) {
      EXPECT_TRUE(f != f);
    } else {
      EXPECT_EQ(f, want[i]) << i;
    }
  }
  // -1 .. 0.5 over 1 .. 255; no value 0.
  EXPECT_EQ(ReadFile(dir / "n.b01"), std::string("\x00\x01\x56\xAA\xFF\x23", 6));
  EXPECT_EQ(ReadFile(dir / "n.ndv"),
            "Lumora Band Maths Range File\n0.500000,-1.000000\n(B2-B4)/(B2+B4)\n");
  EXPECT_EQ(ReadFile(dir / "n.lev"), "levels");
  EXPECT_FALSE(FileExists(dir / "n.b02"));
  const ImageSettings s = test::WrittenSettings(out);
  EXPECT_EQ(s.fileState, 1);
  EXPECT_EQ(s.rainbow, 1);
  EXPECT_EQ(s.singleBand, 1);
}

TEST_F(MathCommand, BadInputIsRefusedAndNothingWritten) {
  const std::string o = " -o '" + out + "'";
  const std::string usage[] = {"--preset ndwi", "--preset ndwi --expr B4" + o, "--preset water" + o,
                               "--expr B4 --colours pink" + o, "--expr B4 --x 1" + o};
  for (const std::string& c : usage) EXPECT_EQ(Math(c).status, 2) << c;
  if (!BandExpression::Available()) GTEST_SKIP() << "built without muParser";
  WriteFile(out, "kept");
  const std::pair<std::string, std::string> failures[] = {
      {"--expr '(B4-B2'", "1文字目：かっこが閉じていません．"},
      {"--expr 'B4+B9'", "4文字目：この画像にバンド9はありません．"},
      {"--expr ''", "式が空です．"},
      {"--expr '" + std::string(1001, '1') + "'", "式が長すぎます（1000文字まで）．"},
      {"--expr 'B4*0+3'", MessageText(kMsgMathConstant)},
      {"--expr 'B4/0'", MessageText(kMsgMathAllUndefined)},
      {"--preset ndsi", ""},  // band 5 is missing
  };
  for (const auto& [c, message] : failures) {
    const auto r = Math(c + o);
    EXPECT_EQ(r.status, 1) << c;
    EXPECT_NE(r.err.find(message), std::string::npos) << c << ": " << r.err;
  }
  EXPECT_EQ(ReadFile(out), "kept");
  EXPECT_FALSE(FileExists(dir / "n.r01"));
  EXPECT_FALSE(FileExists(dir / "n.b01"));
}

}  // namespace
}  // namespace lumora
