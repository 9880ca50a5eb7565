#include "core/view/processing_step.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/support/string_table.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

size_t FileCount(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

// A step that writes one band of the source's size.
bool OneBand(const StepSource& source, const std::string& target, StepResult& result, Messenger&,
             Progress&) {
  WriteFile(target + ".b01", "b");
  result.lines = source.settings.lines;
  result.pixels = source.settings.pixels;
  result.singleBand = 1;
  return true;
}

TEST(WriteStepOutput, RefusesTheInputSetAndTakesTheLongestNames) {
  TempDir dir;
  WriteFile(dir / "s.inf", "LINE = 1\nPIXEL = 1\n");
  WriteFile(dir / "s.b01", "input");
  RecordingMessenger m;
  Progress p;
  for (const char* out : {"s.inf", "S.inf", "s.b01"}) {
    EXPECT_EQ(WriteStepOutput(dir / "s.inf", dir / out, OneBand, m, p, kMsgCreateFailed),
              StepOutput::kOutputIsInput)
        << out;
    EXPECT_EQ(m.LastId(), kMsgWorkingFileInUse);
  }
  EXPECT_EQ(ReadFile(dir / "s.b01"), "input");
  EXPECT_EQ(FileCount(dir.path()), 2u);

  const std::string longest(255 - 4, 'n');  // "nnn….inf" is 255 characters
  ASSERT_EQ(
      WriteStepOutput(dir / "s.inf", dir / (longest + ".inf"), OneBand, m, p, kMsgCreateFailed),
      StepOutput::kWritten);
  EXPECT_EQ(ReadFile(dir / (longest + ".b01")), "b");
  EXPECT_NE(ReadFile(dir / (longest + ".inf")).find("Single_Band = 1"), std::string::npos);
  EXPECT_EQ(FileCount(dir.path()), 4u);  // no staging folder left
}

}  // namespace
}  // namespace lumora
