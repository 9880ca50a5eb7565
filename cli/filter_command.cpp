// lumora-cli filter: one of the five band filters as a new file set.
#include <utility>

#include "cli/command.h"
#include "core/radiometry/filter_run.h"
#include "core/view/image_session.h"

namespace lumora::cli {
namespace {

constexpr std::pair<const char*, FilterKind> kKinds[] = {
    {"edge-weak", FilterKind::kEdgeWeak}, {"edge-strong", FilterKind::kEdgeStrong},
    {"contrast", FilterKind::kContrast},  {"blur", FilterKind::kBlur},
    {"median", FilterKind::kMedian},
};

int RunFilterCommand(const std::vector<std::string>& argv) {
  Args args(argv, {});
  if (!args.ok()) return UsageError("filter", args.error());
  if (args.positional().size() != 1 || !args.Unknown({"kind", "o"}).empty())
    return UsageError("filter", "one settings file and the options below expected");
  const std::string kind = args.Get("kind").value_or("");
  const FilterRecord* record = nullptr;
  for (const auto& [name, k] : kKinds)
    if (kind == name) record = &FilterTable()[static_cast<size_t>(k)];
  if (!record)
    return UsageError("filter", "--kind takes edge-weak, edge-strong, contrast, blur or median");
  const auto out = args.Get("o");
  if (!out || out->empty()) return UsageError("filter", "-o OUT.inf is required");
  const std::string& path = args.positional()[0];
  // The composition flags written are those the image gets when it is shown
  // without the composition dialog.
  StepBody filter = MakeFilterStep(*record);
  StepBody body = [filter, path](const StepSource& source, const std::string& target,
                                 StepResult& result, Messenger& messenger, Progress& progress) {
    const OpenRequest shown = ComposeOnOpen(path, source.settings);
    result.rainbow = shown.composition.rainbow ? 1 : 0;
    result.singleBand = shown.composition.singleBand ? 1 : 0;
    return filter(source, target, result, messenger, progress);
  };
  return RunStepToOutput("filter", path, *out, body);
}

Registrar reg("filter",
              "filter IMAGE.inf --kind edge-weak|edge-strong|contrast|blur|median -o OUT.inf",
              "Filters every band: edge enhancement, contrast, blur or median.", RunFilterCommand);

}  // namespace
}  // namespace lumora::cli
