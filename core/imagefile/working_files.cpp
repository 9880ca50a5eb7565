#include "core/imagefile/working_files.h"

#include <cstdio>
#include <filesystem>
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
