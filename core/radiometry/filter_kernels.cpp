#include "core/radiometry/filter_kernels.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "core/support/vector_code.h"

namespace lumora {
namespace {

constexpr std::array<FilterRecord, kFilterCount> kTable{{
    {"エッジ強調弱",
     0,
     3,
     {0, 0, 0, 0, 0, 0, 0, -2, 0, 0, 0, -2, 11, -2, 0, 0, 0, -2, 0, 0, 0, 0, 0, 0, 0},
     "明暗の境界がはっきりした画像が得られます."},
    {"エッジ強調強",
     0,
     1,
     {0, 0, 0, 0, 0, 0, -1, 0, -1, 0, 0, 0, 5, 0, 0, 0, -1, 0, -1, 0, 0, 0, 0, 0, 0},
     "明暗の境界がよりはっきりした画像が得られます．"},
    {"コントラスト",
     0,
     5,
     {-1, 0, 0, 0, -1, 0, -1, 0, -1, 0, 0, 0, 13, 0, 0, 0, -1, 0, -1, 0, -1, 0, 0, 0, -1},
     "明るい部分はより明るい，暗い部分はより暗い画像が得られます．"},
    {"ぼかし",
     0,
     5,
     {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0},
     "隣り合う画素同士のコントラストを弱めた画像が得られます．"},
    {kMedianFilterName,
     0,
     3,
     {},
     "孤立ノイズの影響を受けずに隣り合う画素同士のコントラストを弱めた画像が得られます．"},
}};

inline uint8_t ClampByte(int32_t v) {
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// One tap of a fixed kernel; zero taps vanish at compile time.
template <int K, int I>
[[gnu::always_inline]] inline int32_t Tap(const uint8_t* const* rows, int32_t x) {
  constexpr int32_t kCoef = kTable[K].coefficients[I];
  if constexpr (kCoef == 0) {
    return 0;
  } else {
    return kCoef * int32_t{rows[I / 5][x - 2 + I % 5]};
  }
}

template <int K, size_t... I>
[[gnu::always_inline]] inline int32_t KernelSum(const uint8_t* const* rows, int32_t x,
                                                std::index_sequence<I...>) {
  return (Tap<K, static_cast<int>(I)>(rows, x) + ...);
}

// The interior of a row for a kernel of the table. Every sum of these kernels
// lies within -2040..3315, so the compiler may narrow the arithmetic for
// vectors without changing a result of the 32-bit sum.
template <int K>
[[gnu::always_inline]] inline void ConvolveInterior(const uint8_t* const rows[5], uint8_t* out,
                                                    int32_t width) {
  constexpr int32_t kDivisor = kTable[K].divisor;
  constexpr int32_t kOffset = kTable[K].offset;
  const uint8_t* const local[5] = {rows[0], rows[1], rows[2], rows[3], rows[4]};
  for (int32_t x = 2; x < width - 2; ++x) {
    const int32_t sum = KernelSum<K>(local, x, std::make_index_sequence<25>());
    out[x] = ClampByte(sum / kDivisor + kOffset);
  }
}

// Any other record: the plain rule, with the 32-bit sum wrapping as the
// original machine arithmetic did rather than overflowing.
void ConvolveInteriorGeneric(const uint8_t* const rows[5], uint8_t* out, int32_t width,
                             const FilterRecord& record) {
  for (int32_t x = 2; x < width - 2; ++x) {
    uint32_t sum = 0;
    for (int r = 0; r < 5; ++r)
      for (int c = 0; c < 5; ++c)
        sum += static_cast<uint32_t>(record.coefficients[r * 5 + c]) * rows[r][x - 2 + c];
    const int64_t quotient = int64_t{static_cast<int32_t>(sum)} / record.divisor;
    const int64_t value = quotient + record.offset;
    out[x] = static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
  }
}

int TableIndexOf(const FilterRecord& record) {
  for (int k = 0; k < kFilterCount; ++k) {
    const FilterRecord& t = kTable[static_cast<size_t>(k)];
    if (t.divisor == record.divisor && t.offset == record.offset &&
        t.coefficients == record.coefficients && k != static_cast<int>(FilterKind::kMedian))
      return k;
  }
  return -1;
}

[[gnu::always_inline]] inline void ConvolveFixed(const uint8_t* const rows[5], uint8_t* out,
                                                 int32_t width, int kind) {
  switch (kind) {
    case 0: ConvolveInterior<0>(rows, out, width); break;
    case 1: ConvolveInterior<1>(rows, out, width); break;
    case 2: ConvolveInterior<2>(rows, out, width); break;
    case 3: ConvolveInterior<3>(rows, out, width); break;
    default: break;
  }
}

[[gnu::always_inline]] inline uint8_t Min8(uint8_t a, uint8_t b) { return a < b ? a : b; }
[[gnu::always_inline]] inline uint8_t Max8(uint8_t a, uint8_t b) { return a < b ? b : a; }

// The 3 x 3 median as the median of column sorts: with every column of the
// window sorted, the median of the nine is the median of (largest column
// low, median of the column middles, smallest column high). Branch-free
// minimum and maximum keep the loop in byte vectors.
[[gnu::always_inline]] inline void MedianInterior(const uint8_t* const rows[3], uint8_t* out,
                                                  int32_t width) {
  const uint8_t* __restrict r0 = rows[0];
  const uint8_t* __restrict r1 = rows[1];
  const uint8_t* __restrict r2 = rows[2];
  uint8_t* __restrict o = out;
  for (int32_t x = 1; x < width - 1; ++x) {
    uint8_t lo[3], mid[3], hi[3];
    for (int k = 0; k < 3; ++k) {
      const uint8_t a = r0[x - 1 + k], b = r1[x - 1 + k], c = r2[x - 1 + k];
      const uint8_t abLo = Min8(a, b), abHi = Max8(a, b);
      lo[k] = Min8(abLo, c);
      const uint8_t t = Max8(abLo, c);
      mid[k] = Min8(abHi, t);
      hi[k] = Max8(abHi, t);
    }
    const uint8_t maxLo = Max8(Max8(lo[0], lo[1]), lo[2]);
    const uint8_t minHi = Min8(Min8(hi[0], hi[1]), hi[2]);
    const uint8_t medMid = Max8(Min8(mid[0], mid[1]), Min8(Max8(mid[0], mid[1]), mid[2]));
    o[x] = Max8(Min8(maxLo, medMid), Min8(Max8(maxLo, medMid), minHi));
  }
}

LUMORA_WIDE_VECTORS void ConvolveFixedWide(const uint8_t* const rows[5], uint8_t* out,
                                           int32_t width, int kind) {
  ConvolveFixed(rows, out, width, kind);
}
void ConvolveFixedPortable(const uint8_t* const rows[5], uint8_t* out, int32_t width, int kind) {
  ConvolveFixed(rows, out, width, kind);
}
LUMORA_WIDE_VECTORS void MedianWide(const uint8_t* const rows[3], uint8_t* out, int32_t width) {
  MedianInterior(rows, out, width);
}
void MedianPortable(const uint8_t* const rows[3], uint8_t* out, int32_t width) {
  MedianInterior(rows, out, width);
}

}  // namespace

const std::array<FilterRecord, kFilterCount>& FilterTable() { return kTable; }

bool IsMedianFilter(const FilterRecord& record) {
  return record.name != nullptr && std::strcmp(record.name, kMedianFilterName) == 0;
}

int FilterHalfWindow(const FilterRecord& record) { return IsMedianFilter(record) ? 1 : 2; }

void ConvolveRow(const uint8_t* const rows[5], uint8_t* out, int32_t width,
                 const FilterRecord& record) {
  if (width <= 0) return;
  std::memcpy(out, rows[2], static_cast<size_t>(width));
  if (width < 5 || record.divisor == 0) return;
  const int kind = TableIndexOf(record);
  if (kind >= 0)
    (UseWideVectors() ? ConvolveFixedWide : ConvolveFixedPortable)(rows, out, width, kind);
  else
    ConvolveInteriorGeneric(rows, out, width, record);
}

void MedianRow(const uint8_t* const rows[3], uint8_t* out, int32_t width) {
  if (width <= 0) return;
  std::memcpy(out, rows[1], static_cast<size_t>(width));
  if (width < 3) return;
  (UseWideVectors() ? MedianWide : MedianPortable)(rows, out, width);
}

void FilterBand(const uint8_t* in, uint8_t* out, int32_t width, int32_t height,
                const FilterRecord& record) {
  if (width <= 0 || height <= 0) return;
  const int h = FilterHalfWindow(record);
  const size_t w = static_cast<size_t>(width);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* dst = out + w * static_cast<size_t>(y);
    if (y < h || y >= height - h || width < 2 * h + 1) {
      std::memcpy(dst, in + w * static_cast<size_t>(y), w);
      continue;
    }
    const uint8_t* rows[5];
    for (int k = 0; k < 2 * h + 1; ++k) rows[k] = in + w * static_cast<size_t>(y - h + k);
    if (h == 1)
      MedianRow(rows, dst, width);
    else
      ConvolveRow(rows, dst, width, record);
  }
}

}  // namespace lumora
