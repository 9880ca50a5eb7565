// The 24-bit display image: rows stored bottom-up (the last image row
// first), each row 3 x width bytes rounded up to a multiple of 4, each pixel
// blue, green, red. Export and printing use the same layout.
#pragma once

#include <cstdint>
#include <vector>

#include "core/support/allocation.h"
#include "core/support/checked_math.h"

namespace lumora {

struct Dib {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> bits;  // zero-filled on creation

  static int64_t StrideFor(int32_t width) { return (int64_t{width} * 3 + 3) / 4 * 4; }
  int64_t Stride() const { return StrideFor(width); }
  // Bytes of the whole image (the header's image size).
  int64_t SizeBytes() const { return Stride() * height; }
  bool Empty() const { return bits.empty(); }

  // Allocates a zero-filled image; false (and unchanged) when the size is
  // not positive or the memory cannot be had.
  bool Create(int32_t w, int32_t h) {
    if (w < 1 || h < 1) return false;
    auto bytes = CheckedMul(StrideFor(w), h);
    if (!AllocatableBytes(bytes)) return false;
    std::vector<uint8_t> fresh;
    if (!TryAllocate([&] { fresh.assign(static_cast<size_t>(*bytes), 0); })) return false;
    bits.swap(fresh);
    width = w;
    height = h;
    return true;
  }

  // Row of the bitmap as stored (0 = bottom image row).
  uint8_t* StoredRow(int32_t r) { return bits.data() + Stride() * r; }
  const uint8_t* StoredRow(int32_t r) const { return bits.data() + Stride() * r; }
  // Row y counted from the top of the image.
  uint8_t* TopRow(int32_t y) { return StoredRow(height - 1 - y); }
  const uint8_t* TopRow(int32_t y) const { return StoredRow(height - 1 - y); }
};

}  // namespace lumora
