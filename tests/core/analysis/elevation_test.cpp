#include "core/analysis/elevation.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/support/string_table.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(ElevationRangeFile, KeysAreLinePrefixesWrittenInFixedOrder) {
  struct Case {
    const char* text;
    ElevationRange want;
  } cases[] = {
      {"", {10000000, -1, 1, 255}},
      {"MAX_ALTITUDE = 800\nMIN_VAL = 3\nMIN_ALTITUDE = -20\nMAX_VAL = 200\n", {-20, 800, 3, 200}},
      {"MIN_ALTITUDE= 5\nMIN_VAL  = 4\n min_val = 9\n", {10000000, -1, 1, 255}},
      {"MIN_ALTITUDE =7m\r\nMAX_VAL = 9 # note\r\nMAX_VAL = 10\n", {7, -1, 1, 10}},
      {"MIN_VAL = x\nMAX_ALTITUDE = 99999999999\n", {10000000, 2147483647, 0, 255}},
  };
  for (const auto& c : cases) {
    ElevationRange r;
    ParseElevationRange(c.text, r);
    EXPECT_EQ(std::tie(r.minAltitude, r.maxAltitude, r.minCode, r.maxCode),
              std::tie(c.want.minAltitude, c.want.maxAltitude, c.want.minCode, c.want.maxCode))
        << c.text;
  }
  // A line longer than the buffer is read in pieces; only the first can match.
  ElevationRange r;
  ParseElevationRange(
      std::string(300, ' ') + "MIN_VAL = 5\n" + std::string(255, 'x') + "MAX_VAL = 6\n", r);
  EXPECT_EQ(r.minCode, 1);
  EXPECT_EQ(r.maxCode, 6);
  // Written: four lines in a fixed order, read back.
  TempDir dir;
  const ElevationRange in{-5, 3776, 2, 254};
  ASSERT_TRUE(WriteElevationRangeFile(dir / "a.lev", in));
  EXPECT_EQ(test::ReadFile(dir / "a.lev"),
            "MIN_VAL = 2\nMIN_ALTITUDE = -5\nMAX_VAL = 254\nMAX_ALTITUDE = 3776\n");
  ElevationRange out;
  ASSERT_TRUE(ReadElevationRangeFile(dir / "a.lev", out));
  EXPECT_EQ(out.minAltitude, -5);
  EXPECT_EQ(out.maxCode, 254);
  EXPECT_FALSE(ReadElevationRangeFile(dir / "missing.lev", out));
}

TEST(ElevationColours, TableEntriesAndClampedLookup) {
  // Values worked out independently from the hexcone conversion.
  struct Case {
    int index;
    Bgr bgr;
  } cases[] = {{0, {255, 0, 0}},       {1, {41, 165, 62}},      {2, {41, 165, 63}},
               {100, {41, 165, 150}},  {127, {41, 156, 165}},   {128, {41, 155, 165}},
               {200, {41, 90, 165}},   {254, {41, 42, 165}},    {255, {165, 165, 165}},
               {256, {165, 165, 165}}, {9999, {165, 165, 165}}, {-1, {255, 0, 0}}};
  const ElevationColourTable table = BuildElevationColours();
  for (const auto& c : cases) {
    EXPECT_EQ(ElevationColour(c.index), c.bgr) << c.index;
    if (c.index >= 0 && c.index < 256) {
      EXPECT_EQ(table[c.index], c.bgr) << c.index;
    }
  }
}

