// Baseline sequential JFIF writer (JPEG ITU-T T.81): YCbCr with 4:2:0
// sampling taken from the top-left pixel of each 2 x 2 group, a direct 8 x 8
// DCT in double precision, the example quantisation tables of Annex K scaled
// by a compression ratio, and the typical Huffman tables of Annex K.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/output/bitmap_source.h"

namespace lumora {

class Messenger;
class ProgressSink;

class CJpegEncoder {
 public:
  explicit CJpegEncoder(Messenger& messenger, ProgressSink* progress = nullptr);

  // Takes the bitmap (not copied: it must outlive SaveJpeg). The alignment
  // flag > 0 means rows padded to 2 bytes, otherwise to 4. False with a
  // message when the bitmap cannot be used.
  bool ReadData(std::span<const uint8_t> bits, const BitmapHeader* header, int alignment);

  // Writes the file; the ratio (0.0 best quality ... 1.0 the standard tables)
  // must lie in [0, 1]. An existing file is replaced only by a complete one.
  bool SaveJpeg(const std::string& path, float ratio);

  // The whole file in memory, without messages about files; false when the
  // ratio is out of range, no bitmap is set or memory runs out.
  bool Encode(float ratio, std::string& out);

  // The plain stages (scalar colour conversion, direct transform and
  // division) instead of the fast ones, which must write the same bytes.
  void UsePlainStages(bool plain) { m_plain = plain; }

  // Quantisation divisors of a ratio, in natural (row-major) order.
  static void Divisors(float ratio, uint8_t luminance[64], uint8_t chrominance[64]);

 private:
  Messenger& m_messenger;
  ProgressSink* m_progress;
  BitmapSource m_bitmap;
  float m_ratio = 1.0f;
  bool m_plain = false;
};

// The ratio chosen on the quality slider (0 ... 100).
float JpegRatioFromSlider(int position);

}  // namespace lumora
