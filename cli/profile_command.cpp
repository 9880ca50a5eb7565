// lumora-cli profile: the profile file of a row or a column of the display
// image as the view composes it.
#include "cli/command.h"
#include "cli/composition.h"
#include "core/view/image_session.h"
#include "core/windows/profile.h"

namespace lumora::cli {
namespace {

constexpr const char* kName = "profile";

int RunProfile(const std::vector<std::string>& argv) {
  Args args(argv, CompositionFlags());
  if (!args.ok()) return UsageError(kName, args.error());
  if (args.positional().size() != 1 ||
      !args.Unknown(WithComposition({"row", "column", "from", "to", "o"})).empty())
    return UsageError(kName, "one settings file and the options below expected");
  if (args.Has("row") == args.Has("column")) return UsageError(kName, "give --row Y or --column X");
  const auto at = IntOption(args, args.Has("row") ? "row" : "column");
  const auto from = IntOption(args, "from");
  const auto to = IntOption(args, "to");
  if (!at || !from || !to) return UsageError(kName, "--row/--column, --from and --to take numbers");
  const int a = *at, lo = *from, hi = *to;
  const auto out = args.Get("o");
  if (!out || out->empty()) return UsageError(kName, "-o OUT.txt is required");
  CompositionChoice composition;
  if (const std::string why = ParseComposition(args, composition); !why.empty())
    return UsageError(kName, why);

  // The values of the display as the window shows it, brightness included.
  const std::string& path = args.positional()[0];
  StderrMessenger messenger(path, *out);
  TerminalProgress bar;
  Progress progress(&bar);
  ImageSession session;
  if (const int status = OpenComposed(kName, path, composition, session, messenger, progress);
      status != kExitOk)
    return status;
  progress.Close();
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

Registrar reg(
    kName,
    "profile IMAGE.inf (--row Y | --column X) --from A --to B [--rgb R,G,B | --gray B "
    "[--rainbow] [--reverse]] [--step N] [--stretch auto|equalize|IL,IH,OL,OH] -o OUT.txt",
    "Writes the values along a row or a column as a profile text file.", RunProfile);

}  // namespace
}  // namespace lumora::cli
