// Text from data files may be UTF-8 or CP932 (Shift_JIS); inside the program
// all text is UTF-8. Texts written into data files are CP932 so that the
// files stay readable by the tools of existing users.
#pragma once

#include <string>
#include <string_view>

namespace lumora {

bool IsValidUtf8(std::string_view s);
// UTF-8 text as it is; anything else is decoded as CP932 (undecodable bytes
// become U+FFFD).
std::string ToUtf8FromFile(std::string_view bytes);
// UTF-8 to CP932; characters CP932 lacks become '?'.
std::string ToCp932(std::string_view utf8);
// Cuts UTF-8 text to at most maxBytes without splitting a character.
std::string TruncateUtf8(std::string_view s, size_t maxBytes);

}  // namespace lumora