TEST(ElevationDisplayRange, AbsoluteThresholdsRelativeRoundingAndAltitudes) {
  struct Abs {
    int top, want;
  } abs[] = {{-50, 3000},  {2000, 3000}, {2001, 5000}, {2540, 5000},
             {4000, 5000}, {6000, 7000}, {6001, 9000}, {30000, 9000}};
  for (const auto& c : abs) {
    EXPECT_EQ(AbsoluteDisplayRange(c.top).bottom, 0);
    EXPECT_EQ(AbsoluteDisplayRange(c.top).top, c.want) << c.top;
  }
  struct Rel {
    int bottom, top, wantBottom, wantTop;
  } rel[] = {{567, 1234, 500, 1300},
             {99, 1234, 0, 1300},
             {100, 1300, 100, 1300},
             {-40, -10, 0, 100},
             {500, 500, 500, 600},
             {0, 0, 0, 100},
             {2147483600, 2147483647, 2147483600, 2147483647}};
  for (const auto& c : rel) {
    const DisplayRange r = RelativeDisplayRange(c.bottom, c.top);
    EXPECT_EQ(r.bottom, c.wantBottom) << c.bottom << ".." << c.top;
    EXPECT_EQ(r.top, c.wantTop) << c.bottom << ".." << c.top;
  }
  EXPECT_EQ(DisplayRangeFor(8, 567, 1234).bottom, 500);
  EXPECT_EQ(DisplayRangeFor(7, 567, 1234).top, 3000);
  // Ten metres a code; the difference of hostile altitudes must not wrap around.
  const double step = MetresPerCode(0, 2540);
  EXPECT_EQ(step, 10.0);
  EXPECT_EQ(AltitudeOfCode(1, step, 0), 0.0);
  EXPECT_EQ(AltitudeOfCode(255, step, 0), 2540.0);
  EXPECT_GT(MetresPerCode(-2147483647 - 1, 2147483647), 0.0);
  EXPECT_EQ(TruncToInt(1e300), 2147483647);
  EXPECT_EQ(TruncToInt(-1e300), -2147483647 - 1);
  EXPECT_EQ(TruncToInt(-2.9), -2);
}

TEST(ElevationColourIndex, SeaTopOfRangeAndCodesOffTheScale) {
  ElevationModel m;
  m.range = {0, 2540, 1, 255};
  m.metresPerCode = 10.0;
  // 0..2540 m shown over 0..2540: the top altitude reaches the grey entry.
  CodeIndexTable t = BuildCodeIndexTable(m, {0, 2540});
  EXPECT_EQ(t[0], 0);
  EXPECT_EQ(t[1], 1);
  EXPECT_EQ(t[255], 255);
  EXPECT_EQ(t[128], 128);
  // Altitudes below the bottom and above the top stay on the table's ends.
  m.range.minAltitude = -500;
  t = BuildCodeIndexTable(m, {0, 1000});
  EXPECT_EQ(t[1], 1);
  EXPECT_EQ(t[255], 255);
  EXPECT_EQ(t[51], 1);  // exactly 0 m
  EXPECT_EQ(t[52], int(10.0 / 1000 * 254.0 + 1.0));
}

class ElevationFiles : public ::testing::Test {
 protected:
  void Write(const std::string& lev, size_t demBytes) {
    WriteFile(dir / "img.lev", lev);
    WriteFile(dir / "img.dem", std::string(demBytes, '\x05'));
  }
  // Loads a fresh model of img (w x h) into m; msg holds only its messages.
  bool Load(int w = 4, int h = 3) {
    Progress progress;
    m = ElevationModel();
    msg.entries.clear();
    return LoadElevation(dir / "img.inf", w, h, m, msg, progress);
  }
  TempDir dir;
  ElevationModel m;
  RecordingMessenger msg;
};

TEST_F(ElevationFiles, LoadsCodesAndComputesTheRangeOfPresentCodes) {
  Write("MIN_ALTITUDE = 0\nMAX_ALTITUDE = 2540\n", 12);
  ASSERT_TRUE(Load());
  EXPECT_TRUE(msg.entries.empty());
  EXPECT_EQ(m.codes.size(), 12u);
  EXPECT_EQ(m.Code(3, 2), 5);
  EXPECT_EQ(m.rangeBottom, 0);
  EXPECT_EQ(m.rangeTop, 2540);
  EXPECT_EQ(DisplayRangeFor(3, m.rangeBottom, m.rangeTop).top, 5000);
  // Upper-case companions are found, and a longer code file is accepted.
  std::filesystem::remove(dir / "img.lev");
  std::filesystem::remove(dir / "img.dem");
  WriteFile(dir / "img.LEV", "MIN_ALTITUDE = 0\nMAX_ALTITUDE = 254\n");
  WriteFile(dir / "img.DEM", std::string(13, '\x02'));
  ASSERT_TRUE(Load());
  EXPECT_EQ(m.metresPerCode, 1.0);
}

