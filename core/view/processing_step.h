// What a processing step writes. A step reads the file set shown now and
// writes a complete new set (band files, ".dNN" descriptions and companion
// files, but not the settings file) under the target base path; the
// per-image session then rewrites the settings file from the previous one
// with the values returned here, reloads the display and asks the user.
#pragma once

#include <functional>
#include <string>

#include "core/imagefile/settings_file.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"

namespace lumora {

struct StepSource {
  std::string settingsPath;  // current settings file (the set shown now)
  std::string basePath;      // settingsPath without its extension
  ImageSettings settings;    // as read at open, with the current LINE / PIXEL
};

struct StepResult {
  int lines = 0;
  int pixels = 0;
  int fileState = 0;
  int rainbow = 0;
  int singleBand = 0;
};

// A step body: writes under targetBase, fills the result; false on failure
// (after reporting it through the messenger). The caller removes whatever a
// failed step left under targetBase.
using StepBody = std::function<bool(const StepSource& source, const std::string& targetBase,
                                    StepResult& result, Messenger& messenger, Progress& progress)>;

}  // namespace lumora
