// What a processing step writes. A step reads the file set shown now and
// writes a complete new set (band files, ".dNN" descriptions and companion
// files, but not the settings file) under the target base path; RunStepBody
// then writes the settings file from the previous one with the values
// returned here. The program's session shows the result and asks the user
// (ImageSession::RunStep); lumora-cli writes it as a file set of its own
// (WriteStepOutput).
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

// Runs body into targetBase and writes targetBase + ".inf": the source's
// settings (the opened image's when the source's file is gone) with the
// result's size, file state and flags (result holds what the body starts
// from). False on failure, reported through the messenger.
bool RunStepBody(const StepBody& body, const StepSource& source, const std::string& targetBase,
                 const std::string& openedSettingsPath, StepResult& result, Messenger& messenger,
                 Progress& progress);

enum class StepOutput { kWritten, kFailed, kOutputIsInput };

// Runs a step on the image settingsPath names and writes its result as the
// file set outSettingsPath names. The set is built in a staging folder and
// replaces the output's set only when complete (see StagedFileSet); an output
// that is the input set is refused with 61273 before anything is written.
// failMessage: reported when the staged set cannot be moved into place.
StepOutput WriteStepOutput(const std::string& settingsPath, const std::string& outSettingsPath,
                           const StepBody& body, Messenger& messenger, Progress& progress,
                           int failMessage);

}  // namespace lumora
