// Reading the small text files of a file set (settings, descriptions,
// legends, ranges, display states): through OpenRegularFile, so that a FIFO,
// a folder or a device in a file's place is refused instead of read, and
// never beyond a bound, so that a huge file cannot take the memory.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace lumora {

// True when path is a regular file (links followed) that can be opened for
// reading; nothing is read, and a FIFO is not waited for.
bool IsReadableRegularFile(const std::filesystem::path& path);

enum class TextRead {
  kOk,
  kCannotOpen,  // missing, unreadable or not a regular file
  kTooLarge,    // longer than the bound; text holds its first maxBytes
};

// Reads a whole text file into text (replacing it), at most maxBytes of it.
TextRead ReadTextFile(const std::filesystem::path& path, size_t maxBytes, std::string& text);

// Bounds of the text files of a file set: far above what the program writes
// (a settings file is under 1 KiB, a legend file with every class under
// 32 KiB), far below what would hurt to hold.
inline constexpr size_t kMaxSettingsFileBytes = size_t{1} << 20;
inline constexpr size_t kMaxLegendFileBytes = size_t{1} << 20;
inline constexpr size_t kMaxRangeFileBytes = size_t{1} << 16;
// A band description is its first line; more than this is not looked at.
inline constexpr size_t kMaxDescriptionBytes = 4096;

}  // namespace lumora
