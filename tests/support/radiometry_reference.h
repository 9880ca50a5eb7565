// Plain, slow reference versions of the brightness tables and the band
// filters, written straight from the rules, for bit-exact comparison with the
// fast code.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace lumora::test {

// A 5 x 5 convolution of a whole band (top row first): signed 32-bit sums,
// C division, offset, clamp; two border rows and columns and bands smaller
// than the window copied.
std::vector<uint8_t> ReferenceConvolve(const std::vector<uint8_t>& band, int width, int height,
                                       const std::array<int32_t, 25>& coefficients, int32_t divisor,
                                       int32_t offset);

// The 3 x 3 median by elimination: remove the first largest and the first
// smallest of the values left, four rounds, and take the first value left.
std::vector<uint8_t> ReferenceMedian(const std::vector<uint8_t>& band, int width, int height);
uint8_t ReferenceMedianOfNine(const std::array<uint8_t, 9>& values);

// Stretch table from input high/low and output high/low (after the equal
// input correction).
std::array<uint8_t, 256> ReferenceStretch(int inHigh, int inLow, int outHigh, int outLow);

// Random 8-bit samples; every fourth image mostly 0 and 255 to reach the clamps.
std::vector<uint8_t> RandomBand(int width, int height, unsigned seed);

}  // namespace lumora::test
