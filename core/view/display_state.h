// What the display image of one opened image shows: the band composition,
// the file state, the display range, the reduction step and the shown area.
// Every subsystem that changes the display speaks in these fields; undo keeps
// one snapshot of the record.
#pragma once

#include <cstdint>
#include <string>

#include "core/imagefile/area_rect.h"

namespace lumora {

struct DisplayState {
  // 0-based band indices feeding byte 0 (blue), 1 (green) and 2 (red) of a pixel.
  int32_t m_nBlueBand = 0;
  int32_t m_nGreenBand = 0;
  int32_t m_nRedBand = 0;
  // Sample-type codes of those bands (1 = 8-bit, 2 = 16-bit, 3 = float).
  int32_t m_nBlueType = 1;
  int32_t m_nGreenType = 1;
  int32_t m_nRedType = 1;
  bool m_bSingleBand = false;
  bool m_bRainbow = false;
  int32_t m_nFileState = 0;
  // True when the step that produced this state wrote a working file set
  // (undo must restore files); false when only the display changed.
  bool m_bProcessed = false;
  // Range of the displayed samples; drives the rainbow mapping and legends.
  float m_fDispMin = 255.0f;
  float m_fDispMax = 0.0f;
  int32_t m_nImagePixels = 0;
  int32_t m_nImageLines = 0;
  // Reduction step 1..10; below 1 the loader chooses it.
  int32_t m_nStep = 1;
  int32_t m_nDibWidth = 0;
  int32_t m_nDibHeight = 0;
  std::string m_strSettingsPath;
  bool m_bRainbowReversed = false;

  bool operator==(const DisplayState&) const = default;
};

}  // namespace lumora
