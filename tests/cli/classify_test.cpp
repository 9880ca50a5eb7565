// lumora-cli classify: the file set it writes and how it fails.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/analysis/accuracy.h"
#include "core/analysis/class_areas.h"
#include "core/analysis/class_coaching.h"
#include "core/analysis/kmeans.h"
#include "core/analysis/land_cover.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/view/processing_step.h"
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
    return Cli("classify x.inf --classes c.mlk -o k.inf");
  }

  // Run in the folder: the files are named plainly.
  test::CliResult Cli(const std::string& args) { return RunCli(dir, args, test::InFolder(dir)); }
  test::CliResult Run(const std::string& options) {
    return Cli("classify x.inf " + options + " -o k.inf");
  }

  test::TempDir dir;
  std::string out = dir / "k.inf";
};

// Every file of the set base names, by extension.
std::map<std::string, std::string> SetFiles(const std::string& base) {
  std::map<std::string, std::string> files;
  const std::filesystem::path b(base);
  for (const auto& e : std::filesystem::directory_iterator(b.parent_path()))
    if (e.path().stem() == b.filename()) files[e.path().extension()] = ReadFile(e.path());
  return files;
}

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
  // No classes at all: black everywhere.
  ASSERT_EQ(Classify("1\n2\n3\n0\n0\n").status, 0);
  for (int band : {1, 2, 3})
    EXPECT_EQ(ReadFile(BandFilePath(dir / "k", kSample8, band)), std::string(200, '\0'));
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
  EXPECT_EQ(Run("--classes none.mlk").status, 1);
  WriteFile(BandFilePath(dir / "x", kSample8, 2), std::string(199, '\x01'));
  const auto shortBand = Classify("1\n2\n3\n0\n1\n" + line);
  EXPECT_EQ(shortBand.status, 1);
  EXPECT_NE(shortBand.err.find(MessageText(kMsgBandFileShort)), std::string::npos);
  EXPECT_EQ(ReadFile(out), "kept");
}

// The groups, the report and the separability table are the program's own,
// byte for byte: the program runs the same step into its own set.
TEST_F(ClassifyCommand, KMeansReportAndSeparabilityAreTheProgramsBytes) {
  const auto r = Run("--kmeans 3 --seed 9 --report r.csv");
  ASSERT_EQ(r.status, 0) << r.err;
  KMeansParams params;
  params.bands = {1, 2};
  params.k = 3;
  params.seed = 9;
  RecordingMessenger m;
  Progress progress;
  ASSERT_EQ(WriteStepOutput(dir / "x.inf", dir / "p.inf", MakeKMeansStep(params), m, progress,
                            kMsgCreateFailed),
            StepOutput::kWritten);
  const auto cli = SetFiles(dir / "k"), program = SetFiles(dir / "p");
  EXPECT_EQ(cli, program);
  for (const char* ext : {".b01", ".b02", ".b03", ".mlk", ".kmc", ".dem", ".inf"})
    EXPECT_EQ(cli.count(ext), 1u) << ext;
  EXPECT_EQ(test::WrittenSettings(out).fileState, 2);
  std::vector<ClassArea> areas;
  ASSERT_TRUE(ComputeClassAreas(dir / "p.inf", areas, m));
  EXPECT_EQ(ReadFile(dir / "r.csv"), ClassAreasCsv(areas));
  EXPECT_EQ(areas[3].pixels, 0);  // every pixel is in a group
  // Its class areas go on a page with the legend only.
  EXPECT_EQ(RunCli(dir, "page '" + out + "' --legend-areas -o '" + (dir / "p.jpg") + "'").status,
            1);
  // The group means belong to the set: a second run replaces them.
  EXPECT_EQ(Run("--kmeans 2").status, 0);
  EXPECT_EQ(ReadFile(dir / "k.kmc").substr(0, 2), "2 ");

  const std::vector<ClassItem> classes = {ClassItem{0, 128, 0, 1, 9, 8, 1, "森林"},
                                          ClassItem{250, 0, 5, 0, 10, 19, 12, "市街地"},
                                          ClassItem{9, 9, 9, 0, 2, 2, 0, "小さい\x1b"}};
  WriteFile(dir / "c.mlk", FormatLandCoverFile({1, 2}, classes));
  const auto sep = Cli("separability x.inf --classes c.mlk");
  ASSERT_EQ(sep.status, 0) << sep.err;
  std::vector<ClassStatistics> stats;
  ASSERT_TRUE(StatisticsOfClasses(classes, {1, 2}, dir / "x", 20, 10, stats, m));
  std::string expected = SeparabilityReport(classes, stats, 2);
  for (size_t at; (at = expected.find('\x1b')) != std::string::npos;)
    expected.replace(at, 1, "\\x1B");  // shown, not obeyed
  EXPECT_EQ(sep.out, expected);
  EXPECT_NE(sep.out.find("森林\t市街地\t2.000\t緑\n"), std::string::npos) << sep.out;
}

