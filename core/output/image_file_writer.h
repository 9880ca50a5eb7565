// Saves a 24-bit bitmap as JPEG or TIFF, chosen by the file name's extension.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/output/bitmap_source.h"

namespace lumora {

class Messenger;
class ProgressSink;

enum class ImageFileKind { kNone, kJpeg, kTiff };

// By the text after the path's last ".", upper-cased: "JPG" or "TIF".
ImageFileKind ImageFileKindOf(const std::string& path);

class CImageFileWriter {
 public:
  explicit CImageFileWriter(Messenger& messenger, ProgressSink* progress = nullptr);

  // True when the file was written. The writers report their own failures;
  // an extension other than JPG or TIF writes nothing and shows
  // writer_text::kNotImageFileName.
  bool SaveImageFile(const std::string& path, std::span<const uint8_t> bits,
                     const BitmapHeader* header, int alignment, float ratio);

  // A display image (4-byte rows) with its resolution in pixels per metre:
  // kPageXPelsPerMeter / kPageYPelsPerMeter for the annotated page,
  // kScreenPelsPerMeter otherwise. The ratio matters only for JPEG.
  bool SaveImageFile(const std::string& path, const Dib& dib, float ratio, int32_t xPelsPerMeter,
                     int32_t yPelsPerMeter);

 private:
  Messenger& m_messenger;
  ProgressSink* m_progress;
};

}  // namespace lumora
