// lumora-cli ndvi: the file set it writes and how it fails.
#include <gtest/gtest.h>

#include "core/analysis/vegetation_index.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/string_table.h"
#include "tests/support/cli_run.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::FileExists;
using test::ReadFile;
using test::RunCli;
using test::WriteFile;

class NdviCommand : public test::SmallSceneCommand {
 protected:
  void SetUp() override {
    WriteScene({{4, std::string("\x00\x64\x03\x32\x05\x09", 6)},
                {3, std::string("\x00\x00\x01\x32\x00\x01", 6)}});
  }
  test::CliResult Ndvi(const std::string& options) { return Run("ndvi", options); }
};

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

}  // namespace
}  // namespace lumora
