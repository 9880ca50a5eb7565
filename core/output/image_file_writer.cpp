#include "core/output/image_file_writer.h"

#include "core/output/jpeg_encoder.h"
#include "core/output/tiff_writer.h"
#include "core/support/messenger.h"

namespace lumora {

ImageFileKind ImageFileKindOf(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return ImageFileKind::kNone;
  std::string ext = path.substr(dot + 1);
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (ext == "JPG") return ImageFileKind::kJpeg;
  if (ext == "TIF") return ImageFileKind::kTiff;
  return ImageFileKind::kNone;
}

CImageFileWriter::CImageFileWriter(Messenger& messenger, ProgressSink* progress)
    : m_messenger(messenger), m_progress(progress) {}

bool CImageFileWriter::SaveImageFile(const std::string& path, std::span<const uint8_t> bits,
                                     const BitmapHeader* header, int alignment, float ratio) {
  switch (ImageFileKindOf(path)) {
    case ImageFileKind::kJpeg: {
      CJpegEncoder encoder(m_messenger, m_progress);
      return encoder.ReadData(bits, header, alignment) && encoder.SaveJpeg(path, ratio);
    }
    case ImageFileKind::kTiff: {
      CTiffWriter writer(m_messenger, m_progress);
      return writer.ReadData(bits, header, alignment) && writer.SaveTiff(path);
    }
    case ImageFileKind::kNone: break;
  }
  // Saying nothing here would leave the user wondering where the file went.
  m_messenger.ShowText(writer_text::kTitle, writer_text::kNotImageFileName);
  return false;
}

bool CImageFileWriter::SaveImageFile(const std::string& path, const Dib& dib, float ratio,
                                     int32_t xPelsPerMeter, int32_t yPelsPerMeter) {
  const BitmapHeader header = HeaderOf(dib, xPelsPerMeter, yPelsPerMeter);
  return SaveImageFile(path, dib.bits, &header, 0, ratio);
}

}  // namespace lumora
