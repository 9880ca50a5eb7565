// Outputs that are single files (a picture, a page, a profile text) never
// take the place of a file the image is read from.
#pragma once

#include <string>

#include "core/support/messenger.h"

namespace lumora {

// True when writing output would put something in place of a file of the set
// settingsPath belongs to: the output is such a file under any spelling the
// file system resolves to it (case on a case-folding disk), or reaches one
// through a symbolic or a hard link.
bool IsFileOfSet(const std::string& output, const std::string& settingsPath);

// Refuses such an output with 61273; true when output may be written.
bool OutputSparesSet(const std::string& output, const std::string& settingsPath,
                     Messenger& messenger);

}  // namespace lumora
