#include "core/output/jpeg_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "core/support/allocation.h"
#include "core/support/checked_math.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "core/support/string_table.h"
#include "core/support/vector_code.h"

#if LUMORA_HAS_WIDE_VECTORS
#include <immintrin.h>
#endif

namespace lumora {
namespace {

// Annex K, Tables K.1 and K.2, in natural order.
constexpr uint8_t kLuminanceTable[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr uint8_t kChrominanceTable[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// Natural index of each zig-zag position.
constexpr uint8_t kZigZag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                 12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// Annex K, Tables K.3 to K.6: code counts per length 1..16, then the values.
struct HuffmanSpec {
  uint8_t counts[16];
  uint8_t values[162];
  int valueCount;
};

constexpr HuffmanSpec kDcLuminance = {
    {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 12};
constexpr HuffmanSpec kDcChrominance = {
    {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 12};
constexpr HuffmanSpec kAcLuminance = {
    {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d},
    {0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
     0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
     0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25,
     0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45,
     0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64,
     0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
     0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
     0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
     0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3,
     0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8,
     0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa},
    162};
constexpr HuffmanSpec kAcChrominance = {
    {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77},
    {0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61,
     0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33,
     0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18,
     0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44,
     0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63,
     0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
     0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,
     0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4,
     0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca,
     0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7,
     0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa},
    162};

// Code and length of every value of one table (Annex C).
struct HuffmanCodes {
  uint16_t code[256] = {};
  uint8_t length[256] = {};
};

HuffmanCodes MakeCodes(const HuffmanSpec& table) {
  HuffmanCodes codes;
  uint32_t code = 0;
  int k = 0;
  for (int len = 1; len <= 16; ++len) {
    for (int i = 0; i < table.counts[len - 1]; ++i, ++k) {
      codes.code[table.values[k]] = static_cast<uint16_t>(code++);
      codes.length[table.values[k]] = static_cast<uint8_t>(len);
    }
    code <<= 1;
  }
  return codes;
}

struct CodeTables {
  HuffmanCodes dc[2];
  HuffmanCodes ac[2];
  CodeTables()
      : dc{MakeCodes(kDcLuminance), MakeCodes(kDcChrominance)},
        ac{MakeCodes(kAcLuminance), MakeCodes(kAcChrominance)} {}
};

const CodeTables& Codes() {
  static const CodeTables tables;
  return tables;
}

// The cosine table of the transform, cos[x][u]; 0.196349540625 stands for
// pi / 16 (the value the file format's output has always been made with).
struct CosineTable {
  alignas(32) double c[8][8];
  CosineTable() {
    for (int x = 0; x < 8; ++x)
      for (int u = 0; u < 8; ++u) c[x][u] = std::cos(u * (2 * x + 1) * 0.196349540625);
  }
};

const CosineTable& Cosines() {
  static const CosineTable table;
  return table;
}

constexpr double kC0 = 0.707106782373095;

typedef double Double4 __attribute__((vector_size(32)));

// F(u, v) = 0.25 C(u) C(v) sum_x sum_y f(x, y) cos[x][u] cos[y][v], every
// coefficient's sum taken in x-then-y order with each term rounded as
// (f * cos[x][u]) * cos[y][v]. The lanes hold four u side by side, which
// keeps each sum's order; eight accumulators (four v, two groups of u) stay
// in registers. Contraction into fused multiply-adds would change the bits,
// so it is switched off here.
#if defined(__clang__)
#define LUMORA_NO_FP_CONTRACT
#else
#define LUMORA_NO_FP_CONTRACT __attribute__((optimize("fp-contract=off")))
#endif
[[gnu::always_inline]] inline LUMORA_NO_FP_CONTRACT void ForwardDct(const int32_t* f,
                                                                    ptrdiff_t stride,
                                                                    int32_t* out) {
#if defined(__clang__)
#pragma clang fp contract(off)
#endif
  const auto& cs = Cosines().c;
  double fd[64];
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 8; ++y) fd[x * 8 + y] = f[x * stride + y];
  for (int v0 = 0; v0 < 8; v0 += 4) {
    Double4 acc[4][2] = {};
    for (int x = 0; x < 8; ++x) {
      Double4 cx0, cx1;
      std::memcpy(&cx0, &cs[x][0], sizeof cx0);
      std::memcpy(&cx1, &cs[x][4], sizeof cx1);
      for (int y = 0; y < 8; ++y) {
        const double fv = fd[x * 8 + y];
        const Double4 g0 = fv * cx0;
        const Double4 g1 = fv * cx1;
        for (int k = 0; k < 4; ++k) {
          const double c = cs[y][v0 + k];
          acc[k][0] += g0 * c;
          acc[k][1] += g1 * c;
        }
      }
    }
    for (int k = 0; k < 4; ++k) {
      const int v = v0 + k;
      for (int u = 0; u < 8; ++u) {
        const double scale = 0.25 * (u == 0 ? kC0 : 1.0) * (v == 0 ? kC0 : 1.0);
        out[u * 8 + v] = static_cast<int32_t>(scale * acc[k][u / 4][u % 4]);
      }
    }
  }
}

LUMORA_WIDE_VECTORS LUMORA_NO_FP_CONTRACT void ForwardDctWide(const int32_t* f, ptrdiff_t stride,
                                                              int32_t* out) {
  ForwardDct(f, stride, out);
}
LUMORA_NO_FP_CONTRACT void ForwardDctPortable(const int32_t* f, ptrdiff_t stride, int32_t* out) {
  ForwardDct(f, stride, out);
}

// The products of the colour conversion for every byte value, so that each
// sample costs additions only; the sums keep their order, so the bits do not
// change.
struct ColourProducts {
  double yr[256], yg[256], yb[256];
  double cbb[256], cbg[256], cbr[256];
  double crr[256], crg[256], crb[256];
  ColourProducts() {
    for (int v = 0; v < 256; ++v) {
      const double d = v;
      yr[v] = 0.299 * d;
      yg[v] = 0.587 * d;
      yb[v] = 0.114 * d;
      cbb[v] = 0.5 * d;
      cbg[v] = 0.3313 * d;
      cbr[v] = 0.1687 * d;
      crr[v] = 0.5 * d;
      crg[v] = 0.4187 * d;
      crb[v] = 0.0813 * d;
    }
  }
};

const ColourProducts& Products() {
  static const ColourProducts table;
  return table;
}

// a / q truncated toward zero, for |a| < 65536 and 1 <= q <= 255, as a
// multiplication by ceil(2^32 / q): the error a * (m q - 2^32) stays below
// 2^32, so the quotient is exact.
struct Divider {
  uint64_t magic = 0;
  explicit Divider(uint32_t q = 1) : magic((uint64_t{1} << 32) / q + 1) {}
  int32_t operator()(int32_t a) const {
    const uint64_t m = static_cast<uint64_t>(a < 0 ? -a : a) * magic >> 32;
    return a < 0 ? -static_cast<int32_t>(m) : static_cast<int32_t>(m);
  }
};

int32_t Clamp8(double value) {
  const int32_t t = static_cast<int32_t>(value);
  return t < -128 ? -128 : (t > 127 ? 127 : t);
}

// Divisors of one table for the fast transform, in its lane order: row u,
// then v = 0, 2, 4, 6 and v = 1, 3, 5, 7.
struct QuantPlan {
  Double4 scale[8][2];    // 0.25 C(u) C(v), as the plain transform scales
  Double4 inverse[8][2];  // 1 / q
  int32_t divisor[64];    // natural order
  explicit QuantPlan(const uint8_t* q = nullptr) {
    for (int u = 0; u < 8; ++u)
      for (int v = 0; v < 8; ++v) {
        const int k = u * 8 + v;
        divisor[k] = q ? q[k] : 1;
        scale[u][v % 2][v / 2] = 0.25 * (u == 0 ? kC0 : 1.0) * (v == 0 ? kC0 : 1.0);
        inverse[u][v % 2][v / 2] = 1.0 / divisor[k];
      }
  }
};

// The plain transform's coefficient (u, v) and its quotient, term by term in
// the same order, for the few that the fast one cannot settle.
LUMORA_NO_FP_CONTRACT int32_t ExactQuotient(const int32_t* f, ptrdiff_t stride, int u, int v,
                                            int32_t q) {
#if defined(__clang__)
#pragma clang fp contract(off)
#endif
  const auto& cs = Cosines().c;
  double acc = 0.0;
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 8; ++y) acc += (f[x * stride + y] * cs[x][u]) * cs[y][v];
  const double scale = 0.25 * (u == 0 ? kC0 : 1.0) * (v == 0 ? kC0 : 1.0);
  return Divider(static_cast<uint32_t>(q))(static_cast<int32_t>(scale * acc));
}

typedef int32_t Int4 __attribute__((vector_size(16)));
typedef int64_t Long4 __attribute__((vector_size(32)));

// How far the fast coefficients may lie from the plain ones. The butterflies
// take cos[7 - y][v] = (-1)^v cos[y][v], which the table's rounded pi / 16
// misses by under 3e-8: with samples below 256 that moves a coefficient by
// less than 2e-4. The plain sums' own rounding is far smaller still.
constexpr double kFastMargin = 1.0 / 256;

// The quantised coefficients of the plain transform (in the lane order of
// QuantPlan), by a
// separable transform with even/odd butterflies. The quotient of the plain
// coefficient by q truncates toward zero, so it only depends on which
// multiples of q the coefficient lies between; where the fast value is within
// the margin of a multiple, the plain sum is taken for that coefficient.
[[gnu::always_inline]] inline void QuantisedDct(const int32_t* f, ptrdiff_t stride,
                                                const QuantPlan& plan, int32_t* out) {
  const auto& cs = Cosines().c;
  Double4 rowEven[4], rowOdd[4];
  for (int y = 0; y < 4; ++y)
    for (int k = 0; k < 4; ++k) {
      rowEven[y][k] = cs[y][2 * k];
      rowOdd[y][k] = cs[y][2 * k + 1];
    }
  // Rows: t[x] = sum_y f(x, y) cos[y][v], even v in [x][0], odd v in [x][1].
  Double4 t[8][2];
  for (int x = 0; x < 8; ++x) {
    const int32_t* r = f + x * stride;
    Double4 e = rowEven[0] * static_cast<double>(r[0] + r[7]);
    Double4 o = rowOdd[0] * static_cast<double>(r[0] - r[7]);
    for (int y = 1; y < 4; ++y) {
      e += rowEven[y] * static_cast<double>(r[y] + r[7 - y]);
      o += rowOdd[y] * static_cast<double>(r[y] - r[7 - y]);
    }
    t[x][0] = e;
    t[x][1] = o;
  }
  // Columns: F(u, v) = sum_x cos[x][u] t[x][v].
  Double4 sum[4][2], diff[4][2];
  for (int x = 0; x < 4; ++x)
    for (int h = 0; h < 2; ++h) {
      sum[x][h] = t[x][h] + t[7 - x][h];
      diff[x][h] = t[x][h] - t[7 - x][h];
    }
  const Double4 margin = {kFastMargin, kFastMargin, kFastMargin, kFastMargin};
  for (int u = 0; u < 8; ++u) {
    const auto& src = u % 2 ? diff : sum;
    for (int h = 0; h < 2; ++h) {
      Double4 acc = src[0][h] * cs[0][u];
      for (int x = 1; x < 4; ++x) acc += src[x][h] * cs[x][u];
      const Double4 value = acc * plan.scale[u][h];
      const Long4 negative = value < 0.0;
      const Double4 magnitude = (Double4)((Long4)value & INT64_MAX);
      const Int4 lo = __builtin_convertvector((magnitude - margin) * plan.inverse[u][h], Int4);
      const Int4 hi = __builtin_convertvector((magnitude + margin) * plan.inverse[u][h], Int4);
      const Int4 sign = __builtin_convertvector(negative, Int4);
      const Int4 q = (lo ^ sign) - sign;
      std::memcpy(out + u * 8 + h * 4, &q, sizeof q);
      const Int4 unsettled = lo ^ hi;
      uint64_t any[2];
      std::memcpy(any, &unsettled, sizeof any);
      if (any[0] | any[1]) {
        for (int k = 0; k < 4; ++k)
          if (unsettled[k])
            out[u * 8 + h * 4 + k] =
                ExactQuotient(f, stride, u, 2 * k + h, plan.divisor[u * 8 + 2 * k + h]);
      }
    }
  }
}

LUMORA_WIDE_VECTORS void QuantisedDctWide(const int32_t* f, ptrdiff_t stride, const QuantPlan& plan,
                                          int32_t* out) {
  QuantisedDct(f, stride, plan, out);
}
void QuantisedDctPortable(const int32_t* f, ptrdiff_t stride, const QuantPlan& plan, int32_t* out) {
  QuantisedDct(f, stride, plan, out);
}

// One bitmap line into the planes: luminance for every column and, when
// cbRow is set, chroma from the top-left pixel of each 2 x 2 group; both
// padded to the plane width by repeating the last pixel. Columns before
// firstCol and chroma before firstChroma are left as they are.
void ConvertLineFrom(const uint8_t* line, int32_t width, int32_t planeWidth, int32_t* yRow,
                     int32_t* cbRow, int32_t* crRow, int32_t firstCol, int32_t firstChroma) {
  const ColourProducts& cp = Products();
  for (int32_t col = firstCol; col < width; ++col) {
    const uint8_t* p = line + 3 * col;
    yRow[col] = Clamp8(cp.yr[p[2]] + cp.yg[p[1]] + cp.yb[p[0]] - 128);
  }
  std::fill(yRow + width, yRow + planeWidth, yRow[width - 1]);
  if (!cbRow) return;
  const auto cb = [&cp](const uint8_t* p) {
    return Clamp8(cp.cbb[p[0]] - cp.cbg[p[1]] - cp.cbr[p[2]]);
  };
  const auto cr = [&cp](const uint8_t* p) {
    return Clamp8(cp.crr[p[2]] - cp.crg[p[1]] - cp.crb[p[0]]);
  };
  int32_t c = firstChroma;
  for (; 2 * c < width; ++c) {
    cbRow[c] = cb(line + 6 * c);
    crRow[c] = cr(line + 6 * c);
  }
  if (c < planeWidth / 2) {
    const uint8_t* last = line + 3 * (width - 1);
    std::fill(cbRow + c, cbRow + planeWidth / 2, cb(last));
    std::fill(crRow + c, crRow + planeWidth / 2, cr(last));
  }
}

void ConvertLinePlain(const uint8_t* line, int32_t width, int32_t planeWidth, int32_t* yRow,
                      int32_t* cbRow, int32_t* crRow) {
  ConvertLineFrom(line, width, planeWidth, yRow, cbRow, crRow, 0, 0);
}

// Truncated to an integer and limited to -128 ... 127, four at a time.
[[gnu::always_inline]] inline Int4 Clamp8(const Double4& value) {
  Int4 t = __builtin_convertvector(value, Int4);
  const Int4 low = t<-128, high = t> 127;
  t = (t & ~low) | (Int4{-128, -128, -128, -128} & low);
  return (t & ~high) | (Int4{127, 127, 127, 127} & high);
}

// Blue, green and red of four pixels kGap bytes apart as doubles; the wide
// version reads 2 * kGap + 16 bytes from p.
template <int kGap>
[[gnu::always_inline]] inline void LoadPixels(const uint8_t* p, Double4& b, Double4& g,
                                              Double4& r) {
  for (int k = 0; k < 4; ++k) {
    b[k] = p[k * kGap];
    g[k] = p[k * kGap + 1];
    r[k] = p[k * kGap + 2];
  }
}
#if !LUMORA_HAS_WIDE_VECTORS
template <int kGap>
void LoadPixelsWide(const uint8_t* p, Double4& b, Double4& g, Double4& r) {
  LoadPixels<kGap>(p, b, g, r);
}
#else
// Channel c of pixels 0 and 1 (from the first load) and 2 and 3 (from the
// second), kGap bytes apart.
template <int kGap, int c>
[[gnu::always_inline]] inline LUMORA_WIDE_VECTORS void ChannelWide(__m128i first, __m128i second,
                                                                   Double4& out) {
  const __m128i a = _mm_shuffle_epi8(
      first, _mm_setr_epi8(c, -1, -1, -1, c + kGap, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1));
  const __m128i z = _mm_shuffle_epi8(
      second, _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, c, -1, -1, -1, c + kGap, -1, -1, -1));
  out = _mm256_cvtepi32_pd(_mm_or_si128(a, z));
}
// Not forced inline: the generic body that calls it is no wide code by
// itself; the compiler inlines it into the wide caller.
template <int kGap>
inline LUMORA_WIDE_VECTORS void LoadPixelsWide(const uint8_t* p, Double4& b, Double4& g,
                                               Double4& r) {
  const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * kGap));
  ChannelWide<kGap, 0>(first, second, b);
  ChannelWide<kGap, 1>(first, second, g);
  ChannelWide<kGap, 2>(first, second, r);
}
#endif

// The same products and sums in the same order as the plain line, four
// pixels at a time; the rest of the line goes the plain way.
template <bool kWide>
[[gnu::always_inline]] inline LUMORA_NO_FP_CONTRACT void ConvertLine(const uint8_t* line,
                                                                     int32_t width,
                                                                     int32_t planeWidth,
                                                                     int32_t* yRow, int32_t* cbRow,
                                                                     int32_t* crRow) {
#if defined(__clang__)
#pragma clang fp contract(off)
#endif
  Double4 b = {}, g = {}, r = {};
  // The wide loads read 2 * gap + 16 bytes: up to eight pixels (luminance)
  // or five pairs (chroma) must lie within the line.
  int32_t col = 0;
  for (; col + 4 <= width; col += 4) {
    if constexpr (kWide) {
      if (col + 8 <= width)
        LoadPixelsWide<3>(line + 3 * col, b, g, r);
      else
        LoadPixels<3>(line + 3 * col, b, g, r);
    } else {
      LoadPixels<3>(line + 3 * col, b, g, r);
    }
    const Int4 y = Clamp8(0.299 * r + 0.587 * g + 0.114 * b - 128.0);
    std::memcpy(yRow + col, &y, sizeof y);
  }
  int32_t c = 0;
  if (cbRow) {
    for (; 2 * (c + 4) <= width; c += 4) {
      if constexpr (kWide) {
        if (2 * c + 10 <= width)
          LoadPixelsWide<6>(line + 6 * c, b, g, r);
        else
          LoadPixels<6>(line + 6 * c, b, g, r);
      } else {
        LoadPixels<6>(line + 6 * c, b, g, r);
      }
      const Int4 cb = Clamp8(0.5 * b - 0.3313 * g - 0.1687 * r);
      const Int4 cr = Clamp8(0.5 * r - 0.4187 * g - 0.0813 * b);
      std::memcpy(cbRow + c, &cb, sizeof cb);
      std::memcpy(crRow + c, &cr, sizeof cr);
    }
  }
  ConvertLineFrom(line, width, planeWidth, yRow, cbRow, crRow, col, c);
}

LUMORA_WIDE_VECTORS LUMORA_NO_FP_CONTRACT void ConvertLineWide(const uint8_t* line, int32_t width,
                                                               int32_t planeWidth, int32_t* yRow,
                                                               int32_t* cbRow, int32_t* crRow) {
  ConvertLine<true>(line, width, planeWidth, yRow, cbRow, crRow);
}
LUMORA_NO_FP_CONTRACT void ConvertLinePortable(const uint8_t* line, int32_t width,
                                               int32_t planeWidth, int32_t* yRow, int32_t* cbRow,
                                               int32_t* crRow) {
  ConvertLine<false>(line, width, planeWidth, yRow, cbRow, crRow);
}

// Bits packed from the most significant end; every completed 0xFF byte is
// followed by a stuffed zero. Whole 32-bit words go out at once unless one
// of their bytes needs stuffing. The caller keeps room in the buffer.
class BitWriter {
 public:
  explicit BitWriter(uint8_t* p) : m_p(p) {}
  uint8_t* Position() const { return m_p; }
  void Rebase(uint8_t* p) { m_p = p; }

