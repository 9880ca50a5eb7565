#include "core/radiometry/filter_run.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/imagefile/band_catalogue.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/view/image_session.h"
#include "tests/support/radiometry_reference.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::FileExists;
using test::ReadFile;
using test::WriteFile;

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
