// The 8-bit stretch of imported bands: each band from its own 0.5 % to
// 99.5 % values onto 1..255, keeping 0 for no-data.
#pragma once

#include <cstdint>
#include <vector>

namespace lumora::importer {

// Source values that map to 1 and to 255. With N valid values sorted
// ascending, low is the value at index N / 200 and high the value at index
// N - 1 - N / 200, so that as many values lie below low as above high.
struct StretchRange {
  double low = 0.0;
  double high = 0.0;
  bool any = false;  // false when the band has no valid value
};

// From a histogram of 16-bit values (no-data left out).
StretchRange RangeFromHistogram(const std::vector<uint64_t>& histogram);
// From the valid values themselves, by FloatRangeFinder.
StretchRange RangeFromValues(const std::vector<float>& values);

// The range of float values seen as a stream, exactly and in bounded memory:
// a first pass counts the values by the upper half of an order-preserving
// 32-bit key, a second looks at the values of the two bins holding the
// ranks. Both passes must see the same valid values (finite, no no-data).
class FloatRangeFinder {
 public:
  FloatRangeFinder();
  void Count(float v) { ++m_coarse[Key(v) >> 16]; }
  // After the first pass; false when there was no value.
  bool BeginSecondPass();
  void Refine(float v) {
    const uint32_t k = Key(v);
    if (k >> 16 == m_lowBin) ++m_fineLow[k & 0xFFFF];
    if (k >> 16 == m_highBin) ++m_fineHigh[k & 0xFFFF];
  }
  StretchRange Range() const;

  // Orders as the floats do; -0 counts as 0.
  static uint32_t Key(float v);
  static float FromKey(uint32_t key);

 private:
  std::vector<uint64_t> m_coarse, m_fineLow, m_fineHigh;
  uint32_t m_lowBin = 0, m_highBin = 0;
  uint64_t m_lowRank = 0, m_highRank = 0;  // within their bins
};

// 1 at or below low, 255 at or above high, else 1 + trunc((v - low) * 254 /
// (high - low) + 0.5) in double arithmetic.
inline uint8_t StretchValue(double v, const StretchRange& r) {
  if (v <= r.low) return 1;
  if (v >= r.high) return 255;
  return static_cast<uint8_t>(1 + static_cast<int>((v - r.low) * 254.0 / (r.high - r.low) + 0.5));
}

// StretchValue of every 16-bit value; the no-data value maps to 0.
std::vector<uint8_t> StretchTable(const StretchRange& r, int noData);

}  // namespace lumora::importer
