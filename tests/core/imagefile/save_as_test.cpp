#include "core/imagefile/save_as.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/support/string_table.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// An opened image img/tokyo.* and one working set work/0tokyo.*.
struct SaveFixture {
  TempDir dir;
  WorkingFiles files;
  RecordingMessenger m;
  SaveFixture() {
    fs::create_directories(dir.path() / "img");
    fs::create_directories(dir.path() / "work");
    fs::create_directories(dir.path() / "out");
    WriteFile(dir / "img/tokyo.inf", "LINE = 1\n");
    WriteFile(dir / "img/tokyo.b01", "opened");
    WriteFile(dir / "work/0tokyo.inf", "LINE = 1\nFile_State = 9\n");
    WriteFile(dir / "work/0tokyo.b01", "filtered");
    files.workDir = dir / "work/";
    files.names[0] = "0tokyo";
    files.names[1] = "1tokyo";
    files.openedSettingsPath = dir / "img/tokyo.inf";
    files.currentSettingsPath = files.openedSettingsPath;
  }
};

TEST(SaveAs, CopiesTheSetNowShownAndReplacesTheOldTarget) {
  SaveFixture f;
  WriteFile(f.dir / "out/new.b02", "stale");
  ASSERT_TRUE(SaveImageAs(f.dir / "out/new.inf", f.files, f.m));
  EXPECT_EQ(ReadFile(f.dir / "out/new.b01"), "opened");
  EXPECT_FALSE(FileExists(f.dir / "out/new.b02"));

  f.files.slot = 0;  // after a processing step the working set is shown
  f.files.currentSettingsPath = f.dir / "work/0tokyo.inf";
  ASSERT_TRUE(SaveImageAs(f.dir / "out/new.inf", f.files, f.m));
  EXPECT_EQ(ReadFile(f.dir / "out/new.b01"), "filtered");
  EXPECT_EQ(ReadFile(f.dir / "out/new.inf"), "LINE = 1\nFile_State = 9\n");
  EXPECT_TRUE(f.m.entries.empty());
  // No staging folder is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(f.dir.path() / "out"), {}), 2);
}

TEST(SaveAs, RefusesTheShownSetAndAFailedCopyLeavesTheTarget) {
  SaveFixture f;
  for (const char* target : {"img/tokyo.inf", "img/../img/tokyo.inf", "img/TOKYO.txt"}) {
    f.m.entries.clear();
    EXPECT_FALSE(SaveImageAs(f.dir / target, f.files, f.m)) << target;
    EXPECT_EQ(f.m.LastId(), kMsgWorkingFileInUse) << target;
    EXPECT_EQ(ReadFile(f.dir / "img/tokyo.b01"), "opened");
  }
  WriteFile(f.dir / "out/new.b01", "keep me");
  f.files.currentSettingsPath = f.dir / "img/missing.inf";
  EXPECT_FALSE(SaveImageAs(f.dir / "out/new.inf", f.files, f.m));
  EXPECT_EQ(f.m.LastId(), kMsgCopyFailed);
  EXPECT_EQ(ReadFile(f.dir / "out/new.b01"), "keep me");
}

}  // namespace
}  // namespace lumora
