#include "core/output/tiff_writer.h"

#include "core/support/allocation.h"
#include "core/support/checked_math.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "core/support/string_table.h"

namespace lumora {
namespace {

constexpr uint16_t kShort = 3;
constexpr uint16_t kLong = 4;
constexpr uint16_t kRational = 5;
constexpr uint32_t kBitsOffset = 170;
constexpr uint32_t kXResOffset = 176;
constexpr uint32_t kYResOffset = 184;
constexpr uint32_t kPixelOffset = 192;

class BigEndian {
 public:
  explicit BigEndian(char* p) : m_p(p) {}
  void U16(uint32_t v) {
    *m_p++ = static_cast<char>(v >> 8);
    *m_p++ = static_cast<char>(v);
  }
  void U32(uint32_t v) {
    U16(v >> 16);
    U16(v & 0xFFFF);
  }
  // A directory entry; a SHORT value sits in the first two value bytes.
  void Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    U16(tag);
    U16(type);
    U32(count);
    if (type == kShort && count == 1) {
      U16(value);
      U16(0);
    } else {
      U32(value);
    }
  }

 private:
  char* m_p;
};

// A negative resolution from a hostile header would read as a huge unsigned one.
uint32_t Resolution(int32_t pelsPerMeter) {
  return pelsPerMeter < 0 ? 0 : static_cast<uint32_t>(pelsPerMeter);
}

}  // namespace

CTiffWriter::CTiffWriter(Messenger& messenger, ProgressSink* progress)
    : m_messenger(messenger), m_progress(progress) {}

bool CTiffWriter::ReadData(std::span<const uint8_t> bits, const BitmapHeader* header,
                           int alignment) {
  return AcceptBitmap(bits, header, alignment, m_messenger, m_bitmap);
}

bool CTiffWriter::Encode(std::string& out) {
  if (!m_bitmap.Valid()) return false;
  const int32_t w = m_bitmap.width;
  const int32_t h = m_bitmap.height;
  const int64_t size = FileSize(w, h);
  if (!AllocatableBytes(size)) return false;
  if (!TryAllocate([&] { out.assign(static_cast<size_t>(size), '\0'); })) return false;
  BigEndian be(out.data());
  be.U16(0x4D4D);  // "MM"
  be.U16(42);
  be.U32(8);
  be.U16(13);
  be.Entry(256, kShort, 1, static_cast<uint32_t>(w));
  be.Entry(257, kShort, 1, static_cast<uint32_t>(h));
  be.Entry(258, kShort, 3, kBitsOffset);
  be.Entry(259, kShort, 1, 1);
  be.Entry(262, kShort, 1, 2);
  be.Entry(273, kLong, 1, kPixelOffset);
  be.Entry(277, kShort, 1, 3);
  be.Entry(278, kShort, 1, static_cast<uint32_t>(h));
  be.Entry(279, kLong, 1, static_cast<uint32_t>(int64_t{w} * h * 3));
  be.Entry(282, kRational, 1, kXResOffset);
  be.Entry(283, kRational, 1, kYResOffset);
  be.Entry(284, kShort, 1, 1);
  be.Entry(296, kShort, 1, 3);
  be.U32(0);
  be.U16(8);
  be.U16(8);
  be.U16(8);
  be.U32(Resolution(m_bitmap.xPelsPerMeter));
  be.U32(100);
  be.U32(Resolution(m_bitmap.yPelsPerMeter));
  be.U32(100);

  Progress progress(m_progress);
  progress.Create(h / 100, writer_text::kSaving);
  auto* dst = reinterpret_cast<uint8_t*>(out.data()) + kPixelOffset;
  for (int32_t y = 0; y < h; ++y) {
    progress.SetProgress(static_cast<float>(y) / h);
    const uint8_t* src = m_bitmap.TopRow(y);
    for (int32_t x = 0; x < w; ++x, src += 3, dst += 3) {
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
  return true;
}

bool CTiffWriter::SaveTiff(const std::string& path) {
  // The data are checked before the file is touched, so a call without data
  // cannot empty an existing file.
  if (!m_bitmap.Valid()) {
    m_messenger.ShowText(writer_text::kTitle, writer_text::kNoData);
    return false;
  }
  std::string file;
  if (!Encode(file)) {
    m_messenger.ShowMessage(kMsgNoMemory);
    return false;
  }
  return PlaceWrittenFile(path, file, m_messenger);
}

}  // namespace lumora
