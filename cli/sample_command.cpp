// lumora-cli sample: writes a synthetic scene with elevation model.
#include <cstdio>

#include "cli/command.h"
#include "core/imagefile/sample_scene.h"
#include "core/support/text.h"

namespace lumora::cli {
namespace {

std::optional<uint64_t> ParseSeed(const std::string& text) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const uint64_t d = static_cast<uint64_t>(c - '0');
    if (v > (UINT64_MAX - d) / 10) return std::nullopt;
    v = v * 10 + d;
  }
  return v;
}

int RunSample(const std::vector<std::string>& argv) {
  Args args(argv, {});
  if (!args.ok()) return UsageError("sample", args.error());
  const auto unknown = args.Unknown({"sensor", "size", "seed", "date", "o"});
  if (!unknown.empty()) return UsageError("sample", "unknown option --" + unknown[0]);
  if (!args.positional().empty()) return UsageError("sample", "unexpected argument");

  SampleSceneOptions options;
  const auto sensor = args.Get("sensor");
  if (!sensor) return UsageError("sample", "--sensor is required");
  const auto code = ParseSensor(*sensor);
  if (!code) return UsageError("sample", "--sensor must be tm, mss or aster");
  options.sensor = *code;

  if (auto size = args.Get("size")) {
    if (!ParseSize(*size, options.width, options.height) || options.width < kSampleMinSide ||
        options.width > kSampleMaxSide || options.height < kSampleMinSide ||
        options.height > kSampleMaxSide)
      return UsageError("sample", Format("--size must be WxH with sides from %d to %d",
                                         kSampleMinSide, kSampleMaxSide));
  }
  if (auto seed = args.Get("seed")) {
    auto v = ParseSeed(*seed);
    if (!v) return UsageError("sample", "--seed must be a non-negative integer");
    options.seed = *v;
  }
  if (auto date = args.Get("date")) {
    if (*date != "1" && *date != "2") return UsageError("sample", "--date must be 1 or 2");
    options.date = *date == "2" ? 2 : 1;
  }
  const auto out = args.Get("o");
  if (!out) return UsageError("sample", "-o DIR/NAME.inf is required");
  if (out->size() < 5 || !EqualsNoCase(out->substr(out->size() - 4), ".inf") ||
      (*out)[out->size() - 5] == '/')
    return UsageError("sample", "-o must name a settings file ending in .inf");

  StderrMessenger messenger({}, *out);
  TerminalProgress bar;
  Progress progress(&bar);
  return WriteSampleScene(*out, options, messenger, &progress) ? kExitOk : kExitFailure;
}

Registrar reg("sample",
              "sample --sensor tm|mss|aster [--size WxH] [--seed N] [--date 1|2] -o DIR/NAME.inf",
              "Makes a synthetic scene with an elevation model, for trying the program out; "
              "--date 2 makes the same place years later on the same grid.",
              RunSample);

}  // namespace
}  // namespace lumora::cli
