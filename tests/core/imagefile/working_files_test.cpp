#include "core/imagefile/working_files.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST(WorkingNames, EachOpenGetsTwoFreshNamesWithoutStaleFiles) {
  TempDir dir;
  RecordingMessenger m;
  WorkingNamer namer;  // starts from zero
  const std::string work = dir.path().string() + "/";
  WriteFile(work + "0tokyo.inf", "");
  WriteFile(work + "1tokyo.b01", "");
  WriteFile(work + "10tokyo.inf", "");
  WorkingFiles a, b;
  ASSERT_TRUE(a.Prepare(namer, work, "/data/tokyo.inf", m));
  ASSERT_TRUE(b.Prepare(namer, work, "/data/tokyo.inf", m));
  EXPECT_EQ(a.names[0], "0tokyo");
  EXPECT_EQ(a.names[1], "1tokyo");
  EXPECT_EQ(b.names[0], "2tokyo");
  EXPECT_EQ(b.names[1], "3tokyo");
  EXPECT_EQ(namer.Counter(), 4);
  EXPECT_EQ(a.slot, -1);
  EXPECT_FALSE(FileExists(work + "0tokyo.inf"));
  EXPECT_FALSE(FileExists(work + "1tokyo.b01"));
  EXPECT_TRUE(FileExists(work + "10tokyo.inf"));
}

TEST(WorkingDirectory, CreatedMarkedAndEmptiedOnTheNextStart) {
  TempDir dir;
  RecordingMessenger m;
  const std::string work = dir / "cache/lumora/temp";
  ASSERT_TRUE(PrepareWorkingDirectory(work, dir / "home", m));
  EXPECT_TRUE(FileExists(work + "/" + kWorkDirMarker));
  WriteFile(work + "/0x.inf", "");
  fs::create_directory(work + "/sub");
  WriteFile(work + "/sub/keep", "");
  ASSERT_TRUE(PrepareWorkingDirectory(work, dir / "home", m));
  EXPECT_FALSE(FileExists(work + "/0x.inf"));
  EXPECT_TRUE(FileExists(work + "/sub/keep"));
  EXPECT_TRUE(FileExists(work + "/" + kWorkDirMarker));
  // A folder that cannot be made is reported.
  WriteFile(dir / "file", "");
  EXPECT_FALSE(PrepareWorkingDirectory(dir / "file/temp", dir / "home", m));
  EXPECT_EQ(m.LastId(), kMsgTempDirFailed);
}

TEST(WorkingDirectory, NeverEmptiesAFolderThatMayHoldUserFiles) {
  TempDir dir;
  RecordingMessenger m;
  const std::string home = dir / "home";
  fs::create_directories(home + "/photos");
  WriteFile(home + "/photos/cat.jpg", "meow");
  WriteFile(home + "/notes.txt", "x");

  // A symbolic link planted where the working folder should be.
  fs::create_directories(dir / "cache/lumora");
  fs::create_directory_symlink(home + "/photos", dir / "cache/lumora/temp");
  EXPECT_FALSE(PrepareWorkingDirectory(dir / "cache/lumora/temp", home, m));
  EXPECT_EQ(m.LastId(), kMsgUnsafeWorkDir);
  EXPECT_TRUE(FileExists(home + "/photos/cat.jpg"));

  // A link on the way to it.
  fs::create_directory_symlink(home, dir / "linkhome");
  EXPECT_FALSE(PrepareWorkingDirectory(dir / "linkhome/photos", dir / "other", m));
  EXPECT_TRUE(FileExists(home + "/photos/cat.jpg"));

  // The home folder itself, one of its ancestors, or the root.
  EXPECT_FALSE(PrepareWorkingDirectory(home, home, m));
  EXPECT_FALSE(PrepareWorkingDirectory(home + "/", home, m));
  EXPECT_FALSE(PrepareWorkingDirectory(dir.path().string(), home, m));
  EXPECT_FALSE(PrepareWorkingDirectory("/", home, m));
  EXPECT_TRUE(FileExists(home + "/notes.txt"));

  // A folder with files but without our marker.
  EXPECT_FALSE(PrepareWorkingDirectory(home + "/photos", home + "/x", m));
  EXPECT_TRUE(FileExists(home + "/photos/cat.jpg"));

  // A working folder of our own, marked and holding files, that would pass
  // every other check, reached through a link to one of its parents.
  const std::string real = dir / "real/cache/lumora/temp";
  ASSERT_TRUE(PrepareWorkingDirectory(real, home, m));
  WriteFile(real + "/0x.inf", "kept");
  fs::create_directory_symlink(dir / "real/cache", dir / "cache2");
  EXPECT_FALSE(PrepareWorkingDirectory(dir / "cache2/lumora/temp", home, m));
  EXPECT_EQ(m.LastId(), kMsgUnsafeWorkDir);
  EXPECT_EQ(ReadFile(real + "/0x.inf"), "kept");
}

// Prepares the folder in a child process, as a second copy of the program
// would; its message id, or 0 when it went ahead.
int PrepareInAnotherProcess(const std::string& work, const std::string& home) {
  const pid_t pid = fork();
  if (pid == 0) {
    RecordingMessenger m;
    _exit(PrepareWorkingDirectory(work, home, m) ? 0 : m.LastId() - 61200);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) != 0 ? 61200 + WEXITSTATUS(status) : 0;
}

TEST(WorkingDirectory, ASecondCopyNeverEmptiesTheFolderOfTheFirst) {
  TempDir dir;
  RecordingMessenger m;
  const std::string work = dir / "cache/lumora/temp/";
  ASSERT_TRUE(PrepareWorkingDirectory(work, dir / "home", m));
  WriteFile(work + "0x.inf", "in use");
  EXPECT_EQ(PrepareInAnotherProcess(work, dir / "home"), kMsgAlreadyRunning);
  EXPECT_EQ(PrepareInAnotherProcess(dir / "cache/lumora/temp", dir / "home"), kMsgAlreadyRunning);
  EXPECT_EQ(ReadFile(work + "0x.inf"), "in use");
  // This copy may prepare it again; another folder is free for others.
  EXPECT_TRUE(PrepareWorkingDirectory(work, dir / "home", m));
  EXPECT_EQ(PrepareInAnotherProcess(dir / "cache/lumora/other", dir / "home"), 0);
}

}  // namespace
}  // namespace lumora
