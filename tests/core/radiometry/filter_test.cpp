#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/imagefile/band_catalogue.h"
#include "core/radiometry/filter_kernels.h"
#include "core/radiometry/filter_run.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/vector_code.h"
#include "core/view/image_session.h"
#include "tests/support/radiometry_reference.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::FileExists;
using test::ReadFile;
using test::WriteFile;

std::vector<uint8_t> Filtered(const std::vector<uint8_t>& in, int w, int h,
                              const FilterRecord& rec) {
  std::vector<uint8_t> out(in.size(), 0xAB);
  FilterBand(in.data(), out.data(), w, h, rec);
  return out;
}

std::vector<uint8_t> Reference(const std::vector<uint8_t>& in, int w, int h,
                               const FilterRecord& rec) {
  if (IsMedianFilter(rec)) return test::ReferenceMedian(in, w, h);
  return test::ReferenceConvolve(in, w, h, rec.coefficients, rec.divisor, rec.offset);
}

TEST(FilterTable, ImpulseResponsesGiveTheKernels) {
  // A pixel 30 above a background of 100 shows 100 + 30 * coefficient / divisor
  // around it (every quotient here is exact).
  const int kernels[4][25] = {
      {0, 0, 0, 0, 0, 0, 0, -2, 0, 0, 0, -2, 11, -2, 0, 0, 0, -2, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, -1, 0, -1, 0, 0, 0, 5, 0, 0, 0, -1, 0, -1, 0, 0, 0, 0, 0, 0},
      {-1, 0, 0, 0, -1, 0, -1, 0, -1, 0, 0, 0, 13, 0, 0, 0, -1, 0, -1, 0, -1, 0, 0, 0, -1},
      {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0},
  };
  const int divisors[4] = {3, 1, 5, 5};
  const int n = 9;
  std::vector<uint8_t> band(n * n, 100);
  band[4 * n + 4] = 130;
  for (int k = 0; k < 4; ++k) {
    const auto& rec = FilterTable()[k];
    EXPECT_EQ(rec.divisor, divisors[k]);
    EXPECT_EQ(rec.offset, 0);
    const auto out = Filtered(band, n, n, rec);
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx)
        EXPECT_EQ(out[(4 + dy) * n + 4 + dx],
                  100 + 30 * kernels[k][(2 - dy) * 5 + 2 - dx] / divisors[k])
            << rec.name << " at " << dx << "," << dy;
  }
  EXPECT_TRUE(IsMedianFilter(FilterTable()[4]));
  EXPECT_EQ(Filtered(band, n, n, FilterTable()[4])[4 * n + 4], 100);
}

TEST(FilterBand, MatchesThePlainRulesToTheBit) {
  // Sizes around the window and the vector widths, including bands smaller
  // than the window (copied whole) and single rows and columns.
  const int sizes[][2] = {{1, 1},  {1, 9},   {9, 1},   {2, 2},   {3, 3},    {4, 4},
                          {4, 9},  {9, 4},   {5, 5},   {6, 7},   {31, 5},   {33, 6},
                          {65, 9}, {67, 13}, {129, 3}, {130, 7}, {257, 11}, {1000, 5}};
  unsigned seed = 1;
  FilterRecord odd = FilterTable()[0];  // not in the table: the general path
  odd.coefficients = {7, -3, 0, 2, 9, -8, 1, 4, 0, 0, 5, 5, -20,
                      3, 1,  0, 0, 2, -1, 6, 1, 1, 1, 1, 1};
  odd.divisor = -4;
  odd.offset = 17;
  std::vector<FilterRecord> records(FilterTable().begin(), FilterTable().end());
  records.push_back(odd);
  // Both the wide-vector and the portable code, whatever this machine has.
  for (bool wide : {true, false}) {
    AllowWideVectors(wide);
    for (const auto& size : sizes) {
      for (int rep = 0; rep < 4; ++rep, ++seed) {
        const auto band = test::RandomBand(size[0], size[1], seed);
        for (const auto& rec : records)
          ASSERT_EQ(Filtered(band, size[0], size[1], rec), Reference(band, size[0], size[1], rec))
              << rec.name << " divisor " << rec.divisor << " " << size[0] << "x" << size[1]
              << " seed " << seed << (wide ? " wide" : " portable");
      }
    }
  }
  AllowWideVectors(true);
}

