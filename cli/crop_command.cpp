// lumora-cli crop: a window of an image written as a new image (the partial write).
#include "cli/command.h"
#include "core/imagefile/partial_write.h"
#include "core/imagefile/settings_file.h"
#include "core/support/file_set.h"
#include "core/support/text.h"

namespace lumora::cli {
namespace {

constexpr const char* kName = "crop";

int RunCrop(const std::vector<std::string>& argv) {
  Args args(argv, {});
  if (!args.ok()) return UsageError(kName, args.error());
  if (args.positional().size() != 1 || !args.Unknown({"area", "o"}).empty())
    return UsageError(kName, "one settings file, --area and -o expected");
  const auto area = args.Get("area") ? ParseIntList(*args.Get("area"), 4) : std::nullopt;
  if (!area) return UsageError(kName, "--area takes LEFT,TOP,WIDTH,HEIGHT");
  const auto out = args.Get("o");
  if (!out || !EqualsNoCase(out->size() > 4 ? out->substr(out->size() - 4) : "", ".inf"))
    return UsageError(kName, "-o OUT.inf is required");

  const std::string& path = args.positional()[0];
  StderrMessenger messenger(path, *out);
  PartialWriteSource source;
  if (!ReadSettings(path, source.settings, messenger)) return kExitFailure;
  if (!CheckImageSize(source.settings, messenger)) return kExitFailure;
  source.settingsPath = path;
  source.imagePixels = source.settings.pixels;
  source.imageLines = source.settings.lines;
  const AreaRect rect{(*area)[1], (*area)[3], (*area)[0], (*area)[2]};
  TerminalProgress bar;
  Progress progress(&bar);
  return PartialWrite(StripExtension(*out), source, rect, progress, messenger) ? kExitOk
                                                                               : kExitFailure;
}

Registrar reg(kName, "crop IMAGE.inf --area LEFT,TOP,WIDTH,HEIGHT -o OUT.inf",
              "Writes a part of the image as a new file set.", RunCrop);

}  // namespace
}  // namespace lumora::cli