TEST_F(ClassifyCommand, ReportWithCheckAreasAddsTheAccuracy) {
  const std::vector<ClassItem> classes = {ClassItem{0, 128, 0, 1, 9, 8, 1, "森林"},
                                          ClassItem{250, 0, 5, 0, 10, 19, 12, "市街地"}};
  const std::vector<ClassItem> checks = {ClassItem{0, 0, 0, 0, 10, 10, 9, "森林"},
                                         ClassItem{0, 0, 0, 0, 1, 12, 8, "市街地"}};
  WriteFile(dir / "c.mlk", FormatLandCoverFile({1, 2}, classes));
  WriteFile(dir / "check.mlk", FormatLandCoverFile({1, 2}, checks));
  const auto r = Run("--classes c.mlk --report r.csv --check check.mlk");
  ASSERT_EQ(r.status, 0) << r.err;
  RecordingMessenger m;
  Accuracy a;
  ASSERT_TRUE(CheckAccuracy({1, 2}, classes, checks, dir / "x", 20, 10, a, m));
  // Column 9 is forest, a row of columns 8..11 half forest, half town.
  EXPECT_EQ(a.matrix, (std::vector<int64_t>{10, 0, 0, 2, 2, 0}));
  std::vector<ClassArea> areas;
  ASSERT_TRUE(ComputeClassAreas(out, areas, m));
  EXPECT_EQ(ReadFile(dir / "r.csv"), ClassAreasCsv(areas) + "\n" + AccuracyCsv(a));
  // The check areas are saved with the result.
  EXPECT_EQ(ReadFile(dir / "k.mck"), FormatLandCoverFile({1, 2}, checks));

  // Held-back training pixels as well (what they do to the classes is worked
  // by hand below): the accuracy over both.
  ASSERT_EQ(Run("--classes c.mlk --report r.csv --check check.mlk --check-half").status, 0);
  ASSERT_TRUE(CheckAccuracy({1, 2}, classes, checks, dir / "x", 20, 10, a, m, true));
  EXPECT_GT(a.total, 12);
  ASSERT_TRUE(ComputeClassAreas(out, areas, m));
  EXPECT_EQ(ReadFile(dir / "r.csv"), ClassAreasCsv(areas) + "\n" + AccuracyCsv(a));
}

