#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>

#include "core/analysis/class_legend.h"
#include "core/analysis/elevation.h"
#include "core/analysis/land_cover.h"
#include "core/analysis/vegetation_index.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/file_handle.h"
#include "core/support/file_set.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"
#include "tests/support/file_limit.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Things planted where a file of a set belongs; each would block or never
// end if opened and read as a file.
enum class Planted { kFifo, kFolder, kLinkToDevZero };

void Plant(Planted kind, const std::string& path) {
  switch (kind) {
    case Planted::kFifo: ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); break;
    case Planted::kFolder: fs::create_directory(path); break;
    case Planted::kLinkToDevZero: fs::create_symlink("/dev/zero", path); break;
  }
}

// Runs `work` and reports whether it came back within a few seconds. A run
// stuck opening a FIFO is freed by opening the FIFO's other end, so that a
// failing test fails instead of hanging.
bool ReturnsPromptly(const std::function<void()>& work, const std::string& fifo) {
  auto done = std::async(std::launch::async, work);
  if (done.wait_for(std::chrono::seconds(5)) == std::future_status::ready) return true;
  const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
  done.wait();
  if (fd >= 0) ::close(fd);
  return false;
}

// A write that failed before the close is reported by the close, whether the
// stream saw the failure at once or only when flushing its buffer.
TEST(RegularFile, CloseReportsEveryFailedWrite) {
  TempDir dir;
  test::FileSizeLimit limit(16);
  const std::string block(size_t{1} << 16, 'x');
  FilePtr big = CreateFileForWriting(dir / "big");
  ASSERT_TRUE(big);
  EXPECT_NE(std::fwrite(block.data(), 1, block.size(), big.get()), block.size());
  EXPECT_FALSE(CloseWritten(big));
  FilePtr small = CreateFileForWriting(dir / "small");
  ASSERT_TRUE(small);
  EXPECT_EQ(std::fwrite(block.data(), 1, 100, small.get()), 100u);
  EXPECT_FALSE(CloseWritten(small));
}

TEST(RegularFile, OpensRegularFilesAndLinksToThemOnly) {
  TempDir dir;
  WriteFile(dir / "plain", "abc");
  fs::create_symlink(dir / "plain", dir / "link");
  fs::create_symlink(dir / "missing", dir / "dangling");
  Plant(Planted::kFifo, dir / "fifo");
  Plant(Planted::kFolder, dir / "folder");
  Plant(Planted::kLinkToDevZero, dir / "zero");
  struct Case {
    const char* name;
    bool opens;
  } cases[] = {{"plain", true}, {"link", true},    {"dangling", false}, {"missing", false},
               {"fifo", false}, {"folder", false}, {"zero", false}};
  for (const auto& c : cases) {
    bool opened = false, probed = false;
    ASSERT_TRUE(ReturnsPromptly(
        [&] {
          opened = OpenRegularFile(dir / c.name) != nullptr;
          probed = IsReadableRegularFile(dir / c.name);
        },
        dir / "fifo"))
        << c.name;
    EXPECT_EQ(opened, c.opens) << c.name;
    EXPECT_EQ(probed, c.opens) << c.name;
  }
  // What was opened reads normally (the descriptor is blocking again).
  auto f = OpenRegularFile(dir / "plain");
  char buf[4] = {};
  EXPECT_EQ(std::fread(buf, 1, 4, f.get()), 3u);
  EXPECT_STREQ(buf, "abc");
}

TEST(RegularFile, TextIsReadUpToItsBound) {
  TempDir dir;
  WriteFile(dir / "small", "12345");
  std::string text = "old";
  EXPECT_EQ(ReadTextFile(dir / "small", 5, text), TextRead::kOk);
  EXPECT_EQ(text, "12345");
  EXPECT_EQ(ReadTextFile(dir / "small", 4, text), TextRead::kTooLarge);
  EXPECT_EQ(text, "1234");
  EXPECT_EQ(ReadTextFile(dir / "missing", 4, text), TextRead::kCannotOpen);
  EXPECT_EQ(text, "");
  WriteFile(dir / "big", std::string(100000, 'x'));
  EXPECT_EQ(ReadTextFile(dir / "big", 70000, text), TextRead::kTooLarge);
  EXPECT_EQ(text.size(), 70000u);
}

