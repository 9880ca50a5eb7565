#include "core/imagefile/working_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>

#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace fs = std::filesystem;

namespace lumora {

void WorkingNamer::Next(const std::string& settingsPath, std::string& name0, std::string& name1) {
  const std::string base = BaseName(settingsPath);
  name0 = Format("%d", m_counter) + base;
  name1 = Format("%d", m_counter + 1) + base;
  m_counter += 2;
}

bool WorkingFiles::Prepare(WorkingNamer& namer, const std::string& workDirectory,
                           const std::string& settingsPath, Messenger& messenger) {
  std::string n0, n1;
  namer.Next(settingsPath, n0, n1);
  for (const auto& n : {n0, n1}) {
    if (!DeleteFiles(workDirectory + n + ".*")) {
      messenger.ShowMessage(kMsgDeleteFailed);
      return false;
    }
  }
  workDir = workDirectory;
  names[0] = n0;
  names[1] = n1;
  slot = -1;
  currentSettingsPath = settingsPath;
  openedSettingsPath = settingsPath;
  return true;
}

std::string WorkingFiles::CurrentBase() const { return StripExtension(currentSettingsPath); }

std::string WorkingFiles::BeginStep() {
  slot = slot == 0 ? 1 : 0;
  return SlotBase(slot);
}

bool WorkingFiles::Undo(Messenger& messenger) {
  if (slot == -1) return true;
  if (!DeleteFiles(SlotBase(slot) + ".*")) {
    messenger.ShowMessage(kMsgDeleteFailed);
    return false;
  }
  slot = slot == 0 ? 1 : 0;
  const std::string inf = SlotBase(slot) + ".inf";
  if (std::FILE* f = std::fopen(inf.c_str(), "rb")) {
    std::fclose(f);
    currentSettingsPath = inf;
  } else {
    slot = -1;
    currentSettingsPath = openedSettingsPath;
  }
  return true;
}

namespace {

// True when no component of the path (as given, made absolute) is a symbolic link.
bool NoSymlinkOnPath(const fs::path& p) {
  fs::path acc;
  for (const auto& part : fs::absolute(p)) {
    acc /= part;
    std::error_code ec;
    auto st = fs::symlink_status(acc, ec);
    if (ec) return !fs::exists(st) ? true : false;
    if (fs::is_symlink(st)) return false;
  }
  return true;
}

bool IsSameOrAncestor(const fs::path& dir, const fs::path& of) {
  std::error_code ec;
  const fs::path a = fs::weakly_canonical(dir, ec);
  const fs::path b = fs::weakly_canonical(of, ec);
  auto ai = a.begin(), bi = b.begin();
  for (; ai != a.end(); ++ai, ++bi) {
    if (ai->empty()) continue;  // trailing separator
    if (bi == b.end() || *ai != *bi) return false;
  }
  return true;
}

// Holds an exclusive lock on the working folder for the rest of the process:
// an flock on "<folder name>.lock" beside the folder, so that it guards the
// folder itself wherever the session's runtime folder is (or whether there is
// one). Taken again by this process, it is still held.
enum class FolderLock { kHeld, kTakenByOther, kFailed };

FolderLock LockWorkingFolder(const fs::path& dir) {
  static std::mutex mutex;
  // Lock file -> the process that took it; the descriptor is kept open. A
  // child made by fork inherits the list but not the right to the folder.
  static std::map<std::string, pid_t> held;
  fs::path folder = dir;
  if (folder.filename().empty()) folder = folder.parent_path();
  std::error_code ec;
  const fs::path canonical = fs::weakly_canonical(folder, ec);
  if (ec || canonical.filename().empty()) return FolderLock::kFailed;
  const std::string lockPath = canonical.string() + ".lock";
  std::lock_guard<std::mutex> guard(mutex);
  if (const auto it = held.find(lockPath); it != held.end() && it->second == ::getpid())
    return FolderLock::kHeld;
  const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return FolderLock::kFailed;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool other = errno == EWOULDBLOCK;
    ::close(fd);
    return other ? FolderLock::kTakenByOther : FolderLock::kFailed;
  }
  held[lockPath] = ::getpid();
  return FolderLock::kHeld;
}

}  // namespace

bool PrepareWorkingDirectory(const std::string& workDir, const std::string& homeDir,
                             Messenger& messenger) {
  const fs::path dir(workDir);
  std::error_code ec;
  if (!NoSymlinkOnPath(dir) || (!homeDir.empty() && IsSameOrAncestor(dir, homeDir)) ||
      IsSameOrAncestor(dir, fs::path("/"))) {
    messenger.ShowMessage(kMsgUnsafeWorkDir);
    return false;
  }
  const fs::path marker = dir / kWorkDirMarker;
  if (!fs::exists(dir, ec)) {
    if (!fs::create_directories(dir, ec) || ec) {
      messenger.ShowMessage(kMsgTempDirFailed);
      return false;
    }
  } else if (!fs::is_directory(fs::symlink_status(dir, ec))) {
    messenger.ShowMessage(kMsgUnsafeWorkDir);
    return false;
  } else if (!fs::exists(marker, ec) && !fs::is_empty(dir, ec)) {
    // Not ours and not empty: it may hold the user's files.
    messenger.ShowMessage(kMsgUnsafeWorkDir);
    return false;
  }
  // Another copy working in this folder keeps its files: it is never emptied
  // under it, whatever lock the runtime folder may or may not hold.
  switch (LockWorkingFolder(dir)) {
    case FolderLock::kHeld: break;
    case FolderLock::kTakenByOther: messenger.ShowMessage(kMsgAlreadyRunning); return false;
    case FolderLock::kFailed: messenger.ShowMessage(kMsgTempDirFailed); return false;
  }
  if (!fs::exists(marker, ec)) {
    std::FILE* f = std::fopen(marker.c_str(), "wb");
    if (!f) {
      messenger.ShowMessage(kMsgTempDirFailed);
      return false;
    }
    std::fputs("Lumora Zud's working folder; emptied at every start.\n", f);
    std::fclose(f);
  }
  // Empty it: every file except the marker; sub-folders are not ours to touch.
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    std::error_code sec;
    if (entry.path().filename() == kWorkDirMarker) continue;
    if (entry.is_symlink(sec) || entry.is_regular_file(sec)) {
      if (!fs::remove(entry.path(), sec) || sec) {
        messenger.ShowMessage(kMsgDeleteFailed);
        return false;
      }
    }
  }
  if (ec) {
    messenger.ShowMessage(kMsgDeleteFailed);
    return false;
  }
  return true;
}

}  // namespace lumora
