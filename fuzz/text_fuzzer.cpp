// Fuzz target for band descriptions (.dNN) and the text-encoding helpers:
// whatever the bytes, the program gets valid UTF-8 of bounded length, a
// description written back reads back, and nothing shown on a terminal
// carries a control byte.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/imagefile/band_catalogue.h"
#include "core/support/text.h"
#include "core/support/text_encoding.h"
#include "fuzz/fuzz_support.h"

using lumora::fuzz::Check;

namespace {

bool HasControlByte(const std::string& s) {
  for (unsigned char c : s)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

}  // namespace

int LumoraFuzzText(const uint8_t* data, size_t size) {
  const std::string_view bytes = lumora::fuzz::AsText(data, size);
  const std::string utf8 = lumora::ToUtf8FromFile(bytes);
  Check(lumora::IsValidUtf8(utf8));
  if (lumora::IsValidUtf8(bytes)) Check(utf8 == bytes);
  const std::string cp932 = lumora::ToCp932(utf8);
  Check(lumora::IsValidUtf8(lumora::ToUtf8FromFile(cp932)));
  const size_t cut = size % 97;
  const std::string truncated = lumora::TruncateUtf8(utf8, cut);
  Check(truncated.size() <= cut && lumora::IsValidUtf8(truncated));
  Check(utf8.compare(0, truncated.size(), truncated) == 0);
  Check(!HasControlByte(lumora::EscapeControlCharacters(utf8)));

  const std::string base = lumora::fuzz::Folder() + "/t";
  lumora::fuzz::WriteInput("t.d01", bytes);
  const std::string description = lumora::ReadBandDescription(base, 1);
  Check(lumora::IsValidUtf8(description) && description.size() <= 3 * 79);
  Check(!HasControlByte(lumora::EscapeControlCharacters(description)));
  // What the program writes it reads back, as far as CP932 can hold it.
  if (lumora::WriteBandDescription(base, 2, description)) {
    const std::string again = lumora::ReadBandDescription(base, 2);
    Check(lumora::IsValidUtf8(again));
    if (lumora::ToCp932(description).size() <= 79 &&
        lumora::ToUtf8FromFile(lumora::ToCp932(description)) == description &&
        description.find('\r') == std::string::npos)
      Check(again == description);
  }
  return 0;
}

#ifdef LUMORA_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return LumoraFuzzText(data, size);
}
#endif
