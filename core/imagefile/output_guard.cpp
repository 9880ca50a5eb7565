#include "core/imagefile/output_guard.h"

#include <filesystem>

#include "core/imagefile/staged_file_set.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"

namespace lumora {

namespace fs = std::filesystem;

bool IsFileOfSet(const std::string& output, const std::string& settingsPath) {
  const std::string base = StripExtension(settingsPath);
  const std::string name = fs::path(output).filename().string();
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && IsFileSetExtension(std::string_view(name).substr(dot + 1)) &&
      SameFileSet(StripExtension(output), base))
    return true;
  // A link at the output's name (or a second name of a file) reaches the
  // file itself; equivalent follows symbolic links and compares the files.
  std::error_code ec;
  if (!fs::exists(output, ec)) return false;
  for (const auto& file : SetFiles(base))
    if (fs::equivalent(output, file, ec)) return true;
  return false;
}

bool OutputSparesSet(const std::string& output, const std::string& settingsPath,
                     Messenger& messenger) {
  if (!IsFileOfSet(output, settingsPath)) return true;
  messenger.ShowMessage(kMsgWorkingFileInUse);
  return false;
}

}  // namespace lumora
