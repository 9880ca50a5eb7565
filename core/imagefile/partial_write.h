// Partial write: a rectangular window of an image stored as a new, smaller
// image with its own settings file, band files, elevation model and
// description files, and the top-left corner moved to the window's corner.
#pragma once

#include <string>

#include "core/imagefile/area_rect.h"
#include "core/imagefile/settings_file.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"

namespace lumora {

// The image a window is cut from.
struct PartialWriteSource {
  std::string settingsPath;  // current settings path; its base names the set
  int imagePixels = 0;       // samples per line of its band files
  int imageLines = 0;
  // Geographic reference of the document (LeftTop_*, LengthPerPixel, Inclination).
  ImageSettings settings;
};

// Runs of one partial write: the progress and its running line counter.
struct WindowCopyProgress {
  Progress* progress = nullptr;
  int64_t counter = 0;
  int64_t total = 1;
};

// Writes the window `area` of the source as the set newBase.*. Raster files
// (".bNN", and 16-bit ".iNN" and float ".rNN" at their sample width) and the
// elevation model ".dem" with its ".lev" are cut; ".inf" is rewritten; other
// ".d*" files and the display state ".brd" are copied; anything else (such
// as legend files, whose ranges belong to the whole image) is left out. The set is built beside
// the target and moved into place at the end, so on failure the target's
// files are as they were. Refuses (61273) a target naming the source set and
// (61440) an area not inside the image.
bool PartialWrite(const std::string& newBase, const PartialWriteSource& source,
                  const AreaRect& area, Progress& progress, Messenger& messenger);

// Copies the window of one raster file (bytesPerSample bytes a sample, lines
// of imagePixels samples). With dem set, the .lev beside the source is read
// and one for the window written beside the destination. 61234 when a file
// (the level files included) cannot be opened, 61441 when the source is too
// short, 61288 for a level file whose minimum exceeds its maximum, 61289 when
// writing the window fails.
bool CopyRasterWindow(const std::string& dstPath, const std::string& srcPath, bool dem,
                      int bytesPerSample, int imagePixels, const AreaRect& area,
                      WindowCopyProgress& run, Messenger& messenger);

}  // namespace lumora
