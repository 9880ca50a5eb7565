// File sets: the files of one image share a base name in one folder, so
// copying or deleting a set is one call with the pattern base + ".*".
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

// Wildcard match of a file name ('*' any run, '?' one character), without
// regard to ASCII case, as the directory search of the original system did.
bool WildcardMatch(std::string_view pattern, std::string_view name);

// Regular files of the pattern's folder whose names match its last component,
// sorted by name. An unreadable folder gives no files.
std::vector<std::filesystem::path> FindFiles(const std::filesystem::path& pattern);

// Copies every file matching the pattern into the folder, under the new base
// name (keeping each file's extension, the text after its last ".") or under
// its own name when newBase is empty. The copies are writable and carry the
// current time. 1 when every file was copied, 0 when nothing matched or a
// copy failed.
bool CopyFiles(const std::filesystem::path& pattern, const std::filesystem::path& folder,
               const std::string& newBase);

// Deletes every file matching the pattern; true when all went or none matched.
bool DeleteFiles(const std::filesystem::path& pattern);

// The path as given when it exists; otherwise a file of the same folder whose
// name equals it without regard to case (old data sets carry ".B01", ".LEV");
// otherwise the path as given.
std::filesystem::path ResolveNoCase(const std::filesystem::path& path);

// The path without its last extension ("a/b.inf" -> "a/b").
std::string StripExtension(const std::string& path);
// The file name without folder and last extension ("a/tokyo.inf" -> "tokyo").
std::string BaseName(const std::string& path);

}  // namespace lumora
