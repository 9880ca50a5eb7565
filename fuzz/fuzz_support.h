// Shared by the fuzz targets: a private folder for the targets whose parsers
// read files, so that they run the very code the program runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace lumora::fuzz {

// A folder of this process, made on first use and removed at exit.
const std::string& Folder();
// Writes bytes to Folder() + "/" + name and returns the path.
std::string WriteInput(const std::string& name, std::string_view bytes);
// Aborts (a finding) when the condition fails.
inline void Check(bool condition) {
  if (!condition) std::abort();
}
inline std::string_view AsText(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace lumora::fuzz
