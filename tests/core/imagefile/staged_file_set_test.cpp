#include "core/imagefile/staged_file_set.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "core/support/string_table.h"
#include "core/support/text.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

using Listing = std::map<std::string, std::string>;  // name -> content ("<dir>" for folders)

Listing List(const fs::path& folder) {
  Listing out;
  for (const auto& e : fs::directory_iterator(folder))
    out[e.path().filename().string()] = e.is_directory() ? "<dir>" : ReadFile(e.path().string());
  return out;
}

// Stages files "name.ext" with the given contents for targetBase and commits them.
bool Replace(const std::string& targetBase, const Listing& newFiles, Messenger& m) {
  StagedFileSet staged;
  if (!staged.Begin(targetBase, m)) return false;
  for (const auto& [ext, content] : newFiles) WriteFile(staged.StageBase() + "." + ext, content);
  return staged.Commit(m);
}

TEST(StagedFileSet, ReplacesOnlyTheSetAndNamesAreNotPatterns) {
  struct Case {
    const char* what;
    const char* target;
    Listing before;
    Listing after;
    Listing written = {{"inf", "new"}, {"b01", "new"}};
  } cases[] = {
      {"the old set goes whole, the user's other files of that name stay",
       "out",
       {{"out.inf", "old"},
        {"out.b02", "stale"},
        {"out.MLK", "old classes"},
        {"out.txt", "t"},
        {"out.jpg", "j"},
        {"out.inf.bak", "k"},
        {"outer.b01", "o"}},
       {{"out.inf", "new"},
        {"out.b01", "new"},
        {"out.txt", "t"},
        {"out.jpg", "j"},
        {"out.inf.bak", "k"},
        {"outer.b01", "o"}}},
      {"without a settings file there, only what the new set writes and what would join it goes",
       "out",
       {{"out.mlk", "my classes"},
        {"out.NDV", "my range"},
        {"out.brd", "my state"},
        {"out.B01", "b"},
        {"out.b1", "b"},
        {"out.r07", "r"},
        {"out.d03", "d"},
        {"out.DEM", "e"},
        {"out.lev", "l"}},
       {{"out.mlk", "my classes"},
        {"out.NDV", "my range"},
        {"out.brd", "my state"},
        {"out.inf", "new"},
        {"out.b01", "new"}}},
      {"a class list the new set writes replaces the old one of any case",
       "cl",
       {{"cl.MLK", "old"}, {"cl.brd", "mine"}},
       {{"cl.mlk", "new"}, {"cl.inf", "new"}, {"cl.brd", "mine"}},
       {{"inf", "new"}, {"mlk", "new"}}},
      {"a star is a star",
       "*",
       {{"s.inf", "s"}, {"s.b01", "s"}, {"a.txt", "a"}},
       {{"s.inf", "s"}, {"s.b01", "s"}, {"a.txt", "a"}, {"*.inf", "new"}, {"*.b01", "new"}}},
      {"a question mark is a question mark",
       "?",
       {{"s.inf", "s"}, {"s.b01", "s"}},
       {{"s.inf", "s"}, {"s.b01", "s"}, {"?.inf", "new"}, {"?.b01", "new"}}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    for (const auto& [name, content] : c.before) WriteFile(dir / name, content);
    RecordingMessenger m;
    ASSERT_TRUE(Replace(dir / c.target, c.written, m)) << c.what;
    EXPECT_EQ(List(dir.path()), c.after) << c.what;
  }
}

TEST(StagedFileSet, AFailedMoveInPutsTheOldSetBack) {
  TempDir dir;
  WriteFile(dir / "f.inf", "old");
  WriteFile(dir / "f.b01", "old");
  WriteFile(dir / "f.txt", "mine");
  fs::create_directory(dir / "f.d05");  // no new file can take this name
  const Listing before = List(dir.path());
  RecordingMessenger m;
  EXPECT_FALSE(Replace(dir / "f", {{"inf", "new"}, {"b01", "new"}, {"d05", "new"}}, m));
  EXPECT_EQ(m.LastId(), kMsgCopyFailed);
  EXPECT_EQ(List(dir.path()), before);
}

TEST(StagedFileSet, WhatEndedRunsLeftIsRemovedButTheUsersFilesAreKept) {
  TempDir dir;
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  const int dead = static_cast<int>(child), alive = static_cast<int>(getppid());
  for (const auto& name :
       {Format(".lumora-stage-%d-abcdef", dead), Format(".lumora-stage-%d-abcdef", alive),
        Format(".lumora-aside-%d-abcdef", alive), Format(".lumora-aside-%d-kept00", dead),
        Format(".lumora-aside-%d-empty0", dead)}) {
    fs::create_directory(dir / name);
    if (name.find("empty") == std::string::npos) WriteFile(dir / (name + "/x.b01"), "x");
  }
  WriteFile(dir / Format(".lumora-%d-0.part", dead), "half a settings file");
  WriteFile(dir / Format(".lumora-%d-0.part", alive), "being written");
  RecordingMessenger m;
  ASSERT_TRUE(Replace(dir / "out", {{"inf", "new"}}, m));
  // An aside folder without a journal that holds anything is kept (under
  // this run's name) and reported.
  Listing after = List(dir.path());
  std::string kept;
  for (const auto& [name, content] : after)
    if (name.starts_with(Format(".lumora-aside-%d-", static_cast<int>(getpid())))) kept = name;
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(List(dir.path() / kept), (Listing{{"x.b01", "x"}}));
  after.erase(kept);
  EXPECT_EQ(after, (Listing{{Format(".lumora-stage-%d-abcdef", alive), "<dir>"},
                            {Format(".lumora-aside-%d-abcdef", alive), "<dir>"},
                            {Format(".lumora-%d-0.part", alive), "being written"},
                            {"out.inf", "new"}}));
  ASSERT_EQ(m.entries.size(), 1u);
  EXPECT_EQ(m.entries[0].text,
            std::string(MessageText(kMsgReplacementKept)) + "\n" + (dir.path() / kept).string());
}

TEST(SameFileSet, ComparesAsTheFileSystemResolvesNames) {
  TempDir dir;
  fs::create_directory(dir / "img");
  WriteFile(dir / "img/s.inf", "");
  WriteFile(dir / "img/s.b01", "");
  fs::create_directory_symlink(dir / "img", dir / "alias");
  fs::create_symlink(dir / "img/s.b01", dir / "img/link.b01");
  const struct {
    const char* target;
    bool same;
  } cases[] = {
      {"img/s", true},    {"img/S", true},  {"alias/s", true},    {"img/../img/s", true},
      {"img/link", true}, {"img/t", false}, {"img/s.inf", false}, {"s", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SameFileSet(dir / c.target, dir / "img/s"), c.same) << c.target;
}

}  // namespace
}  // namespace lumora
