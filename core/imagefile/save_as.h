// Save as: the file set now shown is copied under a new base name and
// replaces the target's set only when complete (see StagedFileSet), so a
// failure leaves the files at the target as they were.
#pragma once

#include <string>

#include "core/imagefile/working_files.h"
#include "core/support/messenger.h"

namespace lumora {

// Copies the shown set (the current working slot's set, or the opened image
// at slot -1) to the folder and base name of targetSettingsPath. Refuses
// (61273) the current settings file and any target whose base names the
// shown set itself; 61280 when a copy fails, 61290 when an old target file
// cannot be deleted.
bool SaveImageAs(const std::string& targetSettingsPath, const WorkingFiles& files,
                 Messenger& messenger);

}  // namespace lumora