TEST(MedianRow, MedianOfOneToNineInEveryArrangementIsFive) {
  std::array<uint8_t, 9> v = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  int checked = 0;
  do {
    const uint8_t* rows[3] = {&v[0], &v[3], &v[6]};
    uint8_t out[3];
    MedianRow(rows, out, 3);
    ASSERT_EQ(out[1], 5);
    ++checked;
  } while (std::next_permutation(v.begin(), v.end()));
  EXPECT_EQ(checked, 362880);
  EXPECT_EQ(test::ReferenceMedianOfNine({9, 1, 8, 2, 7, 3, 6, 4, 5}), 5);
}

class FilterRun : public ::testing::Test {
 protected:
  // An image set x of w x h with three 8-bit bands and companions.
  void MakeSet(int w, int h) {
    width = w;
    height = h;
    WriteFile(dir / "x.inf",
              "LINE = " + std::to_string(h) + "\nPIXEL = " + std::to_string(w) + "\n");
    for (int b = 1; b <= 3; ++b) {
      bands[b] = test::RandomBand(w, h, 40u + static_cast<unsigned>(b));
      WriteFile(BandFilePath(dir / "x", kSample8, b), test::AsString(bands[b]));
    }
    WriteBandDescription(dir / "x", 1, "元のバンド");
  }
  bool Run(int filter, const std::string& out) {
    return RunFilter(dir / "x", out, FilterTable()[filter], width, height, m, p);
  }
  std::vector<uint8_t> Expected(int band, int filter) {
    const auto& rec = FilterTable()[filter];
    if (IsMedianFilter(rec)) return test::ReferenceMedian(bands[band], width, height);
    return test::ReferenceConvolve(bands[band], width, height, rec.coefficients, rec.divisor,
                                   rec.offset);
  }

  test::TempDir dir;
  RecordingMessenger m;
  Progress p;
  int width = 0, height = 0;
  std::vector<uint8_t> bands[4];
};

TEST_F(FilterRun, FiltersEightBitBandsCopiesTheRestSkipsSettingsAndDescriptions) {
  MakeSet(37, 23);
  WriteFile(dir / "x.i04", std::string(37 * 23 * 2, '\x07'));
  WriteFile(dir / "x.DEM", "elevation");
  WriteFile(dir / "x.lev", "levels");
  WriteFile(dir / "x.brd", "State = 5\n");  // a "b" file that is no band
  WriteFile(dir / "x.y.b01", "another set");
  fs::create_directories(dir / "w");
  WriteFile(dir / "w/1x.b09", "old result");
  const std::string out = dir / "w/1x";
  for (int filter = 0; filter < kFilterCount; ++filter) {
    ASSERT_TRUE(Run(filter, out)) << m.LastId();
    for (int b = 1; b <= 3; ++b) {
      EXPECT_EQ(ReadFile(BandFilePath(out, kSample8, b)), test::AsString(Expected(b, filter)))
          << FilterTable()[filter].name << " band " << b;
      EXPECT_EQ(ReadBandDescription(out, b), kFilteredBandText);
    }
  }
  EXPECT_EQ(ReadFile(out + ".i04"), ReadFile(dir / "x.i04"));
  EXPECT_EQ(ReadFile(out + ".DEM"), "elevation");
  EXPECT_EQ(ReadFile(out + ".lev"), "levels");
  EXPECT_EQ(ReadFile(out + ".brd"), "State = 5\n");
  EXPECT_FALSE(FileExists(out + ".inf"));
  EXPECT_FALSE(FileExists(out + ".b09"));
  EXPECT_FALSE(FileExists(out + ".d04"));
  EXPECT_FALSE(FileExists(out + ".y.b01"));
  EXPECT_EQ(FindFiles(out + ".*").size(), 10u);
  EXPECT_TRUE(m.entries.empty());
}

