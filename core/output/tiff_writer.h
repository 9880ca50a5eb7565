// Uncompressed baseline RGB TIFF writer (TIFF 6.0): big-endian, one strip,
// 13 directory entries, resolution in pixels per centimetre.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/output/bitmap_source.h"

namespace lumora {

class Messenger;
class ProgressSink;

class CTiffWriter {
 public:
  explicit CTiffWriter(Messenger& messenger, ProgressSink* progress = nullptr);

  // As CJpegEncoder::ReadData.
  bool ReadData(std::span<const uint8_t> bits, const BitmapHeader* header, int alignment);
  // Writes the file; an existing file is replaced only by a complete one.
  bool SaveTiff(const std::string& path);
  // The whole file in memory; false when no bitmap is set or memory runs out.
  bool Encode(std::string& out);

  // Size of the file for an image: the 192-byte header plus the pixels.
  static int64_t FileSize(int32_t width, int32_t height) {
    return 192 + int64_t{width} * height * 3;
  }

 private:
  Messenger& m_messenger;
  ProgressSink* m_progress;
  BitmapSource m_bitmap;
};

}  // namespace lumora