  // count <= 32; fewer than 32 bits are pending between calls.
  void Put(uint32_t bits, int count) {
    m_acc = (m_acc << count) | (bits & ((uint64_t{1} << count) - 1));
    m_count += count;
    if (m_count < 32) return;
    m_count -= 32;
    const uint32_t word = static_cast<uint32_t>(m_acc >> m_count);
    // A byte of the word is 0xFF when the same byte of ~word is zero.
    const uint32_t inverse = ~word;
    if (((inverse - 0x01010101u) & ~inverse & 0x80808080u) == 0) {
      const uint32_t big = __builtin_bswap32(word);
      std::memcpy(m_p, &big, 4);
      m_p += 4;
      return;
    }
    for (int shift = 24; shift >= 0; shift -= 8) Byte(static_cast<uint8_t>(word >> shift));
  }
  // Writes the pending bits, the last byte completed with 1-bits.
  void Flush() {
    if (m_count % 8) Put(0x7F, 8 - m_count % 8);
    while (m_count > 0) {
      m_count -= 8;
      Byte(static_cast<uint8_t>(m_acc >> m_count));
    }
  }

 private:
  void Byte(uint8_t byte) {
    *m_p++ = byte;
    if (byte == 0xFF) *m_p++ = 0;
  }

  uint8_t* m_p;
  uint64_t m_acc = 0;
  int m_count = 0;
};

int BitCount(int32_t value) {
  const uint32_t a = static_cast<uint32_t>(value < 0 ? -value : value);
  return a ? 32 - __builtin_clz(a) : 0;
}

// A code followed by the low `size` bits of a value (negative ones less 1).
inline uint32_t WithValue(uint32_t code, int32_t value, int size) {
  const auto bits = static_cast<uint32_t>(value < 0 ? value - 1 : value);
  return (code << size) | (bits & ((1u << size) - 1));
}

// Where each zig-zag position lies in the fast transform's lane order.
struct LaneZigZag {
  uint8_t index[64];
  LaneZigZag() {
    for (int k = 0; k < 64; ++k) {
      const int u = kZigZag[k] / 8, v = kZigZag[k] % 8;
      index[k] = static_cast<uint8_t>(u * 8 + (v % 2) * 4 + v / 2);
    }
  }
};

// order: the position of each zig-zag coefficient in coef.
void EncodeBlock(const int32_t* coef, const uint8_t* order, int& predictor, const HuffmanCodes& dc,
                 const HuffmanCodes& ac, BitWriter& out) {
  const int32_t diff = coef[0] - predictor;
  predictor = coef[0];
  const int s = BitCount(diff);
  out.Put(WithValue(dc.code[s], diff, s), dc.length[s] + s);
  // Walk the non-zero coefficients in zig-zag order; a zero coefficient 63
  // ends the block with EOB, runs longer than 15 take ZRL codes.
  int32_t zz[64];
  uint64_t nonZero = 0;
  for (int k = 1; k < 64; ++k) {
    zz[k] = coef[order[k]];
    nonZero |= static_cast<uint64_t>(zz[k] != 0) << k;
  }
  int last = 0;
  while (nonZero) {
    const int k = __builtin_ctzll(nonZero);
    nonZero &= nonZero - 1;
    int run = k - last - 1;
    last = k;
    while (run > 15) {
      out.Put(ac.code[0xF0], ac.length[0xF0]);
      run -= 16;
    }
    const int32_t value = zz[k];
    // Samples lie in -128..127, so |F| <= 0.25 * 127.5 * 64 * 0.5 < 1024 and
    // the size never exceeds the tables' 10 bits.
    const int size = BitCount(value);
    const int symbol = (run << 4) | size;
    out.Put(WithValue(ac.code[symbol], value, size), ac.length[symbol] + size);
  }
  if (last != 63) out.Put(ac.code[0x00], ac.length[0x00]);
}

class ByteWriter {
 public:
  explicit ByteWriter(uint8_t* p) : m_p(p) {}
  uint8_t* Position() const { return m_p; }
  void U8(uint32_t v) { *m_p++ = static_cast<uint8_t>(v); }
  void U16(uint32_t v) {
    U8(v >> 8);
    U8(v);
  }
  void Bytes(const uint8_t* p, size_t n) {
    std::memcpy(m_p, p, n);
    m_p += n;
  }

