// File sets: the files of one image share a base name in one folder, so
// copying or deleting a set is one call with base + ".*". Names are never
// patterns: "*" and "?" in a name are the characters themselves.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lumora {

// Whether a name matches what FindFiles is given: "base.*" stands for every
// name "base.<anything>", any other text for itself; without regard to ASCII
// case, as old data sets carry ".B01" and "TOKYO.INF".
bool NameMatches(std::string_view wanted, std::string_view name);

// Files (not folders) of the folder whose names match the last component as
// NameMatches says, sorted by name. An unreadable folder gives no files.
std::vector<std::filesystem::path> FindFiles(const std::filesystem::path& pattern);

// A band file or description suffix (the text after the last dot): a letter
// b, i, r (8-bit, 16-bit, float samples) or d (description), in either case,
// then one to three digits giving 1..255.
struct BandSuffix {
  char letter = 0;  // lower case; 0 when the text is no such suffix
  int band = 0;
  // 1..3 for a band file, 0 for a description or anything else.
  int SampleType() const { return letter == 'b' ? 1 : letter == 'i' ? 2 : letter == 'r' ? 3 : 0; }
};
BandSuffix ParseBandSuffix(std::string_view ext);

// The text after a file's last dot, in lower case ("x.B01" -> "b01").
std::string LowerExtension(const std::filesystem::path& file);

// Extensions of the files a file set is made of: settings "inf", bands
// "bNN" / "iNN" / "rNN", descriptions "dNN", "ndv", "mlk", "kmc" (group means), "mck" (check
// areas), "lev", "dem", "brd" (any case).
bool IsFileSetExtension(std::string_view ext);
// The files of the set base names: "name.<set extension>" without regard to
// case (as the set's readers find them), not folders and not the user's
// other files of that name ("name.txt", "name.inf.bak").
std::vector<std::filesystem::path> SetFiles(const std::string& base);

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
