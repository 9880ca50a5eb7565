// lumora-cli classify: the file set it writes and how it fails.
#include <gtest/gtest.h>

#include "core/analysis/land_cover.h"
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

// A TM scene, 20 x 10: bands 1 and 2 dark on the left and bright on the
// right; band 6 (thermal) is constant and must not take part.
class ClassifyCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir / "x.inf", "LINE = 10\nPIXEL = 20\nSENSOR = 1\nFile_State = 0\nRainbow = 1\n");
    for (int band : {1, 2}) {
      std::string bytes(200, '\0');
      for (int i = 0; i < 200; ++i)
        bytes[i] = static_cast<char>((i % 20 < 10 ? 30 : 200) + (i * 7 + band * 3) % 11);
      WriteFile(BandFilePath(dir / "x", kSample8, band), bytes);
    }
    WriteFile(BandFilePath(dir / "x", kSample8, 6), std::string(200, '\x50'));
    WriteFile(dir / "x.dem", "dem");
  }
  test::CliResult Classify(const std::string& classes) {
    WriteFile(dir / "c.mlk", classes);
    return RunCli(dir, "classify '" + (dir / "x.inf") + "' --classes '" + (dir / "c.mlk") +
                           "' -o '" + out + "'");
  }

  test::TempDir dir;
  std::string out = dir / "k.inf";
};

TEST_F(ClassifyCommand, WritesTheCompleteSet) {
  const std::vector<ClassItem> classes = {ClassItem{0, 128, 0, 1, 9, 8, 1, "森林"},
                                          ClassItem{250, 0, 5, 0, 10, 19, 12, "市街 地"}};
  const auto r = Classify(FormatLandCoverFile({1, 2, 6}, classes));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string red = ReadFile(dir / "k.b03"), blue = ReadFile(dir / "k.b01");
  ASSERT_EQ(red.size(), 200u);
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(static_cast<uint8_t>(red[i]), i % 20 < 10 ? 0 : 250) << i;
    EXPECT_EQ(static_cast<uint8_t>(blue[i]), i % 20 < 10 ? 0 : 5) << i;
  }
  // The legend records the bands actually used.
  EXPECT_EQ(ReadFile(dir / "k.mlk"), FormatLandCoverFile({1, 2}, classes));
  EXPECT_EQ(ReadFile(dir / "k.dem"), "dem");
  EXPECT_EQ(ReadBandDescription(dir / "k", 2), "土地被覆分類データ　緑");
  const ImageSettings s = test::WrittenSettings(out);
  EXPECT_EQ(s.fileState, 2);
  EXPECT_EQ(s.rainbow, 0);
  EXPECT_EQ(s.singleBand, 0);

  // Class titles come from a file: the report shows them escaped, on any line.
  const auto report = Classify(
      FormatLandCoverFile({1, 2}, {ClassItem{9, 9, 9, 0, 0, 0, 0, "\x1b[2J"},
                                   ClassItem{9, 9, 9, 0, 0, 0, 0, "b"}, classes[0], classes[1]}));
  EXPECT_EQ(report.err.find('\x1b'), std::string::npos) << report.err;
  EXPECT_NE(report.err.find("\\x1B[2J"), std::string::npos) << report.err;
}

TEST_F(ClassifyCommand, LegendsThatCannotClassifyFailWithTheirMessage) {
  const std::string line = FormatClassLine(ClassItem{9, 9, 9, 1, 9, 8, 1, "a"}) + "\n";
  const std::string noArea = FormatClassLine(ClassItem{9, 9, 9, 0, 0, 0, 0, "a"}) + "\n";
  struct Case {
    std::string legend;
    const char* message;
  } cases[] = {
      {"1\n2\n3\n0\n4\n" + line, MessageText(kMsgBadMlkFile)},  // ends early
      {"garbage\n\xff\xfe\n", MessageText(kMsgBadMlkFile)},
      {"1\n2\n3\n0\n1\n" + noArea, MessageText(kMsgClassesLeftOut)},
  };
  WriteFile(out, "kept");
  for (const auto& c : cases) {
    const auto r = Classify(c.legend);
    EXPECT_EQ(r.status, 1) << c.legend;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.legend << r.err;
    EXPECT_EQ(ReadFile(out), "kept");
    EXPECT_FALSE(FileExists(dir / "k.b03"));
  }
}

TEST_F(ClassifyCommand, AnEmptyClassListGivesBlackEverywhere) {
  const auto r = Classify("1\n2\n3\n0\n0\n");
  ASSERT_EQ(r.status, 0) << r.err;
  for (int band : {1, 2, 3})
    EXPECT_EQ(ReadFile(BandFilePath(dir / "k", kSample8, band)), std::string(200, '\0'));
  EXPECT_EQ(test::WrittenSettings(out).fileState, 2);
}

TEST_F(ClassifyCommand, ShortLegendFilesAndFailures) {
  const std::string line = FormatClassLine(ClassItem{9, 9, 9, 1, 9, 8, 1, "a"}) + "\n";
  WriteFile(out, "kept");
  EXPECT_EQ(RunCli(dir, "classify '" + (dir / "x.inf") + "' --classes '" + (dir / "none.mlk") +
                            "' -o '" + out + "'")
                .status,
            1);
  WriteFile(BandFilePath(dir / "x", kSample8, 2), std::string(199, '\x01'));
  const auto shortBand = Classify("1\n2\n3\n0\n1\n" + line);
  EXPECT_EQ(shortBand.status, 1);
  EXPECT_NE(shortBand.err.find(MessageText(kMsgBandFileShort)), std::string::npos);
  EXPECT_EQ(ReadFile(out), "kept");
  EXPECT_EQ(RunCli(dir, "classify '" + (dir / "x.inf") + "' -o '" + out + "'").status, 2);
}

}  // namespace
}  // namespace lumora