 private:
  uint8_t* m_p;
};

void WriteHuffmanTable(ByteWriter& w, uint32_t classAndId, const HuffmanSpec& table) {
  w.U16(0xFFC4);
  w.U16(2 + 1 + 16 + table.valueCount);
  w.U8(classAndId);
  w.Bytes(table.counts, 16);
  w.Bytes(table.values, static_cast<size_t>(table.valueCount));
}

// Header bytes before the scan: 20 + 2 * 69 + 2 * 33 + 2 * 183 + 19 + 14.
constexpr size_t kHeaderBytes = 623;
// More than one MCU can produce: six blocks of at most 22 + 63 * 26 bits, every
// byte possibly stuffed.
constexpr size_t kMcuReserve = 4096;

}  // namespace

CJpegEncoder::CJpegEncoder(Messenger& messenger, ProgressSink* progress)
    : m_messenger(messenger), m_progress(progress) {
  Cosines();
  Codes();
}

bool CJpegEncoder::ReadData(std::span<const uint8_t> bits, const BitmapHeader* header,
                            int alignment) {
  if (!AcceptBitmap(bits, header, alignment, m_messenger, m_bitmap)) return false;
  if (!AllocatableBytes(CheckedMul(m_bitmap.width, m_bitmap.height, 3))) {
    m_bitmap = BitmapSource{};
    m_messenger.ShowMessage(kMsgNoMemory);
    return false;
  }
  return true;
}

