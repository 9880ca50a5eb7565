// lumora-cli classify: land-cover classification with the classes, colours
// and training areas of a classification legend file, or groups the
// computer finds by itself (k-means); with a report of the class areas and,
// from check areas, of the accuracy.
#include <charconv>

#include "cli/command.h"
#include "core/analysis/accuracy.h"
#include "core/analysis/class_areas.h"
#include "core/analysis/group_edit.h"
#include "core/analysis/kmeans.h"
#include "core/analysis/land_cover.h"
#include "core/imagefile/settings_file.h"
#include "core/support/file_set.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"

namespace lumora::cli {
namespace {

std::optional<uint64_t> ParseSeed(const std::string& s) {
  uint64_t v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
}

int RunClassify(const std::vector<std::string>& argv) {
  Args args(argv, {"check-half"});
  if (!args.ok()) return UsageError("classify", args.error());
  if (args.positional().size() != 1 ||
      !args.Unknown({"classes", "o", "kmeans", "seed", "report", "check", "merge", "check-half"})
           .empty())
    return UsageError("classify", "one settings file and the options below expected");
  const auto classesPath = args.Get("classes");
  const auto kmeans = args.Get("kmeans");
  const auto out = args.Get("o");
  const auto report = args.Get("report");
  const auto checkPath = args.Get("check");
  const auto merge = args.Get("merge");
  if ((classesPath && classesPath->empty()) || !out || out->empty() ||
      int{!!classesPath} + int{!!kmeans} + int{!!merge} != 1)
    return UsageError("classify",
                      "--classes CLASSES.mlk, --kmeans K or --merge A,B, and -o OUT.inf, are "
                      "required");
  if (args.Has("seed") && !kmeans) return UsageError("classify", "--seed goes with --kmeans");
  const bool checkHalf = args.Has("check-half");
  const bool checked = checkPath || checkHalf;
  if (checked && (!report || !classesPath))
    return UsageError("classify", "--check and --check-half go with --classes and --report");
  if (report && report->empty()) return UsageError("classify", "--report needs a file name");
  const std::string& path = args.positional()[0];
  StderrMessenger messenger(path, *out);
  ImageSettings settings;
  if (!ReadSettings(path, settings, messenger)) return kExitFailure;
  const std::vector<int> bands = ClassifiedBandsOf(path, settings.sensor);

  StepBody body;
  Accuracy accuracy;
  if (merge) {
    // The groups as the class legend numbers them, from 0.
    const auto groups = ParseIntList(*merge, 2);
    if (!groups) return UsageError("classify", "--merge needs two group numbers: A,B");
    GroupEdit edit;
    edit.kind = GroupEdit::kMerge;
    edit.group = (*groups)[0];
    edit.other = (*groups)[1];
    body = MakeGroupEditStep(std::move(edit));
  } else if (kmeans) {
    const auto k = ParseInt(*kmeans);
    if (!k) return UsageError("classify", "--kmeans needs a whole number");
    if (*k < kMinGroups || *k > kMaxGroups) {
      messenger.ShowMessage(kMsgKMeansBadK);
      return kExitFailure;
    }
    KMeansParams params;
    params.bands = bands;
    params.k = *k;
    if (const auto seed = args.Get("seed")) {
      const auto value = ParseSeed(*seed);
      if (!value) return UsageError("classify", "--seed needs a whole number of 0 or more");
      params.seed = *value;
    }
    body = MakeKMeansStep(std::move(params));
  } else {
    ClassificationParams params;
    if (!ReadClassesFile(*classesPath, params.classes)) return kExitFailure;
    params.requireUsableClass = true;
    params.bands = bands;
    params.holdBackHalf = checkHalf;
    // Check areas are judged before anything is written.
    if (checked) {
      std::vector<ClassItem> checks;
      if (checkPath && !ReadClassesFile(*checkPath, checks)) return kExitFailure;
      params.checks = checks;
      StderrMessenger checkMessenger(checkPath ? *checkPath : path);
      if (!CheckAccuracy(bands, params.classes, checks, StripExtension(path), settings.pixels,
                         settings.lines, accuracy, checkMessenger, checkHalf))
        return kExitFailure;
    }
    body = MakeClassificationStep(std::move(params));
  }
  const int status = RunStepToOutput("classify", path, *out, body);
  if (status != kExitOk || !report) return status;
  std::vector<ClassArea> areas;
  if (!ComputeClassAreas(*out, areas, messenger)) return kExitFailure;
  std::string csv = ClassAreasCsv(areas);
  if (checked) csv += "\n" + AccuracyCsv(accuracy);
  if (!WriteFileAtomically(*report, csv)) {
    StderrMessenger(path, *report).ShowMessage(kMsgCreateFailed);
    return kExitFailure;
  }
  return kExitOk;
}

Registrar reg(
    "classify",
    "classify IMAGE.inf (--classes CLASSES.mlk | --kmeans K [--seed S] | --merge A,B) "
    "-o OUT.inf [--report AREAS.csv [--check CHECKS.mlk] [--check-half]]",
    "Classifies land cover by maximum likelihood from the classes and training areas of "
    "a legend file, or finds K groups (2 to 12) by k-means, started the same way for "
    "the same seed. --merge A,B puts group B of a classification result into group A (numbered "
    "from 0 as the class legend shows them), as the legend's merge does. --report writes each "
    "class's pixels, area and share of the image; "
    "--check adds the confusion matrix, accuracy and kappa on the check areas (a legend "
    "file whose areas are named like the classes they show); --check-half holds back every "
    "second pixel of each training area from the class statistics and checks the "
    "result on them.",
    RunClassify);

}  // namespace
}  // namespace lumora::cli
