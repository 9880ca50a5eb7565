// Filtering an image's file set: every 8-bit band file is filtered row by
// row into a new set under an output base, with a one-line description per
// band; other files of the set (16-bit and float bands, elevation and legend
// files) are copied; the settings file is left for the caller to write.
#pragma once

#include <cstdint>
#include <string>

#include "core/radiometry/filter_kernels.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "core/view/processing_step.h"

namespace lumora {

// The description every filtered band gets.
inline constexpr const char* kFilteredBandText = "フィルタ済み画像データ";

// Progress of a run: bands already filtered out of the run's band count.
struct FilterRunProgress {
  Progress* progress = nullptr;
  int bandsDone = 0;
  int bandCount = 1;
};

// Filters one band of width x height 8-bit samples into a file of exactly
// that size (a longer input's excess is ignored). 61234 when a file cannot be
// opened or read, the short-band message when the input holds fewer samples
// than declared, 61289 when the output cannot be written completely.
bool FilterBandFile(const std::string& inPath, const std::string& outPath, int32_t width,
                    int32_t height, const FilterRecord& record, Messenger& messenger,
                    FilterRunProgress& progress);

// Filters the set sourceBase.* into outputBase.* (band size width x height).
// Old files of the output base are deleted first (61290). The output base
// may not name the source set (61273: the source would be deleted). No band
// file in the set: 61234; a file that cannot be copied: 61280.
bool RunFilter(const std::string& sourceBase, const std::string& outputBase,
               const FilterRecord& record, int32_t width, int32_t height, Messenger& messenger,
               Progress& progress);

// The filter as a processing step: the new set has the source's size and
// file state 9; the composition flags stay as the caller filled them in.
StepBody MakeFilterStep(const FilterRecord& record);

}  // namespace lumora
