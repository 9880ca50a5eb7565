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
  // The bands as the contrast filter makes them; the filter run's tests check
  // the rest of the set.
  for (int b = 1; b <= 3; ++b)
    EXPECT_EQ(ReadFile(BandFilePath(dir / "f", kSample8, b)),
              test::AsString(test::ReferenceConvolve(bands[b], 20, 15, rec.coefficients,
                                                     rec.divisor, rec.offset)));
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
  // The output may not be the image's own set, as the file system resolves it
  // (other case, a band's name).
  for (const char* c :
       {"filter", "filter x.inf --kind sharpen -o f.inf", "filter x.inf --kind blur",
        "filter x.inf --kind blur -o f.inf --extra 1", "filter x.inf x.inf --kind blur -o f.inf",
        "filter x.inf --kind blur -o x.inf", "filter x.inf --kind blur -o X.inf",
        "filter x.inf --kind blur -o x.b01"})
    EXPECT_EQ(RunCli(dir, c, test::InFolder(dir)).status, 2) << c;
  EXPECT_EQ(ReadFile(dir / "x.b01"), std::string(bands[1].begin(), bands[1].end()));
  EXPECT_EQ(RunCli(dir, "filter missing.inf --kind blur -o f.inf", test::InFolder(dir)).status, 1);
}

}  // namespace
}  // namespace lumora
