// lumora-cli sample: exit status and messages of the command as users call it.
#include <gtest/gtest.h>

#include "core/imagefile/settings_file.h"
#include "tests/support/cli_run.h"

namespace lumora {
namespace {

using test::FileExists;
using test::ReadFile;
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

}  // namespace
}  // namespace lumora
