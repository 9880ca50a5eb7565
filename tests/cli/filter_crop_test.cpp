// lumora-cli filter and crop, which write a new set from an image: its bands
// and settings, and the exit status on bad usage and bad input.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/radiometry/filter_kernels.h"
#include "core/support/messenger.h"
#include "core/support/string_table.h"
#include "tests/support/cli_run.h"
#include "tests/support/radiometry_reference.h"
#include "tests/support/temp_dir.h"
#include "tests/support/view_reference.h"

namespace lumora {
namespace {

using test::ReadFile;
using test::RunCli;
using test::TempDir;
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

class CropTest : public testing::Test {
 protected:
  void SetUp() override {
    std::vector<uint8_t> b1, b2;
    for (int i = 0; i < 24; ++i) {
      b1.push_back(static_cast<uint8_t>(i));
      b2.push_back(static_cast<uint8_t>(100 + i));
    }
    test::WriteTestImage(m_dir / "img", 6, 4, {{1, {1, b1}}, {2, {1, b2}}},
                         "LengthPerPixel = 0.03\nLeftTop_Lon = 139.0\n"
                         "LeftTop_Lat = 36.0\n");
  }
  // In the folder, where the image is img.inf.
  test::CliResult Crop(const std::string& a) const {
    return RunCli(m_dir, "crop " + a, test::InFolder(m_dir));
  }

  TempDir m_dir;
};

TEST_F(CropTest, WritesTheWindowAsANewImage) {
  const auto r = Crop("img.inf --area 1,2,3,2 -o cut.inf");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadFile(m_dir / "cut.b01"), std::string("\x0d\x0e\x0f\x13\x14\x15"));
  EXPECT_EQ(test::ReadFile(m_dir / "cut.b02"), std::string("\x71\x72\x73\x77\x78\x79"));
  const auto info = RunCli(m_dir, "info cut.inf", test::InFolder(m_dir));
  EXPECT_NE(info.out.find("LINE = 2\nPIXEL = 3\n"), std::string::npos) << info.out;
  EXPECT_EQ(info.out.find("LeftTop_Lon = 139.000000"), std::string::npos);  // moved east
}

TEST_F(CropTest, BadUsageAndBadInput) {
  struct Case {
    const char* args;
    int status;
    const char* message;  // expected in stderr, or nullptr
  } cases[] = {
      {"img.inf --area 1,2,3 -o cut.inf", 2, nullptr},
      {"img.inf --area 1,2,3,2", 2, nullptr},
      {"img.inf --area 1,2,3,2 -o cut.txt", 2, nullptr},
      {"img.inf --area 4,0,3,1 -o cut.inf", 1, MessageText(kMsgAreaOutsideImage)},
      {"img.inf --area -1,0,3,1 -o cut.inf", 1, MessageText(kMsgAreaOutsideImage)},  // a value
      {"none.inf --area 0,0,1,1 -o cut.inf", 1, MessageText(kMsgOpenFailed)},
      {"img.inf --area 0,0,1,1 -o no/such/cut.inf", 1, nullptr},
  };
  for (const Case& c : cases) {
    const auto r = Crop(c.args);
    EXPECT_EQ(r.status, c.status) << c.args;
    if (c.message) {
      EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << r.err;
    }
    EXPECT_FALSE(test::FileExists(m_dir / "cut.b01")) << c.args;
  }
}

TEST_F(CropTest, ACornerThatCannotBeComputedIsRefusedBeforeAnythingIsWritten) {
  struct Case {
    const char* georeference;
    int status;
  } cases[] = {
      {"LengthPerPixel = 0.03\nLeftTop_Lon = 179.9999\nLeftTop_Lat = 36.0\n", 0},
      {"LengthPerPixel = inf\nLeftTop_Lon = 139.0\nLeftTop_Lat = 36.0\n", 1},
      {"LengthPerPixel = nan\nLeftTop_Lon = 139.0\nLeftTop_Lat = 36.0\n", 1},
      {"LengthPerPixel = 0.03\nLeftTop_Lon = 139.0\nLeftTop_Lat = 90\n", 1},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(m_dir.path());
    std::filesystem::create_directories(m_dir.path());
    test::WriteTestImage(m_dir / "img", 6, 4, {{1, {1, std::vector<uint8_t>(24, 7)}}},
                         c.georeference);
    const auto r = Crop("img.inf --area 1,1,2,2 -o cut.inf");
    EXPECT_EQ(r.status, c.status) << c.georeference << r.err;
    if (c.status == 0) {
      // East of the antimeridian is west of it, and the program reads the result.
      const ImageSettings s = test::WrittenSettings(m_dir / "cut.inf");
      EXPECT_EQ(s.lines, 2) << c.georeference;
      EXPECT_LT(s.leftTopLon, -179.99) << c.georeference;
    } else {
      EXPECT_NE(r.err.find(MessageText(kMsgBadInf)), std::string::npos) << r.err;
      EXPECT_FALSE(test::FileExists(m_dir / "cut.inf")) << c.georeference;
      EXPECT_FALSE(test::FileExists(m_dir / "cut.b01")) << c.georeference;
    }
  }
}

}  // namespace
}  // namespace lumora
