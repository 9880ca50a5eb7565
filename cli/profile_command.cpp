// lumora-cli profile: the profile file of a row or a column of the display
// image as the view composes it.
#include "cli/command.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/file_set.h"
#include "core/view/image_session.h"
#include "core/windows/profile.h"

namespace lumora::cli {
namespace {

constexpr const char* kName = "profile";

// Applies --rgb / --gray / --rainbow / --reverse / --step to the composition
// opening would choose; an error text for bad usage.
std::string ApplyComposition(const Args& args, const std::string& path, OpenRequest& request) {
  if (args.Has("rgb") && args.Has("gray")) return "--rgb and --gray exclude each other";
  std::vector<int> bands;
  if (args.Has("rgb")) {
    auto v = ParseIntList(*args.Get("rgb"), 3);
    if (!v) return "--rgb takes three band numbers R,G,B";
    bands = *v;
  } else if (args.Has("gray")) {
    auto v = ParseInt(*args.Get("gray"));
    if (!v) return "--gray takes a band number";
    bands = {*v, *v, *v};
  }
  if (!bands.empty()) {
    for (int b : bands)
      if (b < 1 || b > 255) return "band numbers are 1..255";
    const auto types = ScanBandTypes(StripExtension(path));
    int32_t* targets[3][2] = {{&request.redBand, &request.redType},
                              {&request.greenBand, &request.greenType},
                              {&request.blueBand, &request.blueType}};
    for (int c = 0; c < 3; ++c) {
      *targets[c][0] = bands[c];
      *targets[c][1] = types[bands[c]] ? int32_t{types[bands[c]]} : int32_t{kSample8};
    }
    request.singleBand = args.Has("gray");
    request.bandCount = request.singleBand ? 1 : 3;
    request.rainbow = false;
  }
  if (args.Has("rainbow") || args.Has("reverse")) {
    if (!request.singleBand) return "--rainbow and --reverse need one band";
    request.rainbow = request.rainbow || args.Has("rainbow");
    request.rainbowReversed = args.Has("reverse");
  }
  if (args.Has("step")) {
    auto n = ParseInt(*args.Get("step"));
    if (!n || *n < 1 || *n > 10) return "--step takes 1..10";
    request.step = *n;
  }
  return "";
}

int RunProfile(const std::vector<std::string>& argv) {
  Args args(argv, {"rainbow", "reverse"});
  if (!args.ok()) return UsageError(kName, args.error());
  if (args.positional().size() != 1 || !args.Unknown({"row", "column", "from", "to", "o", "rgb",
                                                      "gray", "rainbow", "reverse", "step"})
                                            .empty())
    return UsageError(kName, "one settings file and the options below expected");
  if (args.Has("row") == args.Has("column")) return UsageError(kName, "give --row Y or --column X");
  const auto at = IntOption(args, args.Has("row") ? "row" : "column");
  const auto from = IntOption(args, "from");
  const auto to = IntOption(args, "to");
  if (!at || !from || !to) return UsageError(kName, "--row/--column, --from and --to take numbers");
  const int a = *at, lo = *from, hi = *to;
  const auto out = args.Get("o");
  if (!out || out->empty()) return UsageError(kName, "-o OUT.txt is required");

  const std::string& path = args.positional()[0];
  StderrMessenger messenger;
  ImageSettings settings;
  if (!ReadSettings(path, settings, messenger)) return kExitFailure;
  OpenRequest request = ComposeOnOpen(path, settings);
  if (const std::string why = ApplyComposition(args, path, request); !why.empty())
    return UsageError(kName, why);

  TerminalProgress bar;
  Progress progress(&bar);
  ImageSession session;
  if (!ShownBandsWhole(request, messenger) ||
      !session.Open(request, WorkingFiles{}, messenger, progress))
    return kExitFailure;
  ProfileEnds ends;
  if (args.Has("row"))
    ends = {lo, a, hi, a};
  else
    ends = {a, lo, a, hi};
  return WriteProfileFile(*out, path, session.Display(), session.Area(), session.State().m_nStep,
                          ends, messenger)
             ? kExitOk
             : kExitFailure;
}

Registrar reg(kName,
              "profile IMAGE.inf (--row Y | --column X) --from A --to B [--rgb R,G,B | --gray B "
              "[--rainbow] [--reverse]] [--step N] -o OUT.txt",
              "Writes the values along a row or a column as a profile text file.", RunProfile);

}  // namespace
}  // namespace lumora::cli