// The held-back scene of the core tests, worked by hand there: with
// --check-half A's held-back 50s go to B and C (constant on its training
// half) takes no part. --merge 1,0 then puts group 0 into group 1.
TEST_F(ClassifyCommand, CheckHalfAndMergeByHand) {
  WriteFile(dir / "h.inf", "LINE = 2\nPIXEL = 10\nSENSOR = 1\nFile_State = 0\n");
  WriteFile(dir / "h.b01", std::string("\x0a\x0b\x0c\x0c\x3c\x3d\x3e\x3e\x05\x06"
                                       "\x32\x0b\x32\x0d\x1e\x3d\x1e\x3f\x06\x05",
                                       20));
  const std::vector<ClassItem> classes = {
      {1, 1, 1, 0, 2, 4, 0, "A"}, {2, 2, 2, 0, 2, 8, 4, "B"}, {3, 3, 3, 0, 2, 10, 8, "C"}};
  WriteFile(dir / "abc.mlk", FormatLandCoverFile({1}, classes));
  const auto r = Cli("classify h.inf --classes abc.mlk -o o.inf --report r.csv --check-half");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dir / "o.b01"), std::string("\x01\x01\x01\x01\x02\x02\x02\x02\x01\x01"
                                                 "\x02\x01\x02\x01\x01\x02\x01\x02\x01\x01",
                                                 20));
  const auto merged = Cli("classify o.inf --merge 1,0 -o m.inf");
  ASSERT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(ReadFile(dir / "m.b01"), std::string(20, '\x02'));
  EXPECT_EQ(ReadFile(dir / "m.mlk"), FormatLandCoverFile({1}, {classes[1], classes[2]}));
}

TEST_F(ClassifyCommand, BadGroupsAndCheckAreasWriteNothing) {
  const std::string classes =
      FormatLandCoverFile({1, 2}, {ClassItem{0, 128, 0, 1, 9, 8, 1, "森林"},
                                   ClassItem{250, 0, 5, 0, 10, 19, 12, "市街地"},
                                   ClassItem{1, 1, 1, 0, 0, 0, 0, "畑"}});
  WriteFile(dir / "c.mlk", classes);
  const std::string withCheck = "--classes c.mlk --report r.csv --check check.mlk";
  struct Case {
    std::string options;
    ClassItem check;
    std::string message;
  } cases[] = {
      {"--kmeans 1", ClassItem(), MessageText(kMsgKMeansBadK)},
      {"--kmeans 13", ClassItem(), MessageText(kMsgKMeansBadK)},
      {withCheck, ClassItem{0, 0, 0, 0, 11, 5, 0, "森林"},
       Format(MessageText(kMsgCheckOutside), "森林")},
      {withCheck, ClassItem{0, 0, 0, 0, 5, 5, 0, "畑"},
       Format(MessageText(kMsgCheckNoTraining), "畑")},
      {withCheck, ClassItem{0, 0, 0, 0, 0, 0, 0, "森林"}, MessageText(kMsgCheckNone)},
      {"--merge 0,1", ClassItem(), MessageText(kMsgBadMlkFile)},  // not a classification
  };
  WriteFile(out, "kept");
  for (const auto& c : cases) {
    WriteFile(dir / "check.mlk", FormatLandCoverFile({1, 2}, {c.check}));
    const auto r = Run(c.options);
    EXPECT_EQ(r.status, 1) << c.options << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.options << r.err;
    EXPECT_EQ(ReadFile(out), "kept");
    EXPECT_FALSE(FileExists(dir / "k.b01"));
    EXPECT_FALSE(FileExists(dir / "r.csv"));
  }
  for (const char* usage : {"--kmeans x", "--kmeans 3 --seed -1", "--seed 3 --classes c.mlk",
                            "--kmeans 3 --classes c.mlk", "--kmeans 3 --check c.mlk", "--merge 1",
                            "--merge 0,1 --kmeans 3", ""})
    EXPECT_EQ(Run(usage).status, 2) << usage;
  // A band constant over the whole image cannot help to find groups.
  WriteFile(BandFilePath(dir / "x", kSample8, 2), std::string(200, '\x07'));
  const auto flat = Run("--kmeans 2");
  EXPECT_EQ(flat.status, 1);
  EXPECT_NE(flat.err.find(Format(MessageText(kMsgKMeansConstantBand), 2)), std::string::npos)
      << flat.err;
  EXPECT_EQ(ReadFile(out), "kept");
}

}  // namespace
}  // namespace lumora
