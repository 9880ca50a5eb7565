#include "cli/composition.h"

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/radiometry/brightness.h"
#include "core/support/file_set.h"

namespace lumora::cli {

std::vector<std::string> WithComposition(std::vector<std::string> names) {
  for (const char* name : {"rgb", "gray", "rainbow", "reverse", "step", "stretch"})
    names.emplace_back(name);
  return names;
}

const std::vector<std::string>& CompositionFlags() {
  static const std::vector<std::string> flags = {"rainbow", "reverse"};
  return flags;
}

std::string ParseComposition(const Args& args, CompositionChoice& out) {
  if (args.Has("rgb") && args.Has("gray")) return "--rgb and --gray exclude each other";
  if (args.Has("rgb")) {
    out.rgb = ParseIntList(*args.Get("rgb"), 3);
    if (!out.rgb) return "--rgb takes three band numbers R,G,B";
  }
  if (args.Has("gray")) {
    out.gray = ParseInt(*args.Get("gray"));
    if (!out.gray) return "--gray takes a band number";
  }
  for (int b : out.rgb.value_or(std::vector<int>{out.gray.value_or(1)}))
    if (b < 1 || b > 255) return "band numbers are 1..255";
  if (args.Has("step")) {
    const auto n = ParseInt(*args.Get("step"));
    if (!n || *n < 1 || *n > 10) return "--step takes 1..10";
    out.step = *n;
  }
  out.rainbow = args.Has("rainbow");
  out.reverse = args.Has("reverse");
  if (const auto text = args.Get("stretch")) {
    if (*text == "auto") {
      out.stretch = CompositionChoice::kAuto;
    } else if (*text == "equalize") {
      out.stretch = CompositionChoice::kEqualize;
    } else {
      const auto v = ParseIntList(*text, 4);
      bool inRange = v.has_value();
      for (int x : v.value_or(std::vector<int>{}))
        if (x < 0 || x > 255) inRange = false;
      if (!inRange) return "--stretch takes auto, equalize or IL,IH,OL,OH (each 0..255)";
      out.stretch = CompositionChoice::kValues;
      out.values = StretchValues{(*v)[1], (*v)[0], (*v)[3], (*v)[2]};  // IL,IH,OL,OH
    }
  }
  if (args.Has("quality")) {
    const auto q = ParseDouble(*args.Get("quality"));
    if (!q || !(*q >= 0.0 && *q <= 1.0)) return "--quality takes a ratio 0.0..1.0";
    out.quality = *q;
  }
  return {};
}

namespace {

bool ApplyStretch(const CompositionChoice& c, ImageSession& session, Messenger& messenger,
                  Progress& progress) {
  switch (c.stretch) {
    case CompositionChoice::kNone: return true;
    case CompositionChoice::kAuto: return AutomaticBrightness(session, messenger, progress);
    case CompositionChoice::kEqualize: return EqualiseBrightness(session, messenger, progress);
    case CompositionChoice::kValues: break;
  }
  StretchSet values;
  LookupTables tables = IdentityTables();
  for (size_t i = 0; i < 3; ++i) {
    values[i] = c.values;
    BuildStretchTable(values[i], tables[i]);
  }
  return ApplyBrightnessDialog(session, tables, values, messenger, progress);
}

}  // namespace

std::string ApplyComposition(const CompositionChoice& c, const std::string& path,
                             OpenRequest& request) {
  Composition& composition = request.composition;
  if (c.rgb || c.gray) {
    const std::vector<int> bands = c.rgb.value_or(std::vector<int>(3, c.gray.value_or(1)));
    composition =
        ComposeBands(ScanBandTypes(StripExtension(path)), bands[0], bands[1], bands[2], !c.rgb);
  }
  if (c.rainbow || c.reverse) {
    if (!composition.singleBand) return "--rainbow and --reverse need one band";
    composition.rainbow = composition.rainbow || c.rainbow;
    request.rainbowReversed = c.reverse;
  }
  if (c.step > 0) request.step = c.step;
  return {};
}

int OpenComposed(const std::string& command, const std::string& path, const CompositionChoice& c,
                 ImageSession& session, Messenger& messenger, Progress& progress) {
  ImageSettings settings;
  if (!ReadSettings(path, settings, messenger)) return kExitFailure;
  OpenRequest request = ComposeOnOpen(path, settings);
  if (const std::string why = ApplyComposition(c, path, request); !why.empty())
    return UsageError(command, why);
  // The display is built only: no working files are written.
  if (!ShownBandsWhole(request, messenger) ||
      !session.Open(request, WorkingFiles{}, messenger, progress))
    return kExitFailure;
  if (!ApplyStretch(c, session, messenger, progress)) return kExitFailure;
  return kExitOk;
}

}  // namespace lumora::cli
