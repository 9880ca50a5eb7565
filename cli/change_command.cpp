// lumora-cli change: what changed between two dates of one place, as a new
// file set, and the areas that lost and gained.
#include <cstdio>
#include <cstdlib>

#include "cli/command.h"
#include "core/analysis/change_map.h"
#include "core/imagefile/settings_file.h"
#include "core/support/band_expression.h"
#include "core/support/file_set.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"

namespace lumora::cli {
namespace {

int RunChange(const std::vector<std::string>& argv) {
  constexpr const char* kName = "change";
  Args args(argv, {});
  if (!args.ok()) return UsageError(kName, args.error());
  if (args.positional().size() != 2 || !args.Unknown({"index", "band", "threshold", "o"}).empty())
    return UsageError(kName, "two settings files (earlier, later) and the options below expected");
  const auto index = args.Get("index");
  const auto band = args.Get("band");
  if (index.has_value() == band.has_value())
    return UsageError(kName, "give either --index or --band");
  ChangeParams params;
  params.laterPath = args.positional()[1];
  if (index) {
    params.index = -1;
    for (int i = 0; i < kChangeBand; ++i)
      if (*index == ChangeIndexName(i)) params.index = i;
    if (params.index < 0) return UsageError(kName, "--index takes ndvi, ndwi, ndbi or ndsi");
  } else {
    params.index = kChangeBand;
    char* end = nullptr;
    const long n = std::strtol(band->c_str(), &end, 10);
    if (band->empty() || *end != '\0' || n < 1 || n > 255)
      return UsageError(kName, "--band takes a band number from 1 to 255");
    params.band = static_cast<int>(n);
  }
  params.threshold = DefaultChangeThreshold(params.index);
  if (const auto t = args.Get("threshold")) {
    char* end = nullptr;
    params.threshold = std::strtod(t->c_str(), &end);
    if (t->empty() || *end != '\0' || !(params.threshold >= 0) || params.threshold > 1e9)
      return UsageError(kName, "--threshold takes a number of 0 or more");
  }
  const auto out = args.Get("o");
  if (!out || out->empty()) return UsageError(kName, "-o OUT.inf is required");
  if (!BandExpression::Available()) {
    std::fprintf(stderr, "%s\n", MessageText(kMsgMathUnavailable));
    return kExitFailure;
  }
  const std::string& earlier = args.positional()[0];
  const int code = RunStepToOutput(kName, earlier, *out, MakeChangeStep(params));
  if (code != kExitOk) return code;
  // The areas, as the legend shows them.
  std::string text;
  ChangeCounts counts;
  ImageSettings settings;
  StderrMessenger messenger(*out);
  if (ReadTextFile(ResolveNoCase(StripExtension(*out) + ".ndv"), 4096, text) == TextRead::kOk &&
      ParseChangeCounts(text, counts) && ReadSettings(*out, settings, messenger))
    std::printf("%s\n", ChangeAreaText(counts, settings.lengthPerPixel).c_str());
  return kExitOk;
}

Registrar reg("change",
              "change EARLIER.inf LATER.inf (--index ndvi|ndwi|ndbi|ndsi | --band N) "
              "[--threshold T] -o OUT.inf",
              "Maps what changed between two dates of one place (later minus earlier) and "
              "prints the areas that lost and gained.",
              RunChange);

}  // namespace
}  // namespace lumora::cli
