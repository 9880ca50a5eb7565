#include "core/output/bitmap_source.h"

#include <unistd.h>

#include <filesystem>

#include "core/imagefile/settings_file.h"
#include "core/support/checked_math.h"
#include "core/support/messenger.h"

namespace lumora {

bool AcceptBitmap(std::span<const uint8_t> bits, const BitmapHeader* header, int alignment,
                  Messenger& messenger, BitmapSource& out) {
  out = BitmapSource{};
  if (bits.empty() || header == nullptr) {
    messenger.ShowText(writer_text::kTitle, writer_text::kReadFailed);
    return false;
  }
  if (header->compression != 0 || header->bitCount != 24 || header->width < 1 ||
      header->height < 1 || header->width > 65535 || header->height > 65535) {
    messenger.ShowText(writer_text::kTitle, writer_text::kUnsupported);
    return false;
  }
  const int64_t unit = alignment > 0 ? 2 : 4;
  const int64_t stride = (int64_t{header->width} * 3 + unit - 1) / unit * unit;
  // The last row needs only its pixels, not its padding.
  const auto needed = CheckedAdd(stride * (header->height - 1), int64_t{header->width} * 3);
  if (!needed || static_cast<uint64_t>(*needed) > bits.size()) {
    messenger.ShowText(writer_text::kTitle, writer_text::kReadFailed);
    return false;
  }
  out.bits = bits.data();
  out.width = header->width;
  out.height = header->height;
  out.stride = stride;
  out.xPelsPerMeter = header->xPelsPerMeter;
  out.yPelsPerMeter = header->yPelsPerMeter;
  return true;
}

bool PlaceWrittenFile(const std::string& path, const std::string& content, Messenger& messenger) {
  std::error_code ec;
  const bool exists = std::filesystem::exists(path, ec);
  if ((exists && access(path.c_str(), W_OK) != 0) || !WriteFileAtomically(path, content)) {
    messenger.ShowText(writer_text::kTitle, writer_text::kCreateFailed);
    return false;
  }
  return true;
}

}  // namespace lumora
