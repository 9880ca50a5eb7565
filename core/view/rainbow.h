// The rainbow colour table (near-black through blue, cyan, green and yellow
// to red) and the two operations that paint a one-band display with it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/support/progress.h"
#include "core/view/dib.h"

namespace lumora {

struct RainbowEntry {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
};

using RainbowTable = std::array<RainbowEntry, 256>;

// The shared table; built once.
const RainbowTable& Rainbow();

// The rainbow index of a grey byte v for the display range dispMin ..
// dispMax, or 255 minus it reversed; -1 when v lies below the range (the
// pixel keeps its grey).
int RainbowIndex(int v, float dispMin, float dispMax, bool reverse);

// Repaints every pixel of a one-band display (its first byte is the sample)
// with the rainbow colour of that sample, in place.
void ApplyRainbow(Dib& dib, float dispMin, float dispMax, bool reverse);

// The diverging colours of index results, as a range file asks for them.
enum class DivergingColours {
  kNone,
  kBlueWhiteGreen,  // band maths: water blue, plants green
  kRedWhiteGreen,   // a change map: loss red, gain green
};

// The diverging table: code 128 (the value 0) white, codes below it ever
// bluer to (33, 102, 172) at 1 (or redder to (178, 24, 43)), codes above it
// ever greener to (27, 120, 55) at 255; code 0 ("no value") black.
const RainbowTable& Diverging(DivergingColours colours = DivergingColours::kBlueWhiteGreen);

// Repaints every pixel of a one-band display with the diverging colour of
// its code, in place.
void ApplyDiverging(Dib& dib, DivergingColours colours = DivergingColours::kBlueWhiteGreen);

// The line a range file carries (as its fourth) when its display band is
// drawn in the diverging colours.
inline constexpr std::string_view kDivergingRangeLine = "colours: blue-white-green";
inline constexpr std::string_view kChangeRangeLine = "colours: red-white-green";

// The diverging colours the text of a range file asks for.
DivergingColours RangeColours(std::string_view text);
inline bool RangeTextAsksDiverging(std::string_view text) {
  return RangeColours(text) != DivergingColours::kNone;
}

// A new image in which every pixel whose colour is rainbow entry k shows
// entry 255 - k; pixels of other colours become black. False when the new
// image cannot be allocated (out is then untouched).
bool ReverseRainbowColours(const Dib& source, Dib& out, Progress* progress = nullptr);

}  // namespace lumora
