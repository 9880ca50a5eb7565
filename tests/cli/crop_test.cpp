// lumora-cli crop: the window's bands and settings, and its exit status on
// bad usage and bad input.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/support/string_table.h"
#include "tests/support/cli_run.h"
#include "tests/support/view_reference.h"

namespace lumora {
namespace {

using test::RunCli;
using test::TempDir;

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
