#include "core/view/processing_step.h"

#include "core/imagefile/staged_file_set.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"

namespace lumora {

bool RunStepBody(const StepBody& body, const StepSource& source, const std::string& targetBase,
                 const std::string& openedSettingsPath, StepResult& result, Messenger& messenger,
                 Progress& progress) {
  return body(source, targetBase, result, messenger, progress) &&
         RewriteSettingsAfterProcessing(
             source.settingsPath, targetBase + ".inf", openedSettingsPath, result.lines,
             result.pixels, result.rainbow, result.singleBand, result.fileState, messenger);
}

StepOutput WriteStepOutput(const std::string& settingsPath, const std::string& outSettingsPath,
                           const StepBody& body, Messenger& messenger, Progress& progress,
                           int failMessage) {
  StepSource source;
  source.settingsPath = settingsPath;
  source.basePath = StripExtension(settingsPath);
  const std::string outBase = StripExtension(outSettingsPath);
  if (SameFileSet(outBase, source.basePath)) {
    messenger.ShowMessage(kMsgWorkingFileInUse);
    return StepOutput::kOutputIsInput;
  }
  if (!ReadSettings(settingsPath, source.settings, messenger) ||
      !CheckImageSize(source.settings, messenger))
    return StepOutput::kFailed;
  StagedFileSet staged;
  if (!staged.Begin(outBase, messenger)) {
    messenger.ShowMessage(kMsgCreateFailed);
    return StepOutput::kFailed;
  }
  StepResult result;
  const bool ok =
      RunStepBody(body, source, staged.StageBase(), settingsPath, result, messenger, progress);
  progress.Close();
  return ok && staged.Commit(messenger, failMessage) ? StepOutput::kWritten : StepOutput::kFailed;
}

}  // namespace lumora
