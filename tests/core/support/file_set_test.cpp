#include "core/support/file_set.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(NameMatches, BaseDotStarIsTheSetAndNothingElseIsAPattern) {
  struct Case {
    const char* wanted;
    const char* name;
    bool match;
  } cases[] = {
      {"x.*", "x.inf", true},  {"x.*", "X.B01", true},    {"x.*", "xy.inf", false},
      {"x.*", "x.", false},    {"*.*", "a.b", false},     {"*.*", "*.b", true},
      {"?.*", "s.b01", false}, {"?.*", "?.b01", true},    {"*", "noext", false},
      {"*", "*", true},        {"x.b??", "x.b01", false}, {"readme", "README", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NameMatches(c.wanted, c.name), c.match) << c.wanted << " " << c.name;
}

TEST(SetFiles, OnlyTheFilesOfASet) {
  TempDir dir;
  for (const char* name : {"out.inf", "OUT.B01", "out.i02", "out.r03", "out.d01", "out.ndv",
                           "out.mlk", "out.lev", "out.dem", "out.kmc", "out.mck", "out.brd",
                           "out.txt", "out.jpg", "out.inf.bak", "out.b", "out.bx1", "outer.b01"})
    WriteFile(dir / name, "");
  fs::create_directory(dir / "out.b05");
  std::vector<std::string> names;
  for (const auto& f : SetFiles(dir / "out")) names.push_back(f.filename().string());
  EXPECT_EQ(names, (std::vector<std::string>{"OUT.B01", "out.brd", "out.d01", "out.dem", "out.i02",
                                             "out.inf", "out.kmc", "out.lev", "out.mck", "out.mlk",
                                             "out.ndv", "out.r03"}));
}

TEST(CopyFiles, CopiesASetUnderANewBaseNameWritableAndFresh) {
  TempDir dir;
  fs::create_directories(dir / "a");
  fs::create_directories(dir / "b");
  WriteFile(dir / "a/x.inf", "LINE = 1\n");
  WriteFile(dir / "a/x.b01", "\x01\x02");
  WriteFile(dir / "a/xx.b01", "not ours");
  fs::permissions(dir / "a/x.b01", fs::perms::owner_read);
  fs::last_write_time(dir / "a/x.inf", fs::file_time_type::clock::now() - std::chrono::hours(48));

  ASSERT_TRUE(CopyFiles(dir / "a/x.*", dir / "b/", "y"));
  EXPECT_EQ(ReadFile(dir / "b/y.inf"), "LINE = 1\n");
  EXPECT_EQ(ReadFile(dir / "b/y.b01"), "\x01\x02");
  EXPECT_FALSE(FileExists(dir / "b/y.b01.b01"));
  EXPECT_FALSE(FileExists(dir / "b/xx.b01"));
  EXPECT_TRUE((fs::status(dir / "b/y.b01").permissions() & fs::perms::owner_write) !=
              fs::perms::none);
  auto age = fs::file_time_type::clock::now() - fs::last_write_time(dir / "b/y.inf");
  EXPECT_LT(age, std::chrono::hours(1));

  // Copying again replaces the targets.
  WriteFile(dir / "a/x.inf", "LINE = 2\n");
  ASSERT_TRUE(CopyFiles(dir / "a/x.*", dir / "b", "y"));
  EXPECT_EQ(ReadFile(dir / "b/y.inf"), "LINE = 2\n");
}

TEST(CopyFiles, EmptyBaseDotlessNamesAndFailures) {
  TempDir dir;
  fs::create_directories(dir / "a");
  fs::create_directories(dir / "b");
  WriteFile(dir / "a/readme", "r");
  WriteFile(dir / "a/x.dem", "d");
  ASSERT_TRUE(CopyFiles(dir / "a/x.*", dir / "b", ""));
  EXPECT_TRUE(FileExists(dir / "b/x.dem"));
  ASSERT_TRUE(CopyFiles(dir / "a/readme", dir / "b", "new"));
  EXPECT_EQ(ReadFile(dir / "b/new.readme"), "r");
  // Nothing matched, or an unwritable target: a failure.
  EXPECT_FALSE(CopyFiles(dir / "none.*", dir.path(), "y"));
  WriteFile(dir / "x.inf", "");
  EXPECT_FALSE(CopyFiles(dir / "x.*", dir / "missing-folder", "y"));
  // Copying a file onto itself must not truncate it.
  WriteFile(dir / "s.inf", "keep");
  EXPECT_FALSE(CopyFiles(dir / "s.*", dir.path(), "s"));
  EXPECT_EQ(ReadFile(dir / "s.inf"), "keep");
}

TEST(DeleteFiles, DeletesMatchesOnlyAndSucceedsOnNone) {
  TempDir dir;
  EXPECT_TRUE(DeleteFiles(dir / "nothing.*"));
  WriteFile(dir / "0t.inf", "");
  WriteFile(dir / "0t.b01", "");
  WriteFile(dir / "10t.inf", "");
  fs::create_directory(dir / "0t.dir");
  ASSERT_TRUE(DeleteFiles(dir / "0t.*"));
  EXPECT_FALSE(FileExists(dir / "0t.inf"));
  EXPECT_FALSE(FileExists(dir / "0t.b01"));
  EXPECT_TRUE(FileExists(dir / "10t.inf"));
  EXPECT_TRUE(FileExists(dir / "0t.dir"));
}

TEST(Paths, NamesAndCaseInsensitiveLookup) {
  EXPECT_EQ(StripExtension("/a/b.c/tokyo.inf"), "/a/b.c/tokyo");
  EXPECT_EQ(StripExtension("/a/b.c/tokyo"), "/a/b.c/tokyo");
  EXPECT_EQ(BaseName("/a/b/tokyo.inf"), "tokyo");
  EXPECT_EQ(BaseName("C:\\data\\fuji.x.inf"), "fuji.x");
  TempDir dir;
  WriteFile(dir / "SCENE.LEV", "");
  EXPECT_EQ(ResolveNoCase(dir / "scene.lev").filename(), "SCENE.LEV");
  EXPECT_EQ(ResolveNoCase(dir / "none.lev").filename(), "none.lev");
}

}  // namespace
}  // namespace lumora
