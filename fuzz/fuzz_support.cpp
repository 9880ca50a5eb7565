#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace lumora::fuzz {

const std::string& Folder() {
  // Never destroyed, so that the clean-up at exit can still name it.
  static const std::string* folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumora-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    auto* made = new std::string(pattern);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(Folder(), ec);
    });
    return made;
  }();
  return *folder;
}

std::string WriteInput(const std::string& name, std::string_view bytes) {
  const std::string path = Folder() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) std::abort();
  return path;
}

}  // namespace lumora::fuzz
