// Test helpers for the JPEG writer: a plain reference computation of the
// quantised coefficients (the textbook quadruple sum, one pixel at a time)
// and a small baseline decoder that reads the entropy-coded data back into
// coefficients, so that a test can compare the two bit for bit.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace lumora::test {

using Block = std::array<int32_t, 64>;  // natural (row-major) order

// Natural index of each zig-zag position, walked along the anti-diagonals.
std::array<int, 64> ZigZagOrder();

// A decoded baseline file: its segments and every block in file order
// (per MCU: four Y, Cb, Cr), with DC prediction undone.
struct DecodedJpeg {
  int width = 0;
  int height = 0;
  std::vector<std::pair<int, std::string>> segments;  // marker, payload
  std::map<int, Block> quant;                         // table id -> natural order
  std::vector<Block> blocks;
  bool fillAllOnes = true;  // the bits after the last block
  std::string error;        // empty when the file decoded
};

DecodedJpeg DecodeBaseline(const std::string& file);

// Quantised coefficients of a 24-bit bottom-up bitmap as the writer must
// produce them, using the divisors given (natural order).
std::vector<Block> ReferenceBlocks(const uint8_t* bits, int width, int height, int64_t stride,
                                   const Block& lumaDivisors, const Block& chromaDivisors);

// A 24-bit bottom-up bitmap (rows padded to `align` bytes) of a smooth
// picture with edges; `noise` adds that much uniform noise per channel.
// The golden files of the writer tests are made from it: keep it as it is.
std::vector<uint8_t> TestPicture(int width, int height, int align, int noise, uint32_t seed);

// The pixels of a 24-bit bottom-up bitmap as RGB bytes, top line first.
std::vector<uint8_t> TopDownRgb(const uint8_t* bits, int width, int height, int64_t stride);

// Peak signal-to-noise ratio in dB between two RGB images of equal size.
double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

}  // namespace lumora::test