void CJpegEncoder::Divisors(float ratio, uint8_t luminance[64], uint8_t chrominance[64]) {
  // In float, as the ratio is a float: (Q - 1) * r + 1, truncated.
  for (int k = 0; k < 64; ++k) {
    luminance[k] = static_cast<uint8_t>(static_cast<int>((kLuminanceTable[k] - 1) * ratio + 1));
    chrominance[k] = static_cast<uint8_t>(static_cast<int>((kChrominanceTable[k] - 1) * ratio + 1));
  }
}

bool CJpegEncoder::Encode(float ratio, std::string& out) {
  // Written so that NaN is refused too.
  if (!(ratio >= 0.0 && ratio <= 1.0) || !m_bitmap.Valid()) return false;
  m_ratio = ratio;
  const BitmapSource& bmp = m_bitmap;
  const int32_t width = bmp.width;
  const int32_t height = bmp.height;
  const int32_t mcuCols = (width + 15) / 16;
  const int32_t mcuRows = (height + 15) / 16;
  const bool wide = UseWideVectors();
  const auto forwardDct = wide ? ForwardDctWide : ForwardDctPortable;
  const auto quantisedDct = wide ? QuantisedDctWide : QuantisedDctPortable;
  const auto convertLine = m_plain ? ConvertLinePlain
                           : wide  ? ConvertLineWide
                                   : ConvertLinePortable;

  // Left uninitialised: only the pages the file reaches are ever touched.
  size_t capacity = static_cast<size_t>(int64_t{width} * height * 3);
  capacity = std::max(capacity, kHeaderBytes + kMcuReserve + 2);
  std::unique_ptr<uint8_t[]> buffer;
  if (!TryAllocate([&] { buffer.reset(new uint8_t[capacity]); })) return false;
  uint8_t* base = buffer.get();

  uint8_t divisors[2][64];
  Divisors(m_ratio, divisors[0], divisors[1]);

  ByteWriter w(base);
  w.U16(0xFFD8);
  w.U16(0xFFE0);
  w.U16(16);
  w.Bytes(reinterpret_cast<const uint8_t*>("JFIF"), 5);
  w.U8(1);
  w.U8(2);
  w.U8(1);
  // Dots per inch, kept within the 16-bit field.
  for (int32_t ppm : {bmp.xPelsPerMeter, bmp.yPelsPerMeter}) {
    const int32_t dpi = static_cast<int32_t>(ppm / 39.370078740157474);
    w.U16(static_cast<uint32_t>(std::clamp(dpi, 0, 65535)));
  }
  w.U8(0);
  w.U8(0);
  for (int t = 0; t < 2; ++t) {
    w.U16(0xFFDB);
    w.U16(67);
    w.U8(static_cast<uint32_t>(t));
    for (int k = 0; k < 64; ++k) w.U8(divisors[t][kZigZag[k]]);
  }
  WriteHuffmanTable(w, 0x00, kDcLuminance);
  WriteHuffmanTable(w, 0x01, kDcChrominance);
  WriteHuffmanTable(w, 0x10, kAcLuminance);
  WriteHuffmanTable(w, 0x11, kAcChrominance);
  w.U16(0xFFC0);
  w.U16(17);
  w.U8(8);
  w.U16(static_cast<uint32_t>(height));
  w.U16(static_cast<uint32_t>(width));
  w.U8(3);
  const uint8_t components[9] = {0, 0x22, 0, 1, 0x11, 1, 2, 0x11, 1};
  w.Bytes(components, sizeof components);
  w.U16(0xFFDA);
  w.U16(12);
  w.U8(3);
  const uint8_t scanComponents[6] = {0, 0x00, 1, 0x11, 2, 0x11};
  w.Bytes(scanComponents, sizeof scanComponents);
  w.U8(0);
  w.U8(63);
  w.U8(0);

  const CodeTables& codes = Codes();
  int predictor[3] = {0, 0, 0};
  BitWriter bits(w.Position());
  Progress progress(m_progress);
  progress.Create(mcuRows / 100, writer_text::kSaving);

  // One MCU row at a time: luminance for every sample of its 16 lines and
  // chroma for the top-left sample of each 2 x 2 group, over the width padded
  // to whole MCUs.
  const int32_t planeWidth = mcuCols * 16;
  std::vector<int32_t> yPlane, cbPlane, crPlane;
  if (!TryAllocate([&] {
        yPlane.resize(static_cast<size_t>(planeWidth) * 16);
        cbPlane.resize(static_cast<size_t>(planeWidth / 2) * 8);
        crPlane.resize(cbPlane.size());
      }))
    return false;
  Divider dividers[2][64];
  for (int t = 0; t < 2; ++t)
    for (int k = 0; k < 64; ++k) dividers[t][k] = Divider(divisors[t][k]);
  const QuantPlan plans[2] = {QuantPlan(divisors[0]), QuantPlan(divisors[1])};
  static const LaneZigZag laneOrder;

  alignas(32) int32_t coef[64];
  for (int32_t my = 0; my < mcuRows; ++my) {
    progress.SetProgress(static_cast<float>(my) / mcuRows);
    for (int i = 0; i < 16; ++i) {
      // Lines below the image repeat bitmap row 0, the last image line;
      // columns right of it repeat the last pixel of the line.
      const int32_t row = height - 1 - (my * 16 + i);
      const uint8_t* line = bmp.bits + bmp.stride * (row < 0 ? 0 : row);
      const size_t chroma = static_cast<size_t>(i / 2) * (planeWidth / 2);
      convertLine(line, width, planeWidth, &yPlane[static_cast<size_t>(i) * planeWidth],
                  i % 2 ? nullptr : &cbPlane[chroma], i % 2 ? nullptr : &crPlane[chroma]);
    }
    for (int32_t mx = 0; mx < mcuCols; ++mx) {
      const size_t used = static_cast<size_t>(bits.Position() - base);
      if (used + kMcuReserve > capacity) {
        std::unique_ptr<uint8_t[]> larger;
        if (!TryAllocate([&] { larger.reset(new uint8_t[capacity * 2]); })) return false;
        std::memcpy(larger.get(), base, used);
        buffer = std::move(larger);
        capacity *= 2;
        base = buffer.get();
        bits.Rebase(base + used);
      }
      const int32_t* sources[6] = {&yPlane[mx * 16],
                                   &yPlane[mx * 16 + 8],
                                   &yPlane[8 * planeWidth + mx * 16],
                                   &yPlane[8 * planeWidth + mx * 16 + 8],
                                   &cbPlane[mx * 8],
                                   &crPlane[mx * 8]};
      for (int blk = 0; blk < 6; ++blk) {
        const int c = blk < 4 ? 0 : blk - 3;
        const int table = c == 0 ? 0 : 1;
        const ptrdiff_t stride = c == 0 ? planeWidth : planeWidth / 2;
        if (m_plain) {
          forwardDct(sources[blk], stride, coef);
          const Divider* d = dividers[table];
          for (int k = 0; k < 64; ++k) coef[k] = d[k](coef[k]);
        } else {
          quantisedDct(sources[blk], stride, plans[table], coef);
        }
        EncodeBlock(coef, m_plain ? kZigZag : laneOrder.index, predictor[c], codes.dc[table],
                    codes.ac[table], bits);
      }
    }
  }
  bits.Flush();
  ByteWriter end(bits.Position());
  end.U16(0xFFD9);
  progress.SetProgress(1.0f);
  return TryAllocate(
      [&] { out.assign(reinterpret_cast<const char*>(base), end.Position() - base); });
}

bool CJpegEncoder::SaveJpeg(const std::string& path, float ratio) {
  if (!(ratio >= 0.0 && ratio <= 1.0)) {
    m_messenger.ShowText(writer_text::kTitle, writer_text::kBadRatio);
    return false;
  }
  m_ratio = ratio;
  // Checked before the file is touched, so that a call without data cannot
  // empty an existing file.
  if (!m_bitmap.Valid()) {
    m_messenger.ShowText(writer_text::kTitle, writer_text::kNoData);
    return false;
  }
  std::string file;
  if (!Encode(ratio, file)) {
    m_messenger.ShowMessage(kMsgNoMemory);
    return false;
  }
  return PlaceWrittenFile(path, file, m_messenger);
}

float JpegRatioFromSlider(int position) { return static_cast<float>(position * 0.01); }

}  // namespace lumora
