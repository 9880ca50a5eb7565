#include "core/output/jpeg_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/support/allocation.h"
#include "core/support/checked_math.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "core/support/string_table.h"
#include "core/support/vector_code.h"

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

// Bits packed from the most significant end; every completed 0xFF byte is
// followed by a stuffed zero. The caller keeps room in the buffer.
class BitWriter {
 public:
  explicit BitWriter(uint8_t* p) : m_p(p) {}
  uint8_t* Position() const { return m_p; }
  void Rebase(uint8_t* p) { m_p = p; }

  void Put(uint32_t bits, int count) {
    m_acc = (m_acc << count) | (bits & ((1u << count) - 1));
    m_count += count;
    while (m_count >= 8) {
      m_count -= 8;
      const uint8_t byte = static_cast<uint8_t>(m_acc >> m_count);
      *m_p++ = byte;
      if (byte == 0xFF) *m_p++ = 0;
    }
  }
  // Completes a partly filled byte with 1-bits.
  void Flush() {
    if (m_count > 0) Put(0x7F, 8 - m_count);
  }

 private:
  uint8_t* m_p;
  uint64_t m_acc = 0;
  int m_count = 0;
};

int BitCount(int32_t value) {
  const uint32_t a = static_cast<uint32_t>(value < 0 ? -value : value);
  return a ? 32 - __builtin_clz(a) : 0;
}

void EncodeBlock(const int32_t* coef, int& predictor, const HuffmanCodes& dc,
                 const HuffmanCodes& ac, BitWriter& out) {
  const int32_t diff = coef[0] - predictor;
  predictor = coef[0];
  const int s = BitCount(diff);
  out.Put(dc.code[s], dc.length[s]);
  if (s) out.Put(static_cast<uint32_t>(diff < 0 ? diff - 1 : diff), s);
  // Walk the non-zero coefficients in zig-zag order; a zero coefficient 63
  // ends the block with EOB, runs longer than 15 take ZRL codes.
  int32_t zz[64];
  uint64_t nonZero = 0;
  for (int k = 1; k < 64; ++k) {
    zz[k] = coef[kZigZag[k]];
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
    out.Put(ac.code[symbol], ac.length[symbol]);
    out.Put(static_cast<uint32_t>(value < 0 ? value - 1 : value), size);
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
  const auto forwardDct = UseWideVectors() ? ForwardDctWide : ForwardDctPortable;

  size_t capacity = static_cast<size_t>(int64_t{width} * height * 3);
  capacity = std::max(capacity, kHeaderBytes + kMcuReserve + 2);
  if (!TryAllocate([&] { out.assign(capacity, '\0'); })) return false;
  auto* base = reinterpret_cast<uint8_t*>(out.data());

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
  const ColourProducts& cp = Products();
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

  alignas(32) int32_t coef[64];
  for (int32_t my = 0; my < mcuRows; ++my) {
    progress.SetProgress(static_cast<float>(my) / mcuRows);
    for (int i = 0; i < 16; ++i) {
      // Lines below the image repeat bitmap row 0, the last image line;
      // columns right of it repeat the last pixel of the line.
      const int32_t row = height - 1 - (my * 16 + i);
      const uint8_t* line = bmp.bits + bmp.stride * (row < 0 ? 0 : row);
      int32_t* yRow = &yPlane[static_cast<size_t>(i) * planeWidth];
      int32_t* cbRow = &cbPlane[static_cast<size_t>(i / 2) * (planeWidth / 2)];
      int32_t* crRow = &crPlane[static_cast<size_t>(i / 2) * (planeWidth / 2)];
      for (int32_t col = 0; col < width; ++col) {
        const uint8_t* p = line + 3 * col;
        yRow[col] = Clamp8(cp.yr[p[2]] + cp.yg[p[1]] + cp.yb[p[0]] - 128);
      }
      std::fill(yRow + width, yRow + planeWidth, yRow[width - 1]);
      if (i % 2 != 0) continue;
      const auto cb = [&cp](const uint8_t* p) {
        return Clamp8(cp.cbb[p[0]] - cp.cbg[p[1]] - cp.cbr[p[2]]);
      };
      const auto cr = [&cp](const uint8_t* p) {
        return Clamp8(cp.crr[p[2]] - cp.crg[p[1]] - cp.crb[p[0]]);
      };
      int32_t c = 0;
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
    for (int32_t mx = 0; mx < mcuCols; ++mx) {
      const size_t used = static_cast<size_t>(bits.Position() - base);
      if (used + kMcuReserve > out.size()) {
        if (!TryAllocate([&] { out.resize(out.size() * 2); })) return false;
        base = reinterpret_cast<uint8_t*>(out.data());
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
        forwardDct(sources[blk], c == 0 ? planeWidth : planeWidth / 2, coef);
        const Divider* d = dividers[table];
        for (int k = 0; k < 64; ++k) coef[k] = d[k](coef[k]);
        EncodeBlock(coef, predictor[c], codes.dc[table], codes.ac[table], bits);
      }
    }
  }
  bits.Flush();
  ByteWriter end(bits.Position());
  end.U16(0xFFD9);
  progress.SetProgress(1.0f);
  out.resize(static_cast<size_t>(end.Position() - base));
  return true;
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
