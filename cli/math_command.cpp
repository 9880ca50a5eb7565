// lumora-cli math: a preset index or the pupil's formula as a new file set.
#include <cstdio>

#include "cli/command.h"
#include "core/analysis/band_math.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/band_expression.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"

namespace lumora::cli {
namespace {

int RunMath(const std::vector<std::string>& argv) {
  Args args(argv, {});
  if (!args.ok()) return UsageError("math", args.error());
  if (args.positional().size() != 1 || !args.Unknown({"preset", "expr", "colours", "o"}).empty())
    return UsageError("math", "one settings file and the options below expected");
  const auto preset = args.Get("preset");
  const auto expr = args.Get("expr");
  if (preset.has_value() == expr.has_value())
    return UsageError("math", "give either --preset or --expr");
  const std::string colours = args.Get("colours").value_or("grey");
  if (colours != "grey" && colours != "rainbow" && colours != "diverging")
    return UsageError("math", "--colours takes rainbow, grey or diverging");
  const auto out = args.Get("o");
  if (!out || out->empty()) return UsageError("math", "-o OUT.inf is required");
  if (!BandExpression::Available()) {
    std::fprintf(stderr, "%s\n", MessageText(kMsgMathUnavailable));
    return kExitFailure;
  }
  const std::string& path = args.positional()[0];
  MathParams params;
  params.rainbow = colours == "rainbow";
  params.diverging = colours == "diverging";
  if (preset) {
    int chosen = -1;
    for (int p = 0; p < kMathPresetCount; ++p)
      if (*preset == MathPresetName(p)) chosen = p;
    if (chosen < 0)
      return UsageError("math", "--preset takes ndvi, ndwi, ndbi, ndsi, ratio or mean");
    StderrMessenger messenger(path);
    ImageSettings settings;
    if (!ReadSettings(path, settings, messenger)) return kExitFailure;
    std::string why;
    params.expression =
        MathPresetFormula(chosen, settings.sensor, ScanBandTypes(StripExtension(path)), &why);
    if (params.expression.empty()) {
      std::fprintf(stderr, "%s\n", why.c_str());
      return kExitFailure;
    }
  } else {
    params.expression = *expr;
  }
  return RunStepToOutput("math", path, *out, MakeBandMathStep(params));
}

Registrar reg(
    "math",
    "math IMAGE.inf (--preset ndwi|ndbi|ndsi|ratio|ndvi|mean | --expr \"(B4-B3)/(B4+B3)\") "
    "[--colours rainbow|grey|diverging] -o OUT.inf",
    "Computes an index or a formula of the bands.", RunMath);

}  // namespace
}  // namespace lumora::cli