TEST_F(FilterRun, TinyImagesAreCopiedAndKeepTheirSize) {
  const int sizes[][2] = {{1, 1}, {1, 40}, {40, 1}, {4, 4}, {2, 9}, {5, 5}, {3, 3}};
  for (const auto& s : sizes) {
    MakeSet(s[0], s[1]);
    for (int filter : {0, 4}) {
      ASSERT_TRUE(Run(filter, dir / "o"));
      for (int b = 1; b <= 3; ++b)
        EXPECT_EQ(ReadFile(BandFilePath(dir / "o", kSample8, b)),
                  test::AsString(Expected(b, filter)))
            << s[0] << "x" << s[1];
    }
  }
}

TEST_F(FilterRun, BadSetsFailWithTheirMessage) {
  struct Case {
    const char* what;
    void (*spoil)(const test::TempDir&);
    int message;
  } cases[] = {
      {"short band", [](const test::TempDir& d) { WriteFile(d / "x.b02", "\x01\x02"); },
       kMsgBandFileShort},
      {"no band files",
       [](const test::TempDir& d) {
         for (int b = 1; b <= 3; ++b) fs::remove(BandFilePath(d / "x", kSample8, b));
       },
       kMsgOpenFailed},
      {"nothing at all", [](const test::TempDir& d) { DeleteFiles(d / "x.*"); }, kMsgOpenFailed},
  };
  for (const auto& c : cases) {
    DeleteFiles(dir / "x.*");
    MakeSet(12, 9);
    c.spoil(dir);
    m.entries.clear();
    EXPECT_FALSE(Run(1, dir / "o")) << c.what;
    EXPECT_EQ(m.LastId(), c.message) << c.what;
  }
  // A huge declared size is refused before anything is allocated.
  MakeSet(12, 9);
  EXPECT_FALSE(RunFilter(dir / "x", dir / "o", FilterTable()[0], 1'500'000'000, 2, m, p));
  EXPECT_EQ(m.LastId(), kMsgBandFileShort);
}

TEST_F(FilterRun, MissingBandsStayMissing) {
  MakeSet(12, 9);
  fs::remove(dir / "x.b02");
  ASSERT_TRUE(Run(2, dir / "o"));
  EXPECT_TRUE(FileExists(dir / "o.b01"));
  EXPECT_FALSE(FileExists(dir / "o.b02"));
  EXPECT_FALSE(FileExists(dir / "o.d02"));
  EXPECT_EQ(ReadFile(dir / "o.b03"), test::AsString(Expected(3, 2)));
}

TEST_F(FilterRun, RefusesToWriteOverItsSource) {
  MakeSet(8, 8);
  const std::string before = ReadFile(dir / "x.b01");
  for (const std::string& out : {dir / "x", dir / "X", dir.path().string() + "/./x"}) {
    m.entries.clear();
    EXPECT_FALSE(Run(0, out)) << out;
    EXPECT_EQ(m.LastId(), kMsgWorkingFileInUse);
    EXPECT_EQ(ReadFile(dir / "x.b01"), before);
  }
}

TEST_F(FilterRun, AsAStepTheSessionShowsTheFilteredSet) {
  MakeSet(16, 12);
  const std::string inf = dir / "x.inf";
  ImageSettings settings;
  ASSERT_TRUE(ReadSettings(inf, settings, m));
  fs::create_directories(dir / "work");
  WorkingFiles files;
  files.workDir = dir.path().string() + "/work/";
  files.names[0] = "0x";
  files.names[1] = "1x";
  files.currentSettingsPath = files.openedSettingsPath = inf;
  ImageSession session;
  ASSERT_TRUE(session.Open(ComposeOnOpen(inf, settings), files, m, p));
  ASSERT_TRUE(session.BeginStep(MakeFilterStep(FilterTable()[4]), m, p));
  EXPECT_EQ(session.State().m_nFileState, kStateFiltered);
  EXPECT_EQ(session.CurrentPath(), dir / "work/0x.inf");
  ImageSettings written;
  ASSERT_TRUE(ReadSettings(dir / "work/0x.inf", written, m));
  EXPECT_EQ(written.fileState, kStateFiltered);
  EXPECT_EQ(ReadFile(dir / "work/0x.b02"), test::AsString(Expected(2, 4)));
}

}  // namespace
}  // namespace lumora
