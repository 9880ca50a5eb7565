#include "tests/support/jpeg_reference.h"

#include <algorithm>
#include <cmath>

namespace lumora::test {

std::array<int, 64> ZigZagOrder() {
  std::array<int, 64> order{};
  int k = 0;
  for (int d = 0; d < 15; ++d) {
    for (int i = 0; i <= d; ++i) {
      // Odd diagonals run down-left, even ones up-right.
      const int row = d % 2 ? i : d - i;
      const int col = d - row;
      if (row < 8 && col < 8) order[k++] = row * 8 + col;
    }
  }
  return order;
}

namespace {

struct Table {
  int counts[17] = {};
  std::vector<int> values;
  int maxCode[18] = {};
  int valPtr[17] = {};
  int minCode[17] = {};
  void Build() {
    int code = 0, k = 0;
    for (int len = 1; len <= 16; ++len) {
      valPtr[len] = k;
      minCode[len] = code;
      code += counts[len];
      k += counts[len];
      maxCode[len] = counts[len] ? code - 1 : -1;
      code <<= 1;
    }
  }
};

class BitReader {
 public:
  BitReader(const std::string& s, size_t pos) : m_s(s), m_pos(pos) {}
  // -1 at a marker or the end.
  int Bit() {
    if (m_left == 0) {
      if (m_pos >= m_s.size()) return -1;
      uint8_t b = static_cast<uint8_t>(m_s[m_pos]);
      if (b == 0xFF) {
        if (m_pos + 1 >= m_s.size() || m_s[m_pos + 1] != 0) return -1;
        ++m_pos;
      }
      ++m_pos;
      m_byte = b;
      m_left = 8;
    }
    --m_left;
    return (m_byte >> m_left) & 1;
  }
  int Bits(int n) {
    int v = 0;
    for (int i = 0; i < n; ++i) {
      int b = Bit();
      if (b < 0) return -1;
      v = v * 2 + b;
    }
    return v;
  }
  int Left() const { return m_left; }
  int Byte() const { return m_byte; }
  size_t Pos() const { return m_pos; }

