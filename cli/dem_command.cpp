// lumora-cli dem: elevation colouring, shading or the bird's-eye view of an
// image with an elevation model, as a new file set.
#include <filesystem>
#include <optional>
#include <utility>

#include "cli/command.h"
#include "cli/composition.h"
#include "core/analysis/dem_processing.h"
#include "core/imagefile/settings_file.h"
#include "core/shell/command_rules.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/view/image_session.h"

namespace lumora::cli {
namespace {

constexpr const char* kName = "dem";

constexpr std::pair<const char*, int> kKinds[] = {
    {"absolute", kStateElevationAbsolute},
    {"relative", kStateElevationRelative},
    {"shade", kStateShadeMono},
    {"shade-absolute", kStateShadeAbsolute},
    {"shade-relative", kStateShadeRelative},
    {"birdseye", kStateBirdsEye},
};

struct Angle {
  const char* option;
  float DemRequest::*field;
  double max;
};
constexpr Angle kAngles[] = {
    {"light-azimuth", &DemRequest::lightAzimuth, 360},
    {"light-elevation", &DemRequest::lightElevation, 90},
    {"view-azimuth", &DemRequest::viewAzimuth, 360},
    {"view-elevation", &DemRequest::viewElevation, 90},
};

// The composition the bird's-eye view drapes: the image as it opens, or as
// --rgb / --gray (with --rainbow and --reverse) compose it, its colours as
// the view shows them; its display range comes from loading it.
int ComposeDrape(const std::string& path, const ImageSettings& settings,
                 const CompositionChoice& choice, DrapeComposition& drape, Messenger& messenger) {
  OpenRequest request = ComposeOnOpen(path, settings);
  if (const std::string why = ApplyComposition(choice, path, request); !why.empty())
    return UsageError(kName, why);
  Progress quiet;
  ImageSession session;
  if (!session.Open(request, WorkingFiles{}, messenger, quiet)) return kExitFailure;
  drape = DrapeFromState(session.State(), session.DisplayKind());
  return kExitOk;
}

int RunDem(const std::vector<std::string>& argv) {
  Args args(argv, CompositionFlags());
  if (!args.ok()) return UsageError(kName, args.error());
  if (args.positional().size() != 1 ||
      !args.Unknown({"kind", "light-azimuth", "light-elevation", "view-azimuth", "view-elevation",
                     "exaggeration", "rgb", "gray", "rainbow", "reverse", "o"})
           .empty())
    return UsageError(kName, "one settings file and the options below expected");
  DemRequest request;
  request.kind = 0;
  const std::string kind = args.Get("kind").value_or("");
  for (const auto& [name, k] : kKinds)
    if (kind == name) request.kind = k;
  if (request.kind == 0)
    return UsageError(kName,
                      "--kind takes absolute, relative, shade, shade-absolute, shade-relative or "
                      "birdseye");
  for (const Angle& a : kAngles) {
    if (!args.Has(a.option)) continue;
    const auto v = ParseDouble(*args.Get(a.option));
    if (!v || !(*v >= 0 && *v <= a.max))
      return UsageError(kName, Format("--%s takes 0..%g degrees", a.option, a.max));
    request.*a.field = static_cast<float>(*v);
  }
  if (args.Has("exaggeration")) {
    const auto v = ParseInt(*args.Get("exaggeration"));
    if (!v || *v < 1 || *v > 5) return UsageError(kName, "--exaggeration takes 1..5");
    request.exaggeration = *v;
  }
  const bool birdsEye = request.kind == kStateBirdsEye;
  CompositionChoice composition;
  if (const std::string why = ParseComposition(args, composition); !why.empty())
    return UsageError(kName, why);
  if ((composition.rgb || composition.gray || composition.rainbow || composition.reverse) &&
      !birdsEye)
    return UsageError(kName,
                      "--rgb, --gray, --rainbow and --reverse choose what the bird's-eye view "
                      "drapes");
  const auto out = args.Get("o");
  if (!out || out->empty()) return UsageError(kName, "-o OUT.inf is required");

  const std::string& path = args.positional()[0];
  StderrMessenger messenger(path, *out);
  ImageSettings settings;
  if (!ReadSettings(path, settings, messenger)) return kExitFailure;
  // The program offers the command only where these hold.
  if (!HasElevationRange(path)) {
    messenger.ShowMessage(kMsgNoDem);
    return kExitFailure;
  }
  if (settings.fileState == kStateBirdsEye) {
    messenger.ShowMessage(kMsgDemOfBirdsEye);
    return kExitFailure;
  }
  if (!birdsEye && settings.fileState != kStateUnprocessed &&
      settings.fileState != kStateFiltered) {
    messenger.ShowMessage(kMsgDemBirdsEyeOnly);
    return kExitFailure;
  }
  // Heights need a ground scale; say so before the drape is composed.
  if (request.kind >= kStateBirdsEye && !(settings.lengthPerPixel > 0.0)) {
    messenger.ShowMessage(kMsgNoGroundScale);
    return kExitFailure;
  }
  if (birdsEye) {
    if (!CheckImageSize(settings, messenger)) return kExitFailure;
    if (const int status = ComposeDrape(path, settings, composition, request.drape, messenger);
        status != kExitOk)
      return status;
  }
  return RunStepToOutput(kName, path, *out, MakeDemStep(request));
}

Registrar reg(kName,
              "dem IMAGE.inf --kind absolute|relative|shade|shade-absolute|shade-relative|birdseye "
              "[--light-azimuth A] [--light-elevation E] [--view-azimuth A] [--view-elevation E] "
              "[--exaggeration 1..5] [--rgb R,G,B | --gray B [--rainbow] [--reverse]] -o OUT.inf",
              "Colours, shades or draws a bird's-eye view of the image from its elevation model.",
              RunDem);

}  // namespace
}  // namespace lumora::cli
