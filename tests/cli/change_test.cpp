// lumora-cli change: two dates of a sample place, and what it refuses.
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
