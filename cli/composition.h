// The composition options that commands showing a display share: --rgb,
// --gray, --rainbow, --reverse, --step and --stretch.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/view/image_session.h"

namespace lumora::cli {

// A command's own option names followed by the composition options, for
// Args::Unknown; and the flags among the composition options.
std::vector<std::string> WithComposition(std::vector<std::string> names);
const std::vector<std::string>& CompositionFlags();

struct CompositionChoice {
  std::optional<std::vector<int>> rgb;
  std::optional<int> gray;
  bool rainbow = false;
  bool reverse = false;
  int step = -1;
  enum Stretch { kNone, kAuto, kEqualize, kValues } stretch = kNone;
  StretchValues values;
  double quality = 1.0;  // JPEG ratio, for the commands that take --quality
};

// Empty when the options are sound, else the usage error's reason.
std::string ParseComposition(const Args& args, CompositionChoice& out);

// Applies the bands and flags chosen to the composition opening chose for
// the image at path; the usage error's reason when --rainbow or --reverse is
// given for more than one band.
std::string ApplyComposition(const CompositionChoice& choice, const std::string& path,
                             OpenRequest& request);

// Reads the settings file and builds the display as the view does on
// opening (no working files are written), through the brightness chosen.
// Returns kExitOk, kExitFailure (message shown) or kExitUsage (--rainbow
// without one band).
int OpenComposed(const std::string& command, const std::string& settingsPath,
                 const CompositionChoice& choice, ImageSession& session, Messenger& messenger,
                 Progress& progress);

}  // namespace lumora::cli
