#include "core/imagefile/settings_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/support/string_table.h"
#include "tests/support/file_limit.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

ImageSettings Parse(const std::string& text, bool* ok = nullptr) {
  ImageSettings s;
  bool r = ParseSettings(text, s);
  if (ok) *ok = r;
  return s;
}

TEST(SettingsGrammar, KeyMustBeFollowedByExactlyOneBlankAndEquals) {
  struct Case {
    const char* text;
    int lines;
  } cases[] = {
      {"LINE= 100\n", 0},          {"LINE  = 100\n", 0},
      {" LINE = 100\n", 0},        {"line = 100\n", 0},
      {"LINE =100\n", 100},        {"LINE =   42abc\n", 42},
      {"LINE = abc\n", 0},         {"LINE = -7\n", -7},
      {"LINE = 1\nLINE = 2\n", 2}, {"LINE = 99999999999\n", 2147483647},
      {"LINE = 5\r\n", 5},         {"LINE =", 0},
      {"LINE :100\n", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(c.text).lines, c.lines) << c.text;
}

TEST(SettingsGrammar, GpsCharTakesTheRawRestOfTheLineAndHostileBytesAreHarmless) {
  EXPECT_EQ(Parse("GPS_CHAR = N35 E139  \n").gpsChar, " N35 E139  \n");
  EXPECT_EQ(Parse("GPS_CHAR = N35\r\n").gpsChar, " N35\n");
  EXPECT_EQ(Parse("GPS_CHAR =").gpsChar, "");
  // 東京 in CP932 is kept byte for byte; a NUL ends the number before it.
  const ImageSettings s =
      Parse("GPS_CHAR = \x93\x8c\x8b\x9e\nLINE = 1" + std::string(1, '\0') + "2\nPIXEL = 3\n");
  EXPECT_EQ(s.gpsChar, " \x93\x8c\x8b\x9e\n");
  EXPECT_EQ(s.lines, 1);
  EXPECT_EQ(s.pixels, 3);
}

TEST(SettingsGrammar, Normalisation) {
  struct Case {
    const char* text;
    int sensor, rainbow, state, single;
  } cases[] = {
      {"SENSOR = 0\n", 0, 0, 0, 0},      {"SENSOR = 1\n", 1, 0, 0, 0},
      {"SENSOR = 7\n", 2, 0, 0, 0},      {"SENSOR = -1\n", 2, 0, 0, 0},
      {"Rainbow = 5\n", 0, 1, 0, 0},     {"Rainbow = -3\n", 0, 1, 0, 0},
      {"File_State = 12\n", 0, 0, 0, 0}, {"File_State = 9\n", 0, 0, 9, 0},
      {"File_State = 1\n", 0, 0, 1, 0},  {"File_State = -2\n", 0, 0, 0, 0},
      {"Single_Band = 2\n", 0, 0, 0, 1},
  };
  for (const auto& c : cases) {
    ImageSettings s = Parse(c.text);
    EXPECT_EQ(s.sensor, c.sensor) << c.text;
    EXPECT_EQ(s.rainbow, c.rainbow) << c.text;
    EXPECT_EQ(s.fileState, c.state) << c.text;
    EXPECT_EQ(s.singleBand, c.single) << c.text;
  }
}

TEST(SettingsGrammar, RangeChecksRejectTheWholeFile) {
  struct Case {
    const char* text;
    bool ok;
  } cases[] = {
      {"LeftTop_Lat = 90\n", true},      {"LeftTop_Lat = 90.0001\n", false},
      {"LeftTop_Lat = -90\n", true},     {"LeftTop_Lon = 180\n", true},
      {"LeftTop_Lon = -180.5\n", false}, {"Inclination = -45\n", true},
      {"Inclination = -46\n", false},    {"Inclination = 45.000001\n", false},
      {"Inclination = nan\n", false},    {"LeftTop_Lon = inf\n", false},
      {"LeftTop_Lat = 1e400\n", false},
  };
  for (const auto& c : cases) {
    bool ok = false;
    Parse(c.text, &ok);
    EXPECT_EQ(ok, c.ok) << c.text;
  }
}

TEST(SettingsGrammar, CornerIsStoredOnlyAfterTheWholeFileAndPrefixesDoNotMatch) {
  ImageSettings s;
  s.lines = 77;
  EXPECT_FALSE(ParseSettings("LINE = 5\nLeftTop_Lon = 139.5\nLeftTop_Lat = 95\n", s));
  EXPECT_EQ(s.lines, 77);  // untouched on failure
  EXPECT_EQ(s.leftTopLon, 500.0);
  ASSERT_TRUE(ParseSettings("LeftTop_Lon = 139.5\nLeftTop_Lat = 35.25\n", s));
  EXPECT_EQ(s.leftTopLon, 139.5);
  EXPECT_EQ(s.leftTopLat, 35.25);
  // Keys sharing a prefix do not match each other.
  s = Parse("START_LINE = 3\nSTART_PIXEL = 4\nGPS_A = 1.5\nGPS_CHAR = x\n");
  EXPECT_EQ(s.lines, 0);
  EXPECT_EQ(s.pixels, 0);
  EXPECT_EQ(s.startLine, 3);
  EXPECT_EQ(s.startPixel, 4);
  EXPECT_EQ(s.gpsA, 1.5);
  EXPECT_FALSE(s.HasGeoReference());
}

TEST(SettingsGrammar, LongLinesAreReadInPiecesOfAtMost127Characters) {
  // A 200-character line: only its first piece can match a key, and the
  // second piece begins at column 128.
  std::string line = "OrgE = 1.5" + std::string(117, ' ') + "LINE = 9" + std::string(65, 'x');
  ASSERT_EQ(line.size(), 200u);
  ImageSettings s = Parse(line + "\n");
  EXPECT_EQ(s.orgE, 1.5);
  EXPECT_EQ(s.lines, 9);
  std::string pad = "X" + std::string(126, 'y');  // exactly 127: next piece is a new line
  EXPECT_EQ(Parse(pad + "PIXEL = 4\n").pixels, 4);
  EXPECT_EQ(Parse(std::string(10000, 'z') + "\nPIXEL = 3\n").pixels, 3);
}

TEST(SettingsFile, ReadReportsOpenAndRangeFailuresAndImpossibleSizes) {
  TempDir dir;
  RecordingMessenger m;
  ImageSettings s;
  EXPECT_FALSE(ReadSettings(dir / "missing.inf", s, m));
  EXPECT_EQ(m.LastId(), kMsgOpenFailed);
  WriteFile(dir / "bad.inf", "LINE = 1\nInclination = 50\n");
  EXPECT_FALSE(ReadSettings(dir / "bad.inf", s, m));
  EXPECT_EQ(m.LastId(), kMsgBadInf);
  WriteFile(dir / "good.INF", "LINE = 1\r\nPIXEL = 2\r\n");
  ASSERT_TRUE(ReadSettings(dir / "good.inf", s, m));  // found without regard to case
  EXPECT_EQ(s.pixels, 2);
  // The image size must be positive and allocatable.
  s.lines = 100;
  s.pixels = 200;
  EXPECT_TRUE(CheckImageSize(s, m));
  s.lines = 0;
  EXPECT_FALSE(CheckImageSize(s, m));
  EXPECT_EQ(m.LastId(), kMsgBadImageSize);
  s.lines = -5;
  EXPECT_FALSE(CheckImageSize(s, m));
  s.lines = 2147483647;
  s.pixels = 2147483647;
  EXPECT_FALSE(CheckImageSize(s, m));
  EXPECT_EQ(m.LastId(), kMsgImageTooLarge);
}

TEST(SettingsRewrite, AfterProcessingReplacesSizeAppendsStateKeysAndFallsBackToOpened) {
  TempDir dir;
  RecordingMessenger m;
  WriteFile(dir / "a.inf",
            "LINE = 100\nPIXEL = 200\nFile_State = 9\nUnknown key here\nRainbow = 1\n"
            "SENSOR = 1\nSingle_Band = 0\nLengthPerPixel = 0.0285");
  ASSERT_TRUE(RewriteSettingsAfterProcessing(dir / "a.inf", dir / "b.inf", dir / "a.inf", 50, 60, 1,
                                             1, 2, m));
  EXPECT_EQ(ReadFile(dir / "b.inf"),
            "LINE = 50\nPIXEL = 60\nUnknown key here\nSENSOR = 1\nLengthPerPixel = 0.0285\n"
            "File_State = 2\nRainbow = 1\nSingle_Band = 1\n");
  // Without a LINE it stays absent.
  WriteFile(dir / "opened.inf", "PIXEL = 3\r\nGPS_CHAR = abc\r\n");
  // The source is missing: the opened path with ".inf" is used.
  ASSERT_TRUE(RewriteSettingsAfterProcessing(dir / "gone.inf", dir / "out.inf", dir / "opened.inf",
                                             7, 8, 0, 0, 9, m));
  EXPECT_EQ(ReadFile(dir / "out.inf"),
            "PIXEL = 8\nGPS_CHAR = abc\nFile_State = 9\nRainbow = 0\nSingle_Band = 0\n");
  EXPECT_FALSE(RewriteSettingsAfterProcessing(dir / "gone.inf", dir / "out2.inf", dir / "x.inf", 7,
                                              8, 0, 0, 9, m));
  EXPECT_EQ(m.LastId(), kMsgOpenFailed);
  EXPECT_FALSE(test::FileExists(dir / "out2.inf"));
  EXPECT_FALSE(RewriteSettingsAfterProcessing(dir / "opened.inf", dir / "no/such/dir/b.inf",
                                              dir / "opened.inf", 1, 1, 0, 0, 9, m));
  EXPECT_EQ(m.LastId(), kMsgCreateFailed);
}

TEST(SettingsRewrite, PartialWriteMatchesBareKeysAndKeepsStateLines) {
  TempDir dir;
  RecordingMessenger m;
  WriteFile(dir / "a.inf",
            "LINE = 100\nPIXEL = 200\nLeftTop_Lon = 139.0\nLeftTop_Lat = 36.0\n"
            "File_State = 9\nRainbow = 1\nLINE=5\n");
  ASSERT_TRUE(
      RewriteSettingsForPartialWrite(dir / "a.inf", dir / "b.inf", 10, 20, 139.5, -33.25, m));
  EXPECT_EQ(ReadFile(dir / "b.inf"),
            "LINE = 10\nPIXEL = 20\nLeftTop_Lon = 139.500000\nLeftTop_Lat = -33.250000\n"
            "File_State = 9\nRainbow = 1\nLINE = 10\n");
  // A target that cannot be opened is reported like a source that cannot.
  EXPECT_FALSE(
      RewriteSettingsForPartialWrite(dir / "a.inf", dir / "no/such/dir/b.inf", 1, 1, 0.0, 0.0, m));
  EXPECT_EQ(m.LastId(), kMsgOpenFailed);
  // A line longer than the settings reader's buffer is one line, not two;
  // only the last line may gain a line break.
  const std::string remark = "REMARK = " + std::string(141, 'x') + "\n";
  const std::string longer = "NOTE = " + std::string(5000, 'y');
  WriteFile(dir / "a.inf", remark + "LINE = 100\n" + longer);
  ASSERT_TRUE(RewriteSettingsForPartialWrite(dir / "a.inf", dir / "b.inf", 10, 20, 0, 0, m));
  EXPECT_EQ(ReadFile(dir / "b.inf"), remark + "LINE = 10\n" + longer + "\n");
}

TEST(DisplayStateFile, WritesTruncatedRangeAndReadsItBack) {
  TempDir dir;
  RecordingMessenger m;
  ASSERT_TRUE(WriteDisplayStateFile(dir / "x.brd", 3, 200.9f, -3.7f, m));
  EXPECT_EQ(ReadFile(dir / "x.brd"), "State = 3\nMax_Val = 200\nMin_Val = -3\n");
  DisplayStateFile d;
  ASSERT_TRUE(ReadDisplayStateFile(dir / "x.brd", d));
  EXPECT_EQ(d.state, 3);
  EXPECT_EQ(d.maxVal, 200);
  EXPECT_EQ(d.minVal, -3);
  // Beyond int the values stop at its ends.
  ASSERT_TRUE(WriteDisplayStateFile(dir / "x.brd", 3, 2147483648.0f, -4e9f, m));
  EXPECT_EQ(ReadFile(dir / "x.brd"), "State = 3\nMax_Val = 2147483647\nMin_Val = -2147483648\n");
  {
    // A write that fails at its close leaves the old file whole and no
    // temporary behind.
    test::FileSizeLimit limit(16);
    EXPECT_FALSE(WriteDisplayStateFile(dir / "x.brd", 4, 1, 0, m));
  }
  EXPECT_EQ(ReadFile(dir / "x.brd"), "State = 3\nMax_Val = 2147483647\nMin_Val = -2147483648\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
  EXPECT_FALSE(WriteDisplayStateFile(dir / "none/x.brd", 1, 0, 0, m));
  EXPECT_EQ(m.LastId(), kMsgCreateFailed);
  // A missing state line leaves 0.
  d = DisplayStateFile();
  ParseDisplayState("Max_Val = 10\r\nMin_Val =3", d);
  EXPECT_EQ(d.state, 0);
  EXPECT_EQ(d.maxVal, 10);
  // The last character of every line is removed, even without a line break.
  EXPECT_EQ(d.minVal, 0);
}

}  // namespace
}  // namespace lumora
