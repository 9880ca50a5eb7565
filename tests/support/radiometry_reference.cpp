#include "tests/support/radiometry_reference.h"

#include <cmath>
#include <random>

namespace lumora::test {

std::vector<uint8_t> ReferenceConvolve(const std::vector<uint8_t>& band, int width, int height,
                                       const std::array<int32_t, 25>& coefficients, int32_t divisor,
                                       int32_t offset) {
  std::vector<uint8_t> out = band;
  if (width < 5 || height < 5) return out;
  for (int y = 2; y < height - 2; ++y) {
    for (int x = 2; x < width - 2; ++x) {
      int32_t sum = 0;
      for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 5; ++c)
          sum += band[static_cast<size_t>((y - 2 + r) * width + x - 2 + c)] *
                 coefficients[static_cast<size_t>(r * 5 + c)];
      int32_t v = sum / divisor + offset;
      if (v < 0) v = 0;
      if (v > 255) v = 255;
      out[static_cast<size_t>(y * width + x)] = static_cast<uint8_t>(v);
    }
  }
  return out;
}

uint8_t ReferenceMedianOfNine(const std::array<uint8_t, 9>& values) {
  std::array<bool, 9> gone{};
  for (int round = 0; round < 4; ++round) {
    int lo = -1, hi = -1;
    for (int i = 0; i < 9; ++i) {
      if (gone[static_cast<size_t>(i)]) continue;
      if (lo < 0 || values[static_cast<size_t>(i)] < values[static_cast<size_t>(lo)]) lo = i;
      if (hi < 0 || values[static_cast<size_t>(i)] > values[static_cast<size_t>(hi)]) hi = i;
    }
    gone[static_cast<size_t>(lo)] = true;
    gone[static_cast<size_t>(hi)] = true;
  }
  for (int i = 0; i < 9; ++i)
    if (!gone[static_cast<size_t>(i)]) return values[static_cast<size_t>(i)];
  return 0;
}

std::vector<uint8_t> ReferenceMedian(const std::vector<uint8_t>& band, int width, int height) {
  std::vector<uint8_t> out = band;
  if (width < 3 || height < 3) return out;
  for (int y = 1; y < height - 1; ++y) {
    for (int x = 1; x < width - 1; ++x) {
      std::array<uint8_t, 9> v{};
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
          v[static_cast<size_t>(r * 3 + c)] =
              band[static_cast<size_t>((y - 1 + r) * width + x - 1 + c)];
      out[static_cast<size_t>(y * width + x)] = ReferenceMedianOfNine(v);
    }
  }
  return out;
}

std::array<uint8_t, 256> ReferenceStretch(int inHigh, int inLow, int outHigh, int outLow) {
  std::array<uint8_t, 256> t{};
  const double slope = static_cast<double>(outHigh - outLow) / (inHigh - inLow);
  const double intercept = outLow - inLow * slope;
  for (int i = 0; i < 256; ++i) {
    int v = static_cast<int>(std::trunc(i * slope + intercept + 0.5));
    if (v > outHigh) v = outHigh;
    if (v < outLow) v = outLow;
    t[static_cast<size_t>(i)] = static_cast<uint8_t>(outLow >= outHigh ? outLow : v);
  }
  return t;
}

std::vector<uint8_t> RandomBand(int width, int height, unsigned seed) {
  std::mt19937 gen(seed);
  std::vector<uint8_t> band(static_cast<size_t>(width) * static_cast<size_t>(height));
  const bool extremes = seed % 4 == 3;
  for (auto& b : band) {
    const unsigned r = gen();
    b = static_cast<uint8_t>(extremes ? ((r & 3) == 0 ? r >> 8 : ((r & 4) ? 255 : 0)) : r);
  }
  return band;
}

}  // namespace lumora::test
