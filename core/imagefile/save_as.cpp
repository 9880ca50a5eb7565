#include "core/imagefile/save_as.h"

#include <filesystem>

#include "core/imagefile/staged_file_set.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

namespace fs = std::filesystem;

static bool SamePath(const std::string& a, const std::string& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

bool SaveImageAs(const std::string& targetSettingsPath, const WorkingFiles& files,
                 Messenger& messenger) {
  // The set shown, which is the slot's set except after an undo that could
  // not clear the slot.
  const std::string sourceBase = StripExtension(files.currentSettingsPath);
  const std::string targetBase = StripExtension(targetSettingsPath);
  // Deleting the target set first would delete the source itself when both
  // name one set (the same file, or the same base with another extension).
  if (SamePath(targetSettingsPath, files.currentSettingsPath) ||
      SameFileSet(targetBase, sourceBase)) {
    messenger.ShowMessage(kMsgWorkingFileInUse);
    return false;
  }
  StagedFileSet staged;
  const auto setFiles = SetFiles(sourceBase);
  bool copied = staged.Begin(targetBase, messenger) && !setFiles.empty();
  for (const auto& f : setFiles)
    copied = copied && CopyFiles(f, staged.Folder(), BaseName(targetSettingsPath));
  if (!copied) {
    messenger.ShowMessage(kMsgCopyFailed);
    return false;
  }
  return staged.Commit(messenger);
}

}  // namespace lumora
