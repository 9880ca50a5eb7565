// Test images on disk and a plain reference of the display loader, written
// straight from the rules (whole files in memory, one sample at a time), for
// bit-exact comparison with the streaming loader.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace lumora::test {

// One band file: its sample type (1, 2, 3) and its raw bytes.
struct TestBand {
  int type = 1;
  std::vector<uint8_t> bytes;
};

// Writes base + ".inf" (LINE, PIXEL and the extra lines) and one file per
// band (base + ".%c%02d"); returns the settings path.
std::string WriteTestImage(const std::string& base, int pixels, int lines,
                           const std::map<int, TestBand>& bands, const std::string& extraInf = "");

std::vector<uint8_t> Bytes16(const std::vector<uint16_t>& samples);
std::vector<uint8_t> BytesFloat(const std::vector<float>& samples);
// Deterministic pseudo-random bytes.
std::vector<uint8_t> NoiseBytes(size_t count, unsigned seed);

struct ReferenceDisplay {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bits;  // bottom-up, padded rows, blue green red
  float dispMin = 255.0f;
  float dispMax = 0.0f;
};

// The display of three bands (blue, green, red) of a pixels-wide image, for
// the area (top, lines, left, count) at a step, with the range reset.
ReferenceDisplay ReferenceLoad(const TestBand* channels[3], int imagePixels, int top, int lines,
                               int left, int count, int step);

}  // namespace lumora::test
