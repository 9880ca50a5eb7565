#include <gtest/gtest.h>

#include <filesystem>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/radiometry/filter_kernels.h"
#include "core/support/messenger.h"
#include "tests/support/cli_run.h"
#include "tests/support/radiometry_reference.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::ReadFile;
using test::RunCli;
using test::WriteFile;

class FilterCommand : public ::testing::Test {
 protected:
  void MakeImage(int bandCount) {
    WriteFile(dir / "x.inf", "LINE = 15\nPIXEL = 20\nSENSOR = 1\nFile_State = 0\n");
    for (int b = 1; b <= bandCount; ++b) {
      bands[b] = test::RandomBand(20, 15, 70u + static_cast<unsigned>(b));
      WriteFile(BandFilePath(dir / "x", kSample8, b), test::AsString(bands[b]));
    }
  }
  test::CliResult Filter(const std::string& kind) {
    return RunCli(dir, "filter '" + (dir / "x.inf") + "' --kind " + kind + " -o '" + out + "'");
  }
  ImageSettings Written() const { return test::WrittenSettings(out); }

  test::TempDir dir;
  std::string out = dir / "f.inf";
  std::vector<uint8_t> bands[4];
};

TEST_F(FilterCommand, WritesTheFilteredSetWithItsSettings) {
  MakeImage(3);
  const auto r = Filter("contrast");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto& rec = FilterTable()[2];
  for (int b = 1; b <= 3; ++b) {
    const auto expected =
        test::ReferenceConvolve(bands[b], 20, 15, rec.coefficients, rec.divisor, rec.offset);
    EXPECT_EQ(ReadFile(BandFilePath(dir / "f", kSample8, b)), test::AsString(expected));
    EXPECT_EQ(ReadBandDescription(dir / "f", b), "フィルタ済み画像データ");
  }
  const ImageSettings s = Written();
  EXPECT_EQ(s.fileState, kStateFiltered);
  EXPECT_EQ(s.lines, 15);
  EXPECT_EQ(s.pixels, 20);
  EXPECT_EQ(s.sensor, 1);
  EXPECT_EQ(s.singleBand, 0);
  EXPECT_EQ(s.rainbow, 0);

  // A one-band image gives a one-band result.
  for (int b : {2, 3}) std::filesystem::remove(BandFilePath(dir / "x", kSample8, b));
  MakeImage(1);
  ASSERT_EQ(Filter("blur").status, 0);
  EXPECT_EQ(Written().singleBand, 1);
}

TEST_F(FilterCommand, BadUsageExitsWithTwo) {
  MakeImage(3);
  std::string inf = "'";
  inf += dir / "x.inf";
  inf += '\'';
  const std::string cases[] = {
      "filter",
      "filter " + inf + " --kind sharpen -o '" + out + "'",
      "filter " + inf + " --kind blur",
      "filter " + inf + " --kind blur -o '" + out + "' --extra 1",
      "filter " + inf + " " + inf + " --kind blur -o '" + out + "'",
      "filter " + inf + " --kind blur -o " + inf,
      // The same set as the file system resolves it: other case, the band's name.
      "filter " + inf + " --kind blur -o '" + (dir / "X.inf") + "'",
      "filter " + inf + " --kind blur -o '" + (dir / "x.b01") + "'",
  };
  for (const auto& c : cases) EXPECT_EQ(RunCli(dir, c).status, 2) << c;
  EXPECT_EQ(ReadFile(dir / "x.b01"), std::string(bands[1].begin(), bands[1].end()));
  EXPECT_EQ(
      RunCli(dir, "filter '" + (dir / "missing.inf") + "' --kind blur -o '" + out + "'").status, 1);
}

}  // namespace
}  // namespace lumora
