// Builds the 24-bit display image of an image from its band files: the
// automatic reduction step, reading the shown area with a step, mapping 8-bit,
// 16-bit and float samples onto bytes, the display range, the window title,
// the legend that belongs to a file state and the frame and page sizes.
#pragma once

#include <bit>
#include <cstdint>
#include <string>

#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "core/view/dib.h"
#include "core/view/display_state.h"

namespace lumora {

inline constexpr int64_t kMaxDibBytes = 4194304;
inline constexpr int32_t kMaxDibWidth = 1024;
inline constexpr int32_t kMaxReductionStep = 10;

// Bitmap size of an area at a step (integer division).
inline int32_t DibExtent(int32_t areaExtent, int32_t step) { return areaExtent / step; }

// The first step 1..10 whose bitmap is at most 1024 wide and 4 MiB; 0 when none.
int32_t AutomaticStep(const AreaRect& area);

// Chooses the step (state.m_nStep below 1: automatic) and allocates the
// zero-filled bitmap; sets m_nStep, m_nDibWidth and m_nDibHeight. 61233
// when no step gives a bitmap that fits and can be allocated.
bool AllocateDisplayImage(DisplayState& state, const AreaRect& area, Dib& out,
                          Messenger& messenger);

// How a 16-bit or float channel maps onto 0..255.
struct ChannelScale {
  float lo = 0.0f;
  float hi = 0.0f;
  float s = 0.0f;  // 255 / (hi - lo)
};
// Applies the minimum span (hi at least lo + 2.3841858e-07) and computes s.
ChannelScale MakeChannelScale(float lo, float hi);
// ((sample - lo) * s) truncated and limited to 0..255; NaN gives 0.
inline uint8_t MapSample(float sample, const ChannelScale& scale) {
  const float x = (sample - scale.lo) * scale.s;
  if (!(x > 0.0f)) return 0;
  if (x >= 255.0f) return 255;
  return static_cast<uint8_t>(static_cast<int>(x));
}

// The display byte of one stored little-endian sample of bps bytes.
inline uint8_t ShownByte(const uint8_t* p, int bps, const ChannelScale& scale) {
  if (bps == 1) return *p;
  if (bps == 2) return MapSample(static_cast<float>(p[0] | (p[1] << 8)), scale);
  const uint32_t u =
      uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
  return MapSample(std::bit_cast<float>(u), scale);
}

// The range of a float band over a grid of at most 100 x 100 samples of the
// area; samples whose first stored byte is 255 and samples that are not
// finite are left out. No sample gives 0 .. 0.
void FloatGridRange(const std::string& bandPath, int32_t imagePixels, const AreaRect& area,
                    int32_t dibWidth, int32_t dibHeight, float& lo, float& hi);

// How channel c (0 blue, 1 green, 2 red) of the state's bands maps onto
// bytes in a display image of dibWidth x dibHeight over the area.
ChannelScale ShownChannelScale(const DisplayState& state, const AreaRect& area, int32_t dibWidth,
                               int32_t dibHeight, int channel);

// Reads the three channels (blue, green, red) of the display image from the
// band files beside state.m_strSettingsPath. With resetRange the display
// range is widened to include every stored byte. A band file that cannot be
// opened gives 61234; the channels read so far stay in dib. Missing samples
// at the end of a short band file read as 0.
bool ReadDisplayChannels(DisplayState& state, const AreaRect& area, bool resetRange, Dib& dib,
                         Messenger& messenger, Progress& progress);

// Paints a freshly read one-band display in the rainbow or, for an index
// result whose range file asks for them, in the diverging colours; other
// displays stay as read.
void PaintShownColours(const DisplayState& state, Dib& dib);

// The window title: "*%s 1/%d (%d,%d)-(%d,%d) (R,G,B)=(%d,%d,%d)".
std::string DisplayTitle(const std::string& openedPath, const DisplayState& state,
                         const AreaRect& area);

// The legend a view shows beside an image.
enum class LegendKind { kNone, kVegetation, kClass, kElevation, kColourRamp };

// The legend for a file state (the bird's-eye state is resolved through the
// state stored in its .brd file by the caller).
LegendKind LegendForState(int fileState, bool rainbow);

// The legend of a freshly opened image. For a bird's-eye result the .brd file
// beside the current settings file gives the legend's state and the display
// range; when it cannot be read no legend is shown and the range stays.
LegendKind DecideOpenLegend(DisplayState& state);

// The size a child frame takes to show a bitmap.
struct FrameSize {
  int32_t width = 0;
  int32_t height = 0;
};
FrameSize FitFrame(int32_t dibWidth, int32_t dibHeight, int32_t borderWidth, int32_t borderHeight,
                   int32_t desktopWidth, int32_t desktopHeight);

// An A4 sheet in screen pixels for the given dots per inch.
FrameSize A4PageSize(int32_t dpiX, int32_t dpiY);

}  // namespace lumora
