#include "core/imagefile/staged_file_set.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <vector>

#include "core/support/file_set.h"
#include "core/support/text.h"

namespace lumora {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kStagePrefix = ".lumora-stage-";

fs::path FolderOf(const std::string& path) {
  fs::path folder = fs::path(path).parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

// Staging folders are ".lumora-stage-PID-XXXXXX": a killed run leaves its
// folder behind, and the next run beside it removes it.
void RemoveStaleStages(const fs::path& folder) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.compare(0, kStagePrefix.size(), kStagePrefix) != 0) continue;
    int pid = 0;
    const char* digits = name.data() + kStagePrefix.size();
    const auto r = std::from_chars(digits, name.data() + name.size(), pid);
    std::error_code sec;
    if (r.ec != std::errc() || pid <= 0 || pid == getpid() || !it->is_directory(sec) ||
        it->is_symlink(sec) || kill(pid, 0) == 0 || errno != ESRCH)
      continue;
    fs::remove_all(it->path(), sec);
  }
}

// A new name never replaces a file that is there: whatever holds the name
// was not moved aside and is not ours to lose.
bool MoveNoReplace(const fs::path& from, const fs::path& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  struct stat st;
  return lstat(to.c_str(), &st) != 0 && errno == ENOENT && rename(from.c_str(), to.c_str()) == 0;
}

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::weakly_canonical(fs::absolute(a, ec), ec) ==
         fs::weakly_canonical(fs::absolute(b, ec), ec);
}

}  // namespace

bool SameFileSet(const std::string& targetBase, const std::string& sourceBase) {
  if (EqualsNoCase(fs::path(targetBase).filename().string(),
                   fs::path(sourceBase).filename().string()) &&
      SameFolder(FolderOf(targetBase), FolderOf(sourceBase)))
    return true;
  const auto sourceFiles = SetFiles(sourceBase);
  for (const auto& t : SetFiles(targetBase)) {
    for (const auto& s : sourceFiles) {
      std::error_code ec;
      if (fs::equivalent(t, s, ec)) return true;
    }
  }
  return false;
}

StagedFileSet::~StagedFileSet() {
  if (m_folder.empty()) return;
  std::error_code ec;
  fs::remove_all(m_folder, ec);
}

bool StagedFileSet::Begin(const std::string& targetBase) {
  m_targetBase = targetBase;
  const fs::path folder = FolderOf(targetBase);
  RemoveStaleStages(folder);
  // Short on purpose: a valid output name of 255 characters must still fit.
  std::string pattern =
      (folder / Format("%s%d-XXXXXX", std::string(kStagePrefix).c_str(), getpid())).string();
  if (!mkdtemp(pattern.data())) return false;
  m_folder = pattern;
  return true;
}

std::string StagedFileSet::StageBase() const {
  return (fs::path(m_folder) / fs::path(m_targetBase).filename()).string();
}

bool StagedFileSet::Commit(Messenger& messenger, int failMessage,
                           const std::vector<std::string>& only) {
  const fs::path folder = FolderOf(m_targetBase);
  std::vector<fs::path> staged;
  std::error_code ec;
  for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec))
    staged.push_back(it->path().filename());
  if (ec) {
    messenger.ShowMessage(failMessage);
    return false;
  }
  // The old set waits in a folder of its own, which stays (with the user's
  // files in it) should putting them back ever fail.
  std::string aside = (folder / Format(".lumora-aside-%d-XXXXXX", getpid())).string();
  if (!mkdtemp(aside.data())) {
    messenger.ShowMessage(kMsgDeleteFailed);
    return false;
  }
  std::vector<fs::path> movedAside, movedIn;
  auto putBack = [&] {
    bool all = true;
    for (const auto& name : movedIn) all = fs::remove(folder / name, ec) && all;
    for (const auto& name : movedAside) all = MoveNoReplace(aside / name, folder / name) && all;
    if (all) fs::remove(aside, ec);
  };
  const size_t nameSize = fs::path(m_targetBase).filename().string().size() + 1;
  for (const auto& old : SetFiles(m_targetBase)) {
    const std::string ext = ToLowerAscii(old.filename().string().substr(nameSize));
    if (!only.empty() && std::find(only.begin(), only.end(), ext) == only.end()) continue;
    if (!MoveNoReplace(old, aside / old.filename())) {
      putBack();
      messenger.ShowMessage(kMsgDeleteFailed);
      return false;
    }
    movedAside.push_back(old.filename());
  }
  for (const auto& name : staged) {
    if (!MoveNoReplace(fs::path(m_folder) / name, folder / name)) {
      putBack();
      messenger.ShowMessage(failMessage);
      return false;
    }
    movedIn.push_back(name);
  }
  fs::remove_all(aside, ec);
  return true;
}

}  // namespace lumora
