// The five fixed spatial filters and their row engines: a 5 x 5 integer
// convolution (signed 32-bit sums, C division, offset, clamp to 0..255) and
// the 3 x 3 median. Rows are 8-bit samples; the engines compute one output
// row from the rows of its window and copy the border pixels unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace lumora {

enum class FilterKind : int {
  kEdgeWeak = 0,
  kEdgeStrong = 1,
  kContrast = 2,
  kBlur = 3,
  kMedian = 4
};

struct FilterRecord {
  const char* name;                      // shown in the filter list; also selects the engine
  int32_t offset;                        // added after the division
  int32_t divisor;                       // the weighted sum is divided by it (C division)
  std::array<int32_t, 25> coefficients;  // 5 x 5, row by row
  const char* description;               // shown in the summary box
};

inline constexpr int kFilterCount = 5;
// The filter table in list order; index = FilterKind.
const std::array<FilterRecord, kFilterCount>& FilterTable();

inline constexpr const char* kMedianFilterName = "メディアンフィルタ";
// The text shown before a filter is chosen.
inline constexpr const char* kFilterPrompt = "希望のフィルタを選択してください．";

// True when the record is run by the median engine (chosen by its name).
bool IsMedianFilter(const FilterRecord& record);

// Half the window height of the record's engine: 1 for the median, 2 otherwise.
int FilterHalfWindow(const FilterRecord& record);

// One output row of the convolution. rows[0..4] are the input rows y-2..y+2,
// each width samples; out receives row y: its two outermost pixels on each
// side are copied from rows[2], the rest computed. A row narrower than the
// window (width < 5) is copied. A zero divisor leaves the row copied.
void ConvolveRow(const uint8_t* const rows[5], uint8_t* out, int32_t width,
                 const FilterRecord& record);

// One output row of the 3 x 3 median. rows[0..2] are the input rows y-1..y+1;
// the first and last pixel are copied from rows[1]. width < 3 copies the row.
void MedianRow(const uint8_t* const rows[3], uint8_t* out, int32_t width);

// A whole band in memory (height rows of width samples, top row first),
// with the border rows and bands smaller than the window copied unchanged.
void FilterBand(const uint8_t* in, uint8_t* out, int32_t width, int32_t height,
                const FilterRecord& record);

}  // namespace lumora
