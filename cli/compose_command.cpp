// lumora-cli compose: the display image as the view builds it on opening,
// optionally through the brightness tables, saved as JPEG or TIFF.
#include "cli/command.h"
#include "cli/composition.h"
#include "core/imagefile/output_guard.h"
#include "core/output/image_file_writer.h"

namespace lumora::cli {
namespace {

constexpr const char* kName = "compose";

int RunCompose(const std::vector<std::string>& argv) {
  Args args(argv, CompositionFlags());
  if (!args.ok()) return UsageError(kName, args.error());
  if (args.positional().size() != 1 || !args.Unknown(WithComposition({"o", "quality"})).empty())
    return UsageError(kName, "one settings file and the options below expected");
  const auto out = args.Get("o");
  if (!out || out->empty()) return UsageError(kName, "-o OUT.jpg or OUT.tif is required");
  if (ImageFileKindOf(*out) == ImageFileKind::kNone)
    return UsageError(kName, "the output must end in .jpg or .tif");
  CompositionChoice choice;
  if (const std::string why = ParseComposition(args, choice); !why.empty())
    return UsageError(kName, why);

  StderrMessenger messenger(args.positional()[0], *out);
  if (!OutputSparesSet(*out, args.positional()[0], messenger)) return kExitFailure;
  TerminalProgress bar;
  Progress progress(&bar);
  ImageSession session;
  if (const int status =
          OpenComposed(kName, args.positional()[0], choice, session, messenger, progress);
      status != kExitOk)
    return status;
  CImageFileWriter writer(messenger, &bar);
  if (!writer.SaveImageFile(*out, session.Display(), static_cast<float>(choice.quality),
                            kScreenPelsPerMeter, kScreenPelsPerMeter))
    return kExitFailure;
  return kExitOk;
}

Registrar reg(kName,
              "compose IMAGE.inf -o OUT.jpg|OUT.tif [--rgb R,G,B | --gray B [--rainbow] "
              "[--reverse]] [--step N] [--stretch auto|equalize|IL,IH,OL,OH] [--quality RATIO]",
              "Writes the display image as the program composes it on opening, as JPEG or TIFF.",
              RunCompose);

}  // namespace
}  // namespace lumora::cli
