// lumora-cli compose: the display image as the view builds it on opening,
// optionally through the brightness tables, saved as JPEG or TIFF.
#include <array>
#include <optional>

#include "cli/command.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/output/image_file_writer.h"
#include "core/radiometry/brightness.h"
#include "core/support/file_set.h"
#include "core/view/image_session.h"

namespace lumora::cli {
namespace {

constexpr const char* kName = "compose";

// The brightness the display goes through before it is saved.
struct Stretch {
  enum Kind { kNone, kAuto, kEqualize, kValues } kind = kNone;
  StretchValues values;
};

std::optional<Stretch> ParseStretch(const std::optional<std::string>& text) {
  Stretch s;
  if (!text) return s;
  if (*text == "auto") {
    s.kind = Stretch::kAuto;
  } else if (*text == "equalize") {
    s.kind = Stretch::kEqualize;
  } else {
    const auto v = ParseIntList(*text, 4);
    if (!v) return std::nullopt;
    for (int x : *v)
      if (x < 0 || x > 255) return std::nullopt;
    s.kind = Stretch::kValues;
    s.values = StretchValues{(*v)[1], (*v)[0], (*v)[3], (*v)[2]};  // IL,IH,OL,OH
  }
  return s;
}

bool ApplyStretch(const Stretch& s, ImageSession& session, Messenger& messenger,
                  Progress& progress) {
  switch (s.kind) {
    case Stretch::kNone: return true;
    case Stretch::kAuto: return AutomaticBrightness(session, messenger, progress);
    case Stretch::kEqualize: return EqualiseBrightness(session, messenger, progress);
    case Stretch::kValues: break;
  }
  StretchSet values;
  LookupTables tables = IdentityTables();
  for (size_t c = 0; c < 3; ++c) {
    values[c] = s.values;
    BuildStretchTable(values[c], tables[c]);
  }
  return ApplyBrightnessDialog(session, tables, values, messenger, progress);
}

int RunCompose(const std::vector<std::string>& argv) {
  Args args(argv, {"rainbow", "reverse"});
  if (!args.ok()) return UsageError(kName, args.error());
  if (args.positional().size() != 1 ||
      !args.Unknown({"o", "rgb", "gray", "rainbow", "reverse", "step", "stretch", "quality"})
           .empty())
    return UsageError(kName, "one settings file and the options below expected");
  const auto out = args.Get("o");
  if (!out || out->empty()) return UsageError(kName, "-o OUT.jpg or OUT.tif is required");
  if (ImageFileKindOf(*out) == ImageFileKind::kNone)
    return UsageError(kName, "the output must end in .jpg or .tif");
  if (args.Has("rgb") && args.Has("gray"))
    return UsageError(kName, "--rgb and --gray exclude each other");
  std::optional<std::vector<int>> rgb;
  if (args.Has("rgb")) {
    rgb = ParseIntList(*args.Get("rgb"), 3);
    if (!rgb) return UsageError(kName, "--rgb takes three band numbers R,G,B");
  }
  std::optional<int> gray;
  if (args.Has("gray")) {
    gray = ParseInt(*args.Get("gray"));
    if (!gray) return UsageError(kName, "--gray takes a band number");
  }
  for (int b : rgb.value_or(std::vector<int>{gray.value_or(1)}))
    if (b < 1 || b > 255) return UsageError(kName, "band numbers are 1..255");
  int step = -1;
  if (args.Has("step")) {
    const auto n = ParseInt(*args.Get("step"));
    if (!n || *n < 1 || *n > 10) return UsageError(kName, "--step takes 1..10");
    step = *n;
  }
  const auto stretch = ParseStretch(args.Get("stretch"));
  if (!stretch)
    return UsageError(kName, "--stretch takes auto, equalize or IL,IH,OL,OH (each 0..255)");
  double quality = 1.0;
  if (args.Has("quality")) {
    const auto q = ParseDouble(*args.Get("quality"));
    if (!q) return UsageError(kName, "--quality takes a ratio 0.0..1.0");
    quality = *q;
  }

  const std::string& path = args.positional()[0];
  StderrMessenger messenger;
  ImageSettings settings;
  if (!ReadSettings(path, settings, messenger)) return kExitFailure;
  OpenRequest request = ComposeOnOpen(path, settings);
  const auto types = ScanBandTypes(StripExtension(path));
  auto typeOf = [&](int band) { return types[band] ? static_cast<int32_t>(types[band]) : 1; };
  if (rgb) {
    request.redBand = (*rgb)[0];
    request.greenBand = (*rgb)[1];
    request.blueBand = (*rgb)[2];
    request.singleBand = false;
    request.rainbow = false;
    request.bandCount = 3;
  } else if (gray) {
    request.redBand = request.greenBand = request.blueBand = *gray;
    request.singleBand = true;
    request.rainbow = false;
    request.bandCount = 1;
  }
  if (rgb || gray) {
    request.redType = typeOf(request.redBand);
    request.greenType = typeOf(request.greenBand);
    request.blueType = typeOf(request.blueBand);
  }
  if (args.Has("rainbow") || args.Has("reverse")) {
    if (!request.singleBand) return UsageError(kName, "--rainbow and --reverse need one band");
    if (args.Has("rainbow")) request.rainbow = true;
    request.rainbowReversed = args.Has("reverse");
  }
  request.step = step;

  TerminalProgress bar;
  Progress progress(&bar);
  ImageSession session;
  // The display is built only: no working files are written.
  if (!session.Open(request, WorkingFiles{}, messenger, progress)) return kExitFailure;
  if (!ApplyStretch(*stretch, session, messenger, progress)) return kExitFailure;
  CImageFileWriter writer(messenger, &bar);
  if (!writer.SaveImageFile(*out, session.Display(), static_cast<float>(quality),
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
