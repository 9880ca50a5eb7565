#include "core/support/regular_file.h"

#include <cstdio>

#include "core/support/file_handle.h"

namespace lumora {

bool IsReadableRegularFile(const std::filesystem::path& path) {
  return OpenRegularFile(path.string()) != nullptr;
}

TextRead ReadTextFile(const std::filesystem::path& path, size_t maxBytes, std::string& text) {
  text.clear();
  const FilePtr f = OpenRegularFile(path.string());
  if (!f) return TextRead::kCannotOpen;
  char buf[16384];
  while (text.size() <= maxBytes) {
    const size_t got = std::fread(buf, 1, sizeof buf, f.get());
    if (got == 0) break;
    text.append(buf, got);
  }
  if (std::ferror(f.get())) return TextRead::kCannotOpen;
  if (text.size() > maxBytes) {
    text.resize(maxBytes);
    return TextRead::kTooLarge;
  }
  return TextRead::kOk;
}

}  // namespace lumora
