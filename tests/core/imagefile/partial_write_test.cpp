#include "core/imagefile/partial_write.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/imagefile/ground_scale.h"
#include "core/support/string_table.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// A 4 x 3 image: band 1 holds 10 * line + pixel, band 2 its negative; a DEM
// with sea (0) in the first column.
struct Image {
  TempDir dir;
  PartialWriteSource src;
  RecordingMessenger m;
  Progress progress;
  Image() {
    std::string b1, b2, dem;
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) {
        b1 += static_cast<char>(10 * y + x);
        b2 += static_cast<char>(-(10 * y + x));
        dem += static_cast<char>(x == 0 ? 0 : 100 + 10 * y + x);
      }
    WriteFile(dir / "img.inf",
              "LINE = 3\nPIXEL = 4\nSENSOR = 1\nLengthPerPixel = 0.030000\n"
              "LeftTop_Lon = 139.000000\nLeftTop_Lat = 36.000000\nInclination = 0.000000\n");
    WriteFile(dir / "img.b01", b1);
    WriteFile(dir / "img.B02", b2);
    WriteFile(dir / "img.d01", "Blue band\nsecond line\n");
    WriteFile(dir / "img.ndv", "MIN = 0\n");
    WriteFile(dir / "img.brd", "State = 3\n");
    WriteFile(dir / "img.dem", dem);
    WriteFile(dir / "img.lev",
              "MIN_VAL = 1\nMIN_ALTITUDE = 10\nMAX_VAL = 200\nMAX_ALTITUDE = 2540\n");
    src.settingsPath = dir / "img.inf";
    src.imagePixels = 4;
    src.imageLines = 3;
    ReadSettings(src.settingsPath, src.settings, m);
  }
  bool Cut(int left, int top, int pixels, int lines, const std::string& base = "cut") {
    AreaRect a{top, lines, left, pixels};
    return PartialWrite(dir / base, src, a, progress, m);
  }
};

TEST(PartialWrite, CutsBandsDemAndRewritesTheSettings) {
  Image img;
  std::string i03;  // 16-bit samples are cut at their width
  for (int k = 0; k < 12; ++k) i03 += {static_cast<char>(k), static_cast<char>(0x80)};
  WriteFile(img.dir / "img.i03", i03);
  ASSERT_TRUE(img.Cut(1, 1, 2, 2));
  EXPECT_EQ(ReadFile(img.dir / "cut.b01"), std::string("\x0b\x0c\x15\x16"));
  EXPECT_EQ(ReadFile(img.dir / "cut.b02"), std::string("\xf5\xf4\xeb\xea"));  // lower-cased
  EXPECT_EQ(ReadFile(img.dir / "cut.i03"), std::string("\x05\x80\x06\x80\x09\x80\x0a\x80", 8));
  EXPECT_EQ(ReadFile(img.dir / "cut.dem"), std::string("\x6f\x70\x79\x7a"));
  EXPECT_EQ(ReadFile(img.dir / "cut.lev"),
            "MIN_VAL = 111\nMIN_ALTITUDE = 10\nMAX_VAL = 122\nMAX_ALTITUDE = 2540\n");
  EXPECT_EQ(ReadFile(img.dir / "cut.d01"), "Blue band\nsecond line\n");
  EXPECT_FALSE(FileExists(img.dir / "cut.ndv"));
  EXPECT_EQ(ReadFile(img.dir / "cut.brd"), "State = 3\n");  // not cut as a band

  const GroundScale g = ComputeGroundScale(36.0, 0.03);
  ImageSettings s;
  ASSERT_TRUE(ReadSettings(img.dir / "cut.inf", s, img.m));
  EXPECT_EQ(s.lines, 2);
  EXPECT_EQ(s.pixels, 2);
  EXPECT_NEAR(s.leftTopLon, 139.0 + 1 / g.pixelsPerDegLon, 1e-6);  // %lf keeps 6 decimals
  EXPECT_NEAR(s.leftTopLat, 36.0 - 1 / g.pixelsPerDegLat, 1e-6);
  EXPECT_EQ(s.lengthPerPixel, 0.03);

  // A flat model (one altitude) is cut like any other.
  WriteFile(img.dir / "img.lev",
            "MIN_VAL = 1\nMIN_ALTITUDE = 500\nMAX_VAL = 200\nMAX_ALTITUDE = 500\n");
  ASSERT_TRUE(img.Cut(1, 1, 2, 2, "flat"));
  EXPECT_EQ(ReadFile(img.dir / "flat.lev"),
            "MIN_VAL = 111\nMIN_ALTITUDE = 500\nMAX_VAL = 122\nMAX_ALTITUDE = 500\n");
  EXPECT_TRUE(img.m.entries.empty());
}

