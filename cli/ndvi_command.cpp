// lumora-cli ndvi: the vegetation index of two bands as a new file set.
#include "cli/command.h"
#include "core/analysis/vegetation_index.h"
#include "core/imagefile/band_catalogue.h"

namespace lumora::cli {
namespace {

int RunNdvi(const std::vector<std::string>& argv) {
  Args args(argv, {"rainbow"});
  if (!args.ok()) return UsageError("ndvi", args.error());
  if (args.positional().size() != 1 || !args.Unknown({"x", "y", "rainbow", "o"}).empty())
    return UsageError("ndvi", "one settings file and the options below expected");
  const auto x = ParseInt(args.Get("x").value_or(""));
  const auto y = ParseInt(args.Get("y").value_or(""));
  if (!x || !y || *x < 1 || *x > 255 || *y < 1 || *y > 255)
    return UsageError("ndvi", "--x and --y take band numbers 1..255");
  const auto out = args.Get("o");
  if (!out || out->empty()) return UsageError("ndvi", "-o OUT.inf is required");
  const std::string& path = args.positional()[0];
  // Each band is read with the sample type of its file; a band without a
  // file keeps type 1 and is reported when the run cannot open it.
  const auto bands = ListBands(path, true, 7);
  NdviParams params;
  params.xBand = *x;
  params.yBand = *y;
  params.xType = SampleTypeOf(bands, *x) ? SampleTypeOf(bands, *x) : 1;
  params.yType = SampleTypeOf(bands, *y) ? SampleTypeOf(bands, *y) : 1;
  params.rainbow = args.Has("rainbow");
  return RunStepToOutput("ndvi", path, *out, MakeVegetationIndexStep(params));
}

Registrar reg("ndvi", "ndvi IMAGE.inf --x N --y N [--rainbow] -o OUT.inf",
              "Computes the vegetation index of two bands.", RunNdvi);

}  // namespace
}  // namespace lumora::cli
