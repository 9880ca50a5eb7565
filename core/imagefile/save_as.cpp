#include "core/imagefile/save_as.h"

#include <stdlib.h>

#include <filesystem>

#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

namespace fs = std::filesystem;

static fs::path FolderOf(const std::string& path) {
  fs::path folder = fs::path(path).parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

bool SameFileSetBase(const std::string& baseA, const std::string& baseB) {
  const fs::path a(baseA), b(baseB);
  if (!EqualsNoCase(a.filename().string(), b.filename().string())) return false;
  std::error_code ec;
  const fs::path fa = FolderOf(baseA), fb = FolderOf(baseB);
  if (fs::exists(fa, ec) && fs::exists(fb, ec)) return fs::equivalent(fa, fb, ec);
  return fs::weakly_canonical(fa, ec) == fs::weakly_canonical(fb, ec);
}

StagedFileSet::~StagedFileSet() {
  if (m_folder.empty()) return;
  std::error_code ec;
  fs::remove_all(m_folder, ec);
}

bool StagedFileSet::Begin(const std::string& targetFolder) {
  m_target = targetFolder.empty() ? "." : targetFolder;
  std::string pattern = (fs::path(m_target) / ".lumora-staging-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return false;
  m_folder = pattern;
  return true;
}

std::string StagedFileSet::PathFor(const std::string& fileName) const {
  return (fs::path(m_folder) / fileName).string();
}

bool StagedFileSet::Commit(const std::string& targetBase, Messenger& messenger) {
  if (!DeleteFiles(targetBase + ".*")) {
    messenger.ShowMessage(kMsgDeleteFailed);
    return false;
  }
  std::error_code ec;
  for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code moveEc;
    fs::rename(it->path(), fs::path(m_target) / it->path().filename(), moveEc);
    if (moveEc) {
      messenger.ShowMessage(kMsgCopyFailed);
      return false;
    }
  }
  if (ec) {
    messenger.ShowMessage(kMsgCopyFailed);
    return false;
  }
  return true;
}

static bool SamePath(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

bool SaveImageAs(const std::string& targetSettingsPath, const WorkingFiles& files,
                 Messenger& messenger) {
  const std::string sourceBase =
      files.slot >= 0 ? files.SlotBase(files.slot) : StripExtension(files.currentSettingsPath);
  const std::string targetBase = StripExtension(targetSettingsPath);
  // Deleting the target set first would delete the source itself when both
  // name one set (the same file, or the same base with another extension).
  if (SamePath(targetSettingsPath, files.currentSettingsPath) ||
      SameFileSetBase(targetBase, sourceBase)) {
    messenger.ShowMessage(kMsgWorkingFileInUse);
    return false;
  }
  StagedFileSet staged;
  if (!staged.Begin(FolderOf(targetSettingsPath).string()) ||
      !CopyFiles(sourceBase + ".*", staged.Folder(), BaseName(targetSettingsPath))) {
    messenger.ShowMessage(kMsgCopyFailed);
    return false;
  }
  return staged.Commit(targetBase, messenger);
}

}  // namespace lumora