// Every text file of a set, read the way the program reads it, with a
// planted thing in its place: each reader comes back at once and treats it
// as a file it cannot open.
TEST(RegularFile, EveryTextReaderRefusesWhatIsNotAFile) {
  struct Reader {
    const char* file;  // the name planted, beside s.inf
    int message;       // what the reader reports (0: nothing)
    std::function<bool(const std::string& dir, RecordingMessenger&)> read;
  };
  const Reader readers[] = {
      {"s.inf", kMsgOpenFailed,
       [](const std::string& d, RecordingMessenger& m) {
         ImageSettings s;
         return ReadSettings(d + "/s.inf", s, m);
       }},
      {"s.inf", kMsgOpenFailed,
       [](const std::string& d, RecordingMessenger& m) {
         return RewriteSettingsAfterProcessing(d + "/s.inf", d + "/t.inf", d + "/s.inf", 1, 1, 0, 0,
                                               9, m);
       }},
      {"s.inf", kMsgOpenFailed,
       [](const std::string& d, RecordingMessenger& m) {
         return RewriteSettingsForPartialWrite(d + "/s.inf", d + "/t.inf", 1, 1, 0.0, 0.0, m);
       }},
      {"s.d01", 0,
       [](const std::string& d, RecordingMessenger&) {
         return !ReadBandDescription(d + "/s", 1).empty();
       }},
      {"s.brd", 0,
       [](const std::string& d, RecordingMessenger&) {
         DisplayStateFile brd;
         return ReadDisplayStateFile(d + "/s.brd", brd);
       }},
      {"s.lev", 0,
       [](const std::string& d, RecordingMessenger&) {
         ElevationRange range;
         return ReadElevationRangeFile(d + "/s.lev", range);
       }},
      {"s.ndv", kMsgOpenFailed,
       [](const std::string& d, RecordingMessenger& m) {
         RampLegend legend;
         return FillRampFromRangeFile(d + "/s.inf", false, legend, m);
       }},
      {"s.mlk", kMsgOpenFailed,
       [](const std::string& d, RecordingMessenger& m) {
         std::vector<LegendItem> items;
         return LoadClassLegend(d + "/s.mlk", items, m);
       }},
      {"s.mlk", 0,
       [](const std::string& d, RecordingMessenger& m) {
         std::vector<ClassItem> classes;
         LoadLandCoverClasses(d + "/s.inf", classes, m);
         return !classes.empty();
       }},
  };
  for (const Planted kind : {Planted::kFifo, Planted::kFolder, Planted::kLinkToDevZero}) {
    for (const auto& r : readers) {
      TempDir dir;
      WriteFile(dir / "s.inf", "LINE = 1\nPIXEL = 1\n");
      fs::remove(dir / r.file);
      Plant(kind, dir / r.file);
      RecordingMessenger messenger;
      bool ok = true;
      const std::string where = dir.path().string();
      ASSERT_TRUE(ReturnsPromptly([&] { ok = r.read(where, messenger); }, dir / r.file))
          << r.file << " kind " << static_cast<int>(kind);
      EXPECT_FALSE(ok) << r.file << " kind " << static_cast<int>(kind);
      EXPECT_EQ(messenger.LastId(), r.message) << r.file << " kind " << static_cast<int>(kind);
      EXPECT_FALSE(fs::exists(dir / "t.inf"));
    }
  }
}

TEST(RegularFile, OverlongSettingsAndLegendFilesAreRefusedAsInvalid) {
  TempDir dir;
  // A valid start followed by a megabyte of blank lines.
  WriteFile(dir / "s.inf", "LINE = 1\nPIXEL = 1\n" + std::string(kMaxSettingsFileBytes, '\n'));
  RecordingMessenger messenger;
  ImageSettings s;
  EXPECT_FALSE(ReadSettings(dir / "s.inf", s, messenger));
  EXPECT_EQ(messenger.LastId(), kMsgBadInf);
  EXPECT_FALSE(RewriteSettingsAfterProcessing(dir / "s.inf", dir / "t.inf", dir / "s.inf", 1, 1, 0,
                                              0, 9, messenger));
  EXPECT_EQ(messenger.LastId(), kMsgBadInf);
  EXPECT_FALSE(fs::exists(dir / "t.inf"));

  WriteFile(dir / "s.mlk", "1\n2\n3\n0\n1\n" + std::string(kMaxLegendFileBytes, '\n'));
  std::vector<LegendItem> items;
  EXPECT_FALSE(LoadClassLegend(dir / "s.mlk", items, messenger));
  EXPECT_EQ(messenger.LastId(), kMsgBadMlkFile);
}

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

TEST(CopyFiles, CopiesASetUnderANewBaseNameWritableAndFreshOrFails) {
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

  // An empty base keeps the names; a name without a dot gets the base before it.
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
