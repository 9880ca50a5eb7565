// Reference display loader and test image writer.
#include "tests/support/view_reference.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace lumora::test {

std::string WriteTestImage(const std::string& base, int pixels, int lines,
                           const std::map<int, TestBand>& bands, const std::string& extraInf) {
  const std::string inf = base + ".inf";
  std::ofstream(inf, std::ios::binary) << "LINE = " << lines << "\nPIXEL = " << pixels << "\n"
                                       << extraInf;
  for (const auto& [number, band] : bands) {
    const char letter = band.type == 1 ? 'b' : band.type == 2 ? 'i' : 'r';
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".%c%02d", letter, number);
    std::ofstream(base + suffix, std::ios::binary)
        .write(reinterpret_cast<const char*>(band.bytes.data()),
               static_cast<std::streamsize>(band.bytes.size()));
  }
  return inf;
}

std::vector<uint8_t> Bytes16(const std::vector<uint16_t>& samples) {
  std::vector<uint8_t> out;
  for (uint16_t v : samples) {
    out.push_back(static_cast<uint8_t>(v & 0xff));
    out.push_back(static_cast<uint8_t>(v >> 8));
  }
  return out;
}

std::vector<uint8_t> BytesFloat(const std::vector<float>& samples) {
  std::vector<uint8_t> out;
  for (float v : samples) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<uint8_t>(u >> (8 * k)));
  }
  return out;
}

std::vector<uint8_t> NoiseBytes(size_t count, unsigned seed) {
  std::vector<uint8_t> out(count);
  uint32_t x = seed * 2654435761u + 1;
  for (auto& b : out) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<uint8_t>(x >> 7);
  }
  return out;
}

namespace {

int BytesOf(int type) { return type == 1 ? 1 : type == 2 ? 2 : 4; }

// Sample i of a band; bytes past the end of the file count as 0.
double Sample(const TestBand& b, int64_t i) {
  const int n = BytesOf(b.type);
  uint8_t raw[4] = {0, 0, 0, 0};
  for (int k = 0; k < n; ++k) {
    const int64_t at = i * n + k;
    if (at >= 0 && at < static_cast<int64_t>(b.bytes.size())) raw[k] = b.bytes[at];
  }
  if (b.type == 1) return raw[0];
  if (b.type == 2) return raw[0] + 256 * raw[1];
  float f;
  uint32_t u = raw[0] | (raw[1] << 8) | (raw[2] << 16) | (uint32_t{raw[3]} << 24);
  std::memcpy(&f, &u, 4);
  return f;
}

uint8_t FirstByte(const TestBand& b, int64_t i) {
  const int64_t at = i * 4;
  return at < static_cast<int64_t>(b.bytes.size()) ? b.bytes[at] : 0;
}

}  // namespace

ReferenceDisplay ReferenceLoad(const TestBand* channels[3], int imagePixels, int top, int lines,
                               int left, int count, int step) {
  ReferenceDisplay d;
  d.width = count / step;
  d.height = lines / step;
  const int stride = (d.width * 3 + 3) / 4 * 4;
  d.bits.assign(static_cast<size_t>(stride) * d.height, 0);
  for (int c = 0; c < 3; ++c) {
    const TestBand& b = *channels[c];
    float lo = 0.0f, hi = 0.0f;
    if (b.type == 2) hi = 65535.0f;
    if (b.type == 3) {
      bool any = false;
      const int rows = d.height < 100 ? d.height : 100;
      const int cols = d.width < 100 ? d.width : 100;
      int rowGap = (d.height - 100) / 100, colGap = (d.width - 100) / 100;
      if (rowGap < 1) rowGap = 1;
      if (colGap < 1) colGap = 1;
      for (int r = 0; r < rows; ++r)
        for (int k = 0; k < cols; ++k) {
          const int64_t i = int64_t{top + r * rowGap} * imagePixels + left + k * colGap;
          if (i * 4 + 4 > static_cast<int64_t>(b.bytes.size())) continue;
          if (FirstByte(b, i) == 255) continue;
          const float v = static_cast<float>(Sample(b, i));
          if (std::isnan(v) || std::isinf(v)) continue;
          if (!any || v < lo) lo = v;
          if (!any || v > hi) hi = v;
          any = true;
        }
    }
    if (hi - lo < 1.1920929e-07) hi = static_cast<float>(lo + 2.3841858e-07);
    const float s = 255 / (hi - lo);
    for (int y = 0; y < d.height; ++y)
      for (int x = 0; x < d.width; ++x) {
        const int64_t i = int64_t{top + y * step} * imagePixels + left + x * step;
        int v;
        if (b.type == 1) {
          v = static_cast<int>(Sample(b, i));
        } else {
          const float f = (static_cast<float>(Sample(b, i)) - lo) * s;
          v = std::isnan(f) ? 0 : f <= -1.0f ? 0 : f >= 256.0f ? 255 : static_cast<int>(f);
          if (v < 0) v = 0;
          if (v > 255) v = 255;
        }
        d.bits[static_cast<size_t>(d.height - 1 - y) * stride + 3 * x + c] =
            static_cast<uint8_t>(v);
        if (v < d.dispMin) d.dispMin = static_cast<float>(v);
        if (v > d.dispMax) d.dispMax = static_cast<float>(v);
      }
  }
  return d;
}

}  // namespace lumora::test