 private:
  const std::string& m_s;
  size_t m_pos;
  int m_byte = 0;
  int m_left = 0;
};

int Decode(BitReader& r, const Table& t) {
  int code = 0;
  for (int len = 1; len <= 16; ++len) {
    int b = r.Bit();
    if (b < 0) return -1;
    code = code * 2 + b;
    if (t.maxCode[len] >= code && code >= t.minCode[len] && t.counts[len])
      return t.values[t.valPtr[len] + code - t.minCode[len]];
  }
  return -1;
}

int Extend(int v, int s) { return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v; }

int U16(const std::string& s, size_t p) {
  return static_cast<uint8_t>(s[p]) << 8 | static_cast<uint8_t>(s[p + 1]);
}

}  // namespace

DecodedJpeg DecodeBaseline(const std::string& f) {
  DecodedJpeg out;
  const auto zz = ZigZagOrder();
  Table dc[2], ac[2];
  int compTables[3] = {0, 1, 1};
  if (f.size() < 4 || U16(f, 0) != 0xFFD8) {
    out.error = "no SOI";
    return out;
  }
  size_t p = 2;
  while (true) {
    if (p + 4 > f.size() || static_cast<uint8_t>(f[p]) != 0xFF) {
      out.error = "bad marker";
      return out;
    }
    const int marker = U16(f, p);
    const int len = U16(f, p + 2);
    if (p + 2 + len > f.size()) {
      out.error = "short segment";
      return out;
    }
    const std::string payload = f.substr(p + 4, len - 2);
    out.segments.emplace_back(marker, payload);
    p += 2 + len;
    if (marker == 0xFFDB) {
      Block q{};
      for (int k = 0; k < 64; ++k) q[zz[k]] = static_cast<uint8_t>(payload[1 + k]);
      out.quant[payload[0] & 15] = q;
    } else if (marker == 0xFFC4) {
      const int tc = static_cast<uint8_t>(payload[0]) >> 4, th = payload[0] & 15;
      Table& t = tc ? ac[th & 1] : dc[th & 1];
      for (int i = 1; i <= 16; ++i) t.counts[i] = static_cast<uint8_t>(payload[i]);
      for (size_t i = 17; i < payload.size(); ++i)
        t.values.push_back(static_cast<uint8_t>(payload[i]));
      t.Build();
    } else if (marker == 0xFFC0) {
      out.height = U16(payload, 1);
      out.width = U16(payload, 3);
      for (int c = 0; c < 3; ++c) compTables[c] = payload[6 + 3 * c + 2] ? 1 : 0;
    } else if (marker == 0xFFDA) {
      break;
    }
  }
  const int mcus = ((out.width + 15) / 16) * ((out.height + 15) / 16);
  BitReader r(f, p);
  int pred[3] = {0, 0, 0};
  for (int m = 0; m < mcus; ++m) {
    for (int b = 0; b < 6; ++b) {
      const int c = b < 4 ? 0 : b - 3;
      const Table& d = dc[compTables[c]];
      const Table& a = ac[compTables[c]];
      Block blk{};
      int s = Decode(r, d);
      if (s < 0 || s > 11) {
        out.error = "bad DC code";
        return out;
      }
      int diff = s ? Extend(r.Bits(s), s) : 0;
      pred[c] += diff;
      blk[0] = pred[c];
      for (int k = 1; k < 64;) {
        int rs = Decode(r, a);
        if (rs < 0) {
          out.error = "bad AC code";
          return out;
        }
        int run = rs >> 4, size = rs & 15;
        if (size == 0) {
          if (run == 15) {
            k += 16;
            continue;
          }
          break;  // EOB
        }
        k += run;
        if (k > 63) {
          out.error = "run past the block";
          return out;
        }
        blk[zz[k]] = Extend(r.Bits(size), size);
        ++k;
      }
      out.blocks.push_back(blk);
    }
  }
  out.fillAllOnes = (r.Byte() & ((1 << r.Left()) - 1)) == (1 << r.Left()) - 1;
  if (r.Pos() + 2 != f.size() || U16(f, r.Pos()) != 0xFFD9) out.error = "no EOI after the scan";
  return out;
}

std::vector<Block> ReferenceBlocks(const uint8_t* bits, int width, int height, int64_t stride,
                                   const Block& lumaDivisors, const Block& chromaDivisors) {
  auto pixel = [&](int line, int col, int channel) -> int {
    int row = height - 1 - line;
    if (row < 0) row = 0;
    if (col >= width) col = width - 1;
    return bits[row * stride + col * 3 + channel];
  };
  auto clamp = [](double v) {
    int t = static_cast<int>(v);
    return t < -128 ? -128 : t > 127 ? 127 : t;
  };
  auto transform = [](const int f[8][8], const Block& q) {
    Block out{};
    for (int u = 0; u < 8; ++u) {
      for (int v = 0; v < 8; ++v) {
        double sum = 0.0;
        for (int x = 0; x < 8; ++x)
          for (int y = 0; y < 8; ++y)
            sum += f[x][y] * std::cos(u * (2 * x + 1) * 0.196349540625) *
                   std::cos(v * (2 * y + 1) * 0.196349540625);
        double cu = u ? 1 : 0.707106782373095, cv = v ? 1 : 0.707106782373095;
        out[u * 8 + v] = static_cast<int>(0.25 * cu * cv * sum) / q[u * 8 + v];
      }
    }
    return out;
  };
  std::vector<Block> blocks;
  for (int top = 0; top < height; top += 16) {
    for (int left = 0; left < width; left += 16) {
      for (int by = 0; by < 2; ++by) {
        for (int bx = 0; bx < 2; ++bx) {
          int f[8][8];
          for (int x = 0; x < 8; ++x)
            for (int y = 0; y < 8; ++y) {
              int line = top + by * 8 + x, col = left + bx * 8 + y;
              double b = pixel(line, col, 0), g = pixel(line, col, 1), r = pixel(line, col, 2);
              f[x][y] = clamp(0.299 * r + 0.587 * g + 0.114 * b - 128);
            }
          blocks.push_back(transform(f, lumaDivisors));
        }
      }
      int cb[8][8], cr[8][8];
      for (int x = 0; x < 8; ++x)
        for (int y = 0; y < 8; ++y) {
          int line = top + 2 * x, col = left + 2 * y;
          double b = pixel(line, col, 0), g = pixel(line, col, 1), r = pixel(line, col, 2);
          cb[x][y] = clamp(0.5 * b - 0.3313 * g - 0.1687 * r);
          cr[x][y] = clamp(0.5 * r - 0.4187 * g - 0.0813 * b);
        }
      blocks.push_back(transform(cb, chromaDivisors));
      blocks.push_back(transform(cr, chromaDivisors));
    }
  }
  return blocks;
}

std::vector<uint8_t> TestPicture(int width, int height, int align, int noise, uint32_t seed) {
  const int64_t stride = (int64_t{width} * 3 + align - 1) / align * align;
  std::vector<uint8_t> bits(static_cast<size_t>(stride * height), 0);
  uint32_t state = seed * 2654435761u + 1;
  auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return static_cast<int>(state >> 24);
  };
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < width; ++x) {
      const int y = height - 1 - row;
      // Colours change smoothly; the sharp edges are in brightness only, as
      // in a scene of fields and roads.
      const int edge = ((x / 7 + y / 5) % 2) ? 40 : -40;
      int rgb[3] = {x * 200 / std::max(1, width - 1) + 28, y * 200 / std::max(1, height - 1) + 28,
                    (x + y) * 100 / std::max(1, width + height - 2) + 78};
      uint8_t* p = &bits[static_cast<size_t>(row * stride + x * 3)];
      for (int c = 0; c < 3; ++c) {
        int v = rgb[2 - c] + edge + (noise ? next() % (2 * noise + 1) - noise : 0);
        p[c] = static_cast<uint8_t>(std::clamp(v, 0, 255));
      }
    }
  }
  return bits;
}

std::vector<uint8_t> TopDownRgb(const uint8_t* bits, int width, int height, int64_t stride) {
  std::vector<uint8_t> rgb;
  rgb.reserve(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 2; c >= 0; --c) rgb.push_back(bits[(height - 1 - y) * stride + x * 3 + c]);
  return rgb;
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  double se = 0;
  for (size_t i = 0; i < a.size(); ++i) se += (double(a[i]) - b[i]) * (a[i] - b[i]);
  if (se == 0) return 99.0;
  return 10 * std::log10(255.0 * 255.0 * a.size() / se);
}

}  // namespace lumora::test