TEST_F(ElevationFiles, RefusesBrokenOrMissingFiles) {
  const std::string good = "MIN_ALTITUDE = 100\nMAX_ALTITUDE = 900\n";
  struct Case {
    const char* name;
    std::string lev;
    size_t dem;
    int width, height, message;
  } cases[] = {
      {"no altitudes", "MIN_VAL = 1\nMAX_VAL = 9\n", 12, 4, 3, kMsgBadDem},
      {"only min altitude", "MIN_ALTITUDE = 5\n", 12, 4, 3, kMsgBadDem},
      {"min above max", "MIN_ALTITUDE = 10\nMAX_ALTITUDE = 9\n", 12, 4, 3, kMsgBadDem},
      {"codes reversed", good + "MIN_VAL = 9\nMAX_VAL = 8\n", 12, 4, 3, kMsgBadDem},
      {"all sea crop", good + "MIN_VAL = 255\nMAX_VAL = 0\n", 12, 4, 3, kMsgBadDem},
      {"one byte short", good, 11, 4, 3, kMsgBadDem},
      {"empty codes", good, 0, 4, 3, kMsgBadDem},
      {"no size", good, 12, 0, 3, kMsgBadImageSize},
      {"huge size", good, 12, 2000000000, 2000000000, kMsgBadDem},
  };
  for (const auto& c : cases) {
    Write(c.lev, c.dem);
    EXPECT_FALSE(Load(c.width, c.height)) << c.name;
    EXPECT_EQ(msg.LastId(), c.message) << c.name;
    EXPECT_TRUE(m.codes.empty()) << c.name;
  }
  Write(good, 12);
  std::filesystem::remove(dir / "img.dem");
  EXPECT_FALSE(Load());
  EXPECT_EQ(msg.LastId(), kMsgOpenFailed);
  std::filesystem::remove(dir / "img.lev");
  EXPECT_FALSE(Load());
  EXPECT_EQ(msg.LastId(), kMsgOpenFailed);
}

TEST_F(ElevationFiles, LegendReadsMissingAltitudesAsZeroAndRoundsRelativeRanges) {
  struct Case {
    std::string lev;
    int state, hint;
    bool ok;
    const char* low;
    const char* high;
  } cases[] = {
      {"MIN_VAL = 1\nMAX_VAL = 255\n", 3, 0, true, "0m", "3000m"},
      {"MIN_ALTITUDE = 0\nMAX_ALTITUDE = 2540\n", 7, 0, true, "0m", "5000m"},
      {"MIN_VAL = 57\nMIN_ALTITUDE = 0\nMAX_VAL = 124\nMAX_ALTITUDE = 2540\n", 4, 0, true, "500m",
       "1300m"},
      {"MIN_VAL = 57\nMIN_ALTITUDE = 0\nMAX_VAL = 124\nMAX_ALTITUDE = 2540\n", 0, 8, true, "500m",
       "1300m"},
      // Without codes the range runs from code 1 to 255: 2501 m rounds up to 2600.
      {"MIN_ALTITUDE = 0\nMAX_ALTITUDE = 2501\n", 4, 0, true, "0m", "2600m"},
      {"MIN_ALTITUDE = 9\nMAX_ALTITUDE = 1\n", 4, 0, false, "1000m", "1000m"},
  };
  for (const auto& c : cases) {
    WriteFile(dir / "img.lev", c.lev);
    DemLegendRange legend;
    msg.entries.clear();
    EXPECT_EQ(ReadDemLegendRange(dir / "img.inf", c.state, c.hint, legend, msg), c.ok) << c.lev;
    EXPECT_EQ(legend.LowLabel(), c.low) << c.lev;
    EXPECT_EQ(legend.HighLabel(), c.high) << c.lev;
    if (!c.ok) {
      EXPECT_EQ(msg.LastId(), kMsgBadDem);
    }
  }
  DemLegendRange legend;
  legend.high = 900;
  EXPECT_EQ(legend.HighPrintLabel(), " 900m");
}

}  // namespace
}  // namespace lumora
