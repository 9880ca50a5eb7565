// lumora-cli classify: land-cover classification with the classes, colours
// and training areas of a classification legend file.
#include "cli/command.h"
#include "core/analysis/land_cover.h"
#include "core/imagefile/settings_file.h"
#include "core/support/string_table.h"

namespace lumora::cli {
namespace {

int RunClassify(const std::vector<std::string>& argv) {
  Args args(argv, {});
  if (!args.ok()) return UsageError("classify", args.error());
  if (args.positional().size() != 1 || !args.Unknown({"classes", "o"}).empty())
    return UsageError("classify", "one settings file and the options below expected");
  const auto classesPath = args.Get("classes");
  const auto out = args.Get("o");
  if (!classesPath || classesPath->empty() || !out || out->empty())
    return UsageError("classify", "--classes CLASSES.mlk and -o OUT.inf are required");
  const std::string& path = args.positional()[0];
  StderrMessenger messenger;
  ImageSettings settings;
  if (!ReadSettings(path, settings, messenger)) return kExitFailure;

  std::string text;
  if (!ReadSmallTextFile(*classesPath, text)) {
    messenger.ShowMessage(kMsgOpenFailed);
    return kExitFailure;
  }
  ClassificationParams params;
  // As the class dialog does: a short file keeps the classes read completely.
  if (!ParseLandCoverClasses(text, params.classes)) messenger.ShowMessage(kMsgBadMlkFile);
  params.bands = ClassifiedBandsOf(path, settings.sensor);
  return RunStepToOutput("classify", path, *out, MakeClassificationStep(std::move(params)));
}

Registrar reg("classify", "classify IMAGE.inf --classes CLASSES.mlk -o OUT.inf",
              "Classifies land cover by maximum likelihood from the classes and training areas of "
              "a legend file.",
              RunClassify);

}  // namespace
}  // namespace lumora::cli
