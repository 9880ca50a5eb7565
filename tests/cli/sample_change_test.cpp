// lumora-cli sample: exit status and messages of the command as users call
// it; change over two dates of a sample place, and what it refuses.
#include <gtest/gtest.h>

#include "core/analysis/change_map.h"
#include "core/imagefile/settings_file.h"
#include "core/support/band_expression.h"
#include "core/support/string_table.h"
#include "tests/support/cli_run.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::FileExists;
using test::ReadFile;
using test::RunCli;
using test::TempDir;

test::CliResult Sample(const TempDir& dir, const std::string& args) {
  return test::RunCli(dir, "sample " + args);
}

TEST(CliSample, BadUsageExitsWithTwo) {
  TempDir dir;
  const std::string out = " -o '" + (dir / "s.inf") + "'";
  const char* cases[] = {
      "--size 64x64",                             // no sensor
      "--sensor landsat",                         // unknown sensor
      "--sensor tm --size 64",                    // no height
      "--sensor tm --size 64x",                   // empty height
      "--sensor tm --size 15x64",                 // too small
      "--sensor tm --size 64x20001",              // too large
      "--sensor tm --size 6.5x64",                // not an integer
      "--sensor tm --seed -1",                    // negative seed
      "--sensor tm --seed 99999999999999999999",  // beyond 64 bits
      "--sensor tm --colour red",                 // unknown option
      "--sensor tm extra",                        // stray argument
      "--sensor tm -o",                           // -o without value
  };
  for (const char* c : cases) {
    const auto r = Sample(dir, std::string(c) + (std::string(c) == "--sensor tm -o" ? "" : out));
    EXPECT_EQ(r.status, 2) << c;
    EXPECT_NE(r.err.find("usage"), std::string::npos) << c;
  }
  EXPECT_EQ(Sample(dir, "--sensor tm --size 32x32 -o '" + (dir / "s.txt") + "'").status, 2);
  EXPECT_FALSE(FileExists(dir / "s.inf"));
}

TEST(CliSample, WritesTheSceneIntoANewFolder) {
  TempDir dir;
  const std::string inf = dir / "samples/mss/coast.inf";
  const auto r = Sample(dir, "--sensor mss --size 48X32 --seed 11 -o '" + inf + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  const ImageSettings s = test::WrittenSettings(inf);
  EXPECT_EQ(s.pixels, 48);
  EXPECT_EQ(s.lines, 32);
  EXPECT_EQ(s.sensor, 2);
  EXPECT_EQ(ReadFile(dir / "samples/mss/coast.b04").size(), 48u * 32u);

  // Seeds up to 2^64 - 1 are accepted; another seed gives another scene.
  const std::string other = dir / "other.inf";
  ASSERT_EQ(Sample(dir, "--sensor mss --size 48x32 --seed 18446744073709551615 -o '" + other + "'")
                .status,
            0);
  EXPECT_NE(ReadFile(dir / "other.b04"), ReadFile(dir / "samples/mss/coast.b04"));
}

TEST(ChangeCommand, MapsTheSecondDateOfASampleAndRefusesWhatCannotBeCompared) {
  test::TempDir dir;
  const std::string a = dir / "a.inf", b = dir / "b.inf", in = test::InFolder(dir);
  ASSERT_EQ(RunCli(dir, "sample --sensor mss --size 256x256 --seed 3 -o a.inf", in).status, 0);
  auto r = RunCli(dir, "sample --sensor mss --size 256x256 --seed 3 --date 2 -o b.inf", in);
  ASSERT_EQ(r.status, 0) << r.err;
  RecordingMessenger m;
  ImageSettings first, second;
  ASSERT_TRUE(ReadSettings(a, first, m) && ReadSettings(b, second, m));
  EXPECT_EQ(second.date, "1991-08-03");
  std::string why;
  EXPECT_TRUE(ChangeComparable(first, second, why)) << why;
  if (!BandExpression::Available()) GTEST_SKIP() << "built without muParser";

  r = RunCli(dir, "change a.inf b.inf --index ndvi --threshold 0.2 -o c.inf",
             in + "LANG=en_US.UTF-8 ");
  ASSERT_EQ(r.status, 0) << r.err;
  ChangeCounts counts;
  ASSERT_TRUE(ParseChangeCounts(ReadFile(dir / "c.ndv"), counts));
  EXPECT_EQ(counts.threshold, 0.2);
  EXPECT_EQ(counts.loss + counts.gain + counts.same + counts.noData, 256 * 256);
  SetLanguage(Language::kEnglish);
  EXPECT_EQ(r.out, ChangeAreaText(counts, first.lengthPerPixel) + "\n");
  SetLanguage(Language::kJapanese);
  EXPECT_TRUE(FileExists(dir / "c.r01") && FileExists(dir / "c.b01"));

  for (const char* options : {"b.inf a.inf --index ndvi", "a.inf a.inf --band 4"}) {
    r = RunCli(dir, "change " + std::string(options) + " -o d.inf", in);
    EXPECT_EQ(r.status, 1) << options;
    EXPECT_FALSE(r.err.empty());
  }
  for (const char* options :
       {"--index ndmi", "--band 0", "--index ndvi --band 4", "--index ndvi --threshold -1", ""})
    EXPECT_EQ(RunCli(dir, "change a.inf b.inf " + std::string(options) + " -o d.inf", in).status, 2)
        << options;
  EXPECT_FALSE(FileExists(dir / "d.inf"));
}

}  // namespace
}  // namespace lumora
