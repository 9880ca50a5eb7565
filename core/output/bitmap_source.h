// The information header of an uncompressed device-independent bitmap as the
// image writers need it, the checked view of its rows they read, and the
// literal texts those writers report.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/view/dib.h"

namespace lumora {

struct BitmapHeader {
  int32_t width = 0;
  int32_t height = 0;  // rows are stored bottom-up
  uint16_t bitCount = 24;
  uint32_t compression = 0;  // 0: uncompressed
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
};

// Resolutions of an exported display: the A4 page with map annotations, or the
// display image itself.
inline constexpr int32_t kPageXPelsPerMeter = 4761;
inline constexpr int32_t kPageYPelsPerMeter = 4760;
inline constexpr int32_t kScreenPelsPerMeter = 2835;  // 72 dots per inch

// Header of a display image (24 bits, 4-byte rows).
inline BitmapHeader HeaderOf(const Dib& dib, int32_t xPelsPerMeter, int32_t yPelsPerMeter) {
  return BitmapHeader{dib.width, dib.height, 24, 0, xPelsPerMeter, yPelsPerMeter};
}

// Texts the writers show; they are not in the string table.
namespace writer_text {
inline constexpr const char* kTitle = "Lumora Zud's";
inline constexpr const char* kReadFailed = "DIBデータの読み込みに失敗しました．";
inline constexpr const char* kUnsupported = "BMP形式未対応です．";
inline constexpr const char* kBadRatio = "圧縮率は0.0-1.0の間で設定してください．";
inline constexpr const char* kCreateFailed = "出力ファイルを作成できませんでした．";
inline constexpr const char* kNoData =
    "BMPデータがセットさせていません．\nReadBMPFile又はReadDataを先に実行してください．";
inline constexpr const char* kSaving = "保存中";
// Our own: a name that is neither .jpg nor .tif.
inline constexpr const char* kNotImageFileName = "JPG又はTIF形式のファイル名を指定してください．";
}  // namespace writer_text

class Messenger;

// A bitmap accepted by a writer: 24 bits per pixel, rows bottom-up.
struct BitmapSource {
  const uint8_t* bits = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int64_t stride = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;

  bool Valid() const { return bits != nullptr; }
  // Image line y counted from the top.
  const uint8_t* TopRow(int32_t y) const { return bits + stride * (height - 1 - y); }
};

// Checks a bitmap as both writers do: no bits or no header -> kReadFailed; a
// compressed bitmap or one that is not 24 bits per pixel -> kUnsupported.
// Also refused with kUnsupported: sizes below 1 or above 65535 (neither file
// format can describe them); with kReadFailed: fewer bits than the header
// promises. A positive alignment flag means 2-byte rows, otherwise 4-byte.
bool AcceptBitmap(std::span<const uint8_t> bits, const BitmapHeader* header, int alignment,
                  Messenger& messenger, BitmapSource& out);

// Puts a finished file in place: written beside the target and renamed over
// it only when complete, so a failure leaves an existing file as it was. A
// target that may not be written is refused. kCreateFailed on failure.
bool PlaceWrittenFile(const std::string& path, const std::string& content, Messenger& messenger);

}  // namespace lumora
