// What changed between two dates of one place: an index (or one band) of the
// later image minus the same of the earlier one, pixel by pixel, written as
// band maths writes its results (the float band .r01, the display band .b01,
// the range file .ndv) and drawn red where it fell, white where it stayed
// within the pupil's threshold, green where it rose. The two images must lie
// on one grid; a pixel whose bands are all 0 in either image lies outside the
// picture ("no data") and is never counted.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/imagefile/settings_file.h"
#include "core/support/messenger.h"
#include "core/view/processing_step.h"

namespace lumora {

// What is compared: a band-maths preset index, or one band.
enum ChangeIndex : int {
  kChangeVegetation,
  kChangeWater,
  kChangeBuiltUp,
  kChangeSnow,
  kChangeBand
};
inline constexpr int kChangeIndexCount = 5;

// The index's name on the command line: "ndvi", "ndwi", "ndbi", "ndsi", "band".
const char* ChangeIndexName(int index);

struct ChangeParams {
  std::string laterPath;  // the later image's settings file; the step runs on the earlier
  int index = kChangeVegetation;
  int band = 0;            // with kChangeBand
  double threshold = 0.1;  // a change of at most this much counts as none
};

// The threshold a pupil starts with: 0.1 for an index, 10 for a band.
double DefaultChangeThreshold(int index);

// Pixels lost (below -threshold), gained (above it), unchanged, and outside
// either picture.
struct ChangeCounts {
  double threshold = 0.0;
  int64_t loss = 0, gain = 0, same = 0, noData = 0;
};

// Whether the two images can be compared, with the reason as message text:
// one grid (PIXEL, LINE, corner, LengthPerPixel, Inclination), both dated,
// the earlier first.
bool ChangeComparable(const ImageSettings& earlier, const ImageSettings& later, std::string& why);

// The range file's text: band maths' header, range and title, the
// red-white-green colour line and the counts.
std::string FormatChangeRangeFile(float largest, float smallest, const std::string& title,
                                  const ChangeCounts& counts);
// The counts of a change map's range file; false for any other range file.
bool ParseChangeCounts(std::string_view text, ChangeCounts& counts);

// "loss 12.5 ha (0.13 km²), gain ..." in the current language, from the
// counts and the pixel side in km (0: "not measurable").
std::string ChangeAreaText(const ChangeCounts& counts, double lengthPerPixelKm);

// The run: refuses (nothing written) images that cannot be compared, an
// index the sensor lacks bands for, a missing or short band, no pixel in
// both pictures; otherwise writes the change set as band maths writes its own.
bool RunChangeMap(const StepSource& source, const std::string& targetBase,
                  const ChangeParams& params, StepResult& result, Messenger& messenger,
                  Progress& progress);
StepBody MakeChangeStep(ChangeParams params);

}  // namespace lumora
