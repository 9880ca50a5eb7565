// lumora-cli classify: land-cover classification with the classes, colours
// and training areas of a classification legend file.
#include "cli/command.h"
#include "core/analysis/land_cover.h"
#include "core/imagefile/settings_file.h"
#include "core/support/regular_file.h"
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
  StderrMessenger messenger(path, *out);
  ImageSettings settings;
  if (!ReadSettings(path, settings, messenger)) return kExitFailure;

  std::string text;
  StderrMessenger classesMessenger(*classesPath);
  const TextRead read = ReadTextFile(*classesPath, kMaxLegendFileBytes, text);
  if (read == TextRead::kCannotOpen) {
    classesMessenger.ShowMessage(kMsgOpenFailed);
    return kExitFailure;
  }
  ClassificationParams params;
  // A legend cut short or too long is refused; an empty class list is a
  // valid one and classifies every pixel black, as the class dialog does.
  if (read == TextRead::kTooLarge || !ParseLandCoverClasses(text, params.classes)) {
    classesMessenger.ShowMessage(kMsgBadMlkFile);
    return kExitFailure;
  }
  params.requireUsableClass = true;
  params.bands = ClassifiedBandsOf(path, settings.sensor);
  return RunStepToOutput("classify", path, *out, MakeClassificationStep(std::move(params)));
}

Registrar reg("classify", "classify IMAGE.inf --classes CLASSES.mlk -o OUT.inf",
              "Classifies land cover by maximum likelihood from the classes and training areas of "
              "a legend file.",
              RunClassify);

}  // namespace
}  // namespace lumora::cli