TEST(PartialWrite, CornerStaysWhenCutAtItOrUnsetAndSeaOnlyDemHasEmptyRange) {
  Image img;
  ASSERT_TRUE(img.Cut(0, 0, 1, 3));
  const std::string inf = ReadFile(img.dir / "cut.inf");
  EXPECT_NE(inf.find("LeftTop_Lon = 139.000000\n"), std::string::npos);
  EXPECT_NE(inf.find("LeftTop_Lat = 36.000000\n"), std::string::npos);
  EXPECT_EQ(ReadFile(img.dir / "cut.lev"),
            "MIN_VAL = 255\nMIN_ALTITUDE = 10\nMAX_VAL = 0\nMAX_ALTITUDE = 2540\n");

  // Without a geographic reference the corner stays unset.
  WriteFile(img.dir / "img.inf", "LINE = 3\nPIXEL = 4\nLengthPerPixel = 0.03\n");
  img.src.settings = ImageSettings();
  img.src.settings.lengthPerPixel = 0.03;
  ASSERT_TRUE(img.Cut(2, 2, 1, 1));
  ImageSettings s;
  ASSERT_TRUE(ReadSettings(img.dir / "cut.inf", s, img.m));
  EXPECT_EQ(s.leftTopLon, 500.0);
  EXPECT_FALSE(s.HasGeoReference());
}

TEST(PartialWrite, RefusedAreasAndTargetsChangeNothing) {
  struct Case {
    int left, top, pixels, lines;
  } outside[] = {{-1, 0, 1, 1}, {0, -1, 1, 1}, {3, 0, 2, 1},          {0, 2, 1, 2},
                 {0, 0, 0, 1},  {0, 0, 1, 0},  {2147483647, 0, 1, 1}, {1, 1, 2147483647, 1}};
  Image img;
  WriteFile(img.dir / "cut.b01", "old");
  for (const Case& c : outside) {
    img.m.entries.clear();
    EXPECT_FALSE(img.Cut(c.left, c.top, c.pixels, c.lines)) << c.left << "," << c.top;
    EXPECT_EQ(img.m.LastId(), kMsgAreaOutsideImage);
  }
  EXPECT_FALSE(img.Cut(0, 0, 1, 1, "IMG"));  // would delete the source first
  EXPECT_EQ(img.m.LastId(), kMsgWorkingFileInUse);
  EXPECT_TRUE(FileExists(img.dir / "img.b01"));
  EXPECT_EQ(ReadFile(img.dir / "cut.b01"), "old");
  // A range file that cannot be opened for writing is reported.
  fs::create_directories(img.dir.path() / "w.lev");  // a folder where the file would go
  WindowCopyProgress run;
  EXPECT_FALSE(CopyRasterWindow(img.dir / "w.dem", img.dir / "img.dem", true, 1, 4,
                                AreaRect{0, 3, 0, 4}, run, img.m));
  EXPECT_EQ(img.m.LastId(), kMsgOpenFailed);
}

TEST(PartialWrite, FailuresLeaveTheOldTargetInPlace) {
  struct Case {
    const char* file;
    const char* content;  // nullptr: remove the file
    int message;
  } cases[] = {
      {"img.b01", "short", kMsgBandFileShort},
      {"img.lev", "MIN_ALTITUDE = 900\nMAX_ALTITUDE = 100\n", kMsgBadDem},
      {"img.lev", nullptr, kMsgOpenFailed},
  };
  for (const Case& c : cases) {
    Image img;
    WriteFile(img.dir / "cut.b01", "old");
    WriteFile(img.dir / "cut.inf", "old inf");
    if (c.content)
      WriteFile(img.dir / c.file, c.content);
    else
      fs::remove(img.dir / c.file);
    const auto before = std::distance(fs::directory_iterator(img.dir.path()), {});
    EXPECT_FALSE(img.Cut(0, 0, 4, 3)) << c.file;
    EXPECT_EQ(img.m.LastId(), c.message) << c.file;
    EXPECT_EQ(ReadFile(img.dir / "cut.b01"), "old");
    EXPECT_EQ(ReadFile(img.dir / "cut.inf"), "old inf");
    EXPECT_FALSE(FileExists(img.dir / "cut.dem"));
    EXPECT_EQ(std::distance(fs::directory_iterator(img.dir.path()), {}), before);  // no staging
  }
}

}  // namespace
}  // namespace lumora
