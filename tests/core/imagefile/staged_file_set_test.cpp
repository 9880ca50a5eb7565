#include "core/imagefile/staged_file_set.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "core/imagefile/settings_file.h"
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

// Every file and folder below folder by relative path, with the aside
// folders' changing names as ".lumora-aside".
Listing Tree(const fs::path& folder) {
  Listing out;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    std::string name = fs::relative(e.path(), folder).string();
    const size_t slash = name.find('/');
    if (name.starts_with(".lumora-aside-"))
      name = ".lumora-aside" + (slash == std::string::npos ? "" : name.substr(slash));
    out[name] = e.is_directory() ? "<dir>" : ReadFile(e.path().string());
  }
  return out;
}

// Runs work in a child process, as another run of the program would; with a
// step, the child stops dead after that step of a replacement or of its
// recovery, as a kill would stop it. kStopped then, else what work returned.
int g_stopAt = 0;
constexpr int kStopped = 77;

int InChild(const std::function<int()>& work, int stopAt = 0) {
  const pid_t child = fork();
  if (child == 0) {
    g_stopAt = stopAt;
    SetReplacementStepHook([](int n) {
      if (n == g_stopAt) _exit(kStopped);
    });
    _exit(work());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The next run's recovery of folder, in a child process: whether it settled
// every replacement, plus twice the number of messages it gave.
int RecoverInChild(const fs::path& folder) {
  return InChild([&] {
    RecordingMessenger m;
    return RecoverInterruptedReplacements(folder, m) + 2 * static_cast<int>(m.entries.size());
  });
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

std::string g_plant;

TEST(StagedFileSet, AFailedMoveInPutsTheOldSetBackOrKeepsItAside) {
  TempDir dir;
  WriteFile(dir / "f.inf", "old");
  WriteFile(dir / "f.b01", "old");
  WriteFile(dir / "f.b03", "old 3");
  WriteFile(dir / "f.txt", "mine");
  fs::create_directory(dir / "f.d05");  // no new file can take this name
  const Listing before = List(dir.path());
  const Listing newFiles = {{"inf", "new"}, {"b01", "new"}, {"d05", "new"}};
  RecordingMessenger m;
  EXPECT_FALSE(Replace(dir / "f", newFiles, m));
  EXPECT_EQ(m.LastId(), kMsgCopyFailed);
  EXPECT_EQ(List(dir.path()), before);

  // Another file takes an old file's name while it is aside: that file
  // waits in the aside folder (reported) while the rest goes back ...
  g_plant = dir / "f.b03";
  EXPECT_EQ(InChild([&] {
              SetReplacementStepHook([](int) {
                if (!test::FileExists(g_plant)) WriteFile(g_plant, "planted");
              });
              RecordingMessenger m;
              return !Replace(dir / "f", newFiles, m) && m.entries.size() == 2 &&
                     m.entries[0].id == kMsgCopyFailed &&
                     m.entries[1].text.starts_with(MessageText(kMsgReplacementKept));
            }),
            1);
  Listing kept = before;
  kept["f.b03"] = "planted";
  kept[".lumora-aside/f.b03"] = "old 3";
  Listing tree = Tree(dir.path());
  std::erase_if(tree, [](const auto& e) {
    return e.first.starts_with(".lumora-aside") && e.first != ".lumora-aside/f.b03";
  });
  EXPECT_EQ(tree, kept);
  // ... until the name is free and a later run puts it back.
  fs::remove(dir / "f.b03");
  EXPECT_EQ(RecoverInChild(dir.path()), 1);
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

TEST(StagedFileSet, AReplacementStoppedAtAnyStepEndsWhollyOldOrWhollyNew) {
  const Listing before = {{"s.inf", "LINE = 1\nPIXEL = 1\n"},
                          {"s.b01", "1"},
                          {"s.B02", "2"},
                          {"s.mlk", "old classes"},
                          {"s.txt", "mine"}};
  const Listing written = {{"inf", "LINE = 1\nPIXEL = 2\n"}, {"b01", "11"}, {"d01", "band one"}};
  const Listing after = {{"s.inf", "LINE = 1\nPIXEL = 2\n"},
                         {"s.b01", "11"},
                         {"s.d01", "band one"},
                         {"s.txt", "mine"}};
  std::set<std::string> outcomes;
  for (int stop = 1; outcomes.count("whole run") == 0; ++stop) {
    TempDir dir;
    for (const auto& [name, content] : before) WriteFile(dir / name, content);
    const auto replace = [&] {
      RecordingMessenger m;
      return Replace(dir / "s", written, m);
    };
    if (InChild(replace, stop) != kStopped) {
      EXPECT_EQ(List(dir.path()), after);
      outcomes.insert("whole run");
      break;
    }
    // The next runs read the set, which settles it first. Each is stopped in
    // turn after one step besides taking the replacement over, until one
    // gets through.
    const auto read = [&] {
      RecordingMessenger m;
      ImageSettings settings;
      return ReadSettings(dir / "s.inf", settings, m) && m.entries.empty();
    };
    int runs = 1;
    while (runs < 100 && InChild(read, 2) == kStopped) ++runs;
    EXPECT_EQ(InChild(read), 1);
    const Listing now = List(dir.path());
    EXPECT_TRUE(now == before || now == after)
        << "stopped after step " << stop << ", settled in " << runs << " runs";
    outcomes.insert(now == before ? "old" : "new");
  }
  EXPECT_EQ(outcomes, (std::set<std::string>{"old", "new", "whole run"}));
}

TEST(StagedFileSet, AnOldSetThatCannotGoBackWaitsAsideUntilItCan) {
  const Listing before = {{"s.inf", "old"}, {"s.b01", "1"}, {"s.b02", "2"}};
  // A run stopped when the first old file has gone aside ...
  std::unique_ptr<TempDir> dir;
  for (int stop = 1; !dir || test::FileExists(*dir / "s.b01"); ++stop) {
    dir = std::make_unique<TempDir>();
    for (const auto& [name, content] : before) WriteFile(*dir / name, content);
    ASSERT_EQ(InChild(
                  [&] {
                    RecordingMessenger m;
                    return Replace(*dir / "s", {{"inf", "new"}, {"b01", "new"}}, m);
                  },
                  stop),
              kStopped);
  }
  // ... and another file put at its name since: what can go back does, the
  // rest waits aside with the journal and is reported.
  WriteFile(*dir / "s.b01", "planted");
  EXPECT_EQ(RecoverInChild(dir->path()), 2);
  const Listing tree = Tree(dir->path());
  EXPECT_EQ(tree.at("s.b01"), "planted");
  EXPECT_EQ(tree.at("s.b02"), "2");
  EXPECT_EQ(tree.at("s.inf"), "old");
  EXPECT_EQ(tree.at(".lumora-aside/s.b01"), "1");
  // Once the name is free again, the next run puts the old set back whole.
  fs::remove(*dir / "s.b01");
  EXPECT_EQ(RecoverInChild(dir->path()), 1);
  EXPECT_EQ(List(dir->path()), before);
}

// A journal as a replacement writes it: its lines, then "sum" and the
// 64-bit FNV-1a of the lines in hexadecimal.
std::string SignedJournal(const std::string& lines) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (const unsigned char c : lines) h = (h ^ c) * 0x100000001b3ull;
  return lines + Format("sum %016llx\n", static_cast<unsigned long long>(h));
}

TEST(StagedFileSet, ADamagedOrStrayJournalIsNeverActedOn) {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  const std::string aside = Format(".lumora-aside-%d-abcdef", static_cast<int>(child));
  const std::string good = "lumora replacement 1\nbase s\nold s.b01\nnew 3 s.inf\n";
  // With the mark, a journal taken at its word would delete the old file.
  const struct {
    const char* what;
    std::string journal;
    bool mark, staged, settles;
  } cases[] = {
      {"a sound journal without the mark puts the old set back", SignedJournal(good), false, true,
       true},
      {"a new file neither staged nor in place puts the old set back", SignedJournal(good), true,
       false, true},
      {"a changed line", SignedJournal(good).replace(good.find("b01"), 3, "b02"), true, true,
       false},
      {"a journal cut short", good, true, true, false},
      {"a name outside the folder", SignedJournal(good + "old ../victim.inf\n"), true, true, false},
      {"a name outside, escaped", SignedJournal(good + "old s.b02%2F..%2F..%2Fvictim.inf\n"), true,
       true, false},
      {"a file of another set", SignedJournal(good + "old victim.inf\n"), true, true, false},
      {"a set in the folder above",
       SignedJournal("lumora replacement 1\nbase ../s\nold ../s.inf\n"), true, true, false},
      {"a line of an unknown kind", SignedJournal(good + "delete s.b01\n"), true, true, false},
      {"a name twice", SignedJournal(good + "old s.b01\n"), true, true, false},
  };
  const Listing settled = {{"s.inf", "current"}, {"s.b01", "old"}, {"victim.inf", "victim"}};
  for (const auto& c : cases) {
    TempDir dir;
    WriteFile(dir / "s.inf", "current");
    WriteFile(dir / "victim.inf", "victim");
    fs::create_directories(dir / (aside + "/new"));
    if (c.staged) WriteFile(dir / (aside + "/new/s.inf"), "new");
    WriteFile(dir / (aside + "/s.b01"), "old");
    WriteFile(dir / (aside + "/journal"), c.journal);
    if (c.mark) WriteFile(dir / (aside + "/committed"), "");
    const Listing before = Tree(dir.path());
    RecordingMessenger m;
    EXPECT_EQ(RecoverInterruptedReplacements(dir.path(), m), c.settles) << c.what;
    EXPECT_EQ(m.entries.size(), c.settles ? 0u : 1u) << c.what;
    EXPECT_EQ(Tree(dir.path()), c.settles ? settled : before) << c.what;
  }
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
