// lumora-cli separability: the coaching lights of each class and how well
// each pair of classes can be told apart, as the land-cover dialog shows them.
#include <cstdio>

#include "cli/command.h"
#include "core/analysis/class_coaching.h"
#include "core/analysis/land_cover.h"
#include "core/imagefile/settings_file.h"
#include "core/support/file_set.h"
#include "core/support/text.h"

namespace lumora::cli {
namespace {

int RunSeparability(const std::vector<std::string>& argv) {
  Args args(argv, {});
  if (!args.ok()) return UsageError("separability", args.error());
  const auto classesPath = args.Get("classes");
  if (args.positional().size() != 1 || !args.Unknown({"classes"}).empty() || !classesPath ||
      classesPath->empty())
    return UsageError("separability", "one settings file and --classes CLASSES.mlk expected");
  const std::string& path = args.positional()[0];
  StderrMessenger messenger(path);
  ImageSettings settings;
  if (!ReadSettings(path, settings, messenger)) return kExitFailure;
  std::vector<ClassItem> classes;
  if (!ReadClassesFile(*classesPath, classes)) return kExitFailure;
  const std::vector<int> bands = ClassifiedBandsOf(path, settings.sensor);
  std::vector<ClassStatistics> stats;
  if (!StatisticsOfClasses(classes, bands, StripExtension(path), settings.pixels, settings.lines,
                           stats, messenger))
    return kExitFailure;
  const std::string report = SeparabilityReport(classes, stats, static_cast<int>(bands.size()));
  // Titles come from a file: each field is shown, never obeyed.
  std::string shown;
  size_t start = 0;
  for (size_t i = 0; i <= report.size(); ++i) {
    if (i < report.size() && report[i] != '\t' && report[i] != '\n') continue;
    shown += EscapeControlCharacters(std::string_view(report).substr(start, i - start));
    if (i < report.size()) shown += report[i];
    start = i + 1;
  }
  std::fwrite(shown.data(), 1, shown.size(), stdout);
  return kExitOk;
}

Registrar reg("separability", "separability IMAGE.inf --classes CLASSES.mlk",
              "Prints each class's light and its reason, then every pair of classes with its "
              "Jeffries-Matusita distance (0 to 2) and light, and one sentence.",
              RunSeparability);

}  // namespace
}  // namespace lumora::cli
