#include "core/support/file_set.h"

#include <algorithm>
#include <system_error>

#include "core/support/file_handle.h"
#include "core/support/text.h"

namespace fs = std::filesystem;

namespace lumora {

bool NameMatches(std::string_view wanted, std::string_view name) {
  const bool wholeSet = wanted.size() >= 2 && wanted.substr(wanted.size() - 2) == ".*";
  if (!wholeSet) return EqualsNoCase(wanted, name);
  const std::string_view prefix = wanted.substr(0, wanted.size() - 1);  // "base."
  return name.size() > prefix.size() && EqualsNoCase(name.substr(0, prefix.size()), prefix);
}

std::vector<fs::path> FindFiles(const fs::path& pattern) {
  std::vector<fs::path> found;
  fs::path folder = pattern.parent_path();
  if (folder.empty()) folder = ".";
  const std::string glob = pattern.filename().string();
  std::error_code ec;
  fs::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name == "." || name == "..") continue;
    std::error_code sec;
    if (it->is_directory(sec)) continue;
    if (NameMatches(glob, name)) found.push_back(it->path());
  }
  std::sort(found.begin(), found.end());
  return found;
}

bool CopyFiles(const fs::path& pattern, const fs::path& folder, const std::string& newBase) {
  const auto files = FindFiles(pattern);
  if (files.empty()) return false;
  for (const auto& src : files) {
    const std::string name = src.filename().string();
    const size_t dot = name.rfind('.');
    const std::string ext = dot == std::string::npos ? name : name.substr(dot + 1);
    const fs::path target = newBase.empty() ? folder / name : folder / (newBase + "." + ext);
    std::error_code ec;
    if (fs::exists(target, ec) && fs::equivalent(src, target, ec)) return false;
    fs::copy_file(src, target, fs::copy_options::overwrite_existing, ec);
    if (ec) return false;
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                    ec);
    fs::last_write_time(target, fs::file_time_type::clock::now(), ec);
    StartWriteBack(target.string());
  }
  return true;
}

bool DeleteFiles(const fs::path& pattern) {
  for (const auto& f : FindFiles(pattern)) {
    std::error_code ec;
    if (!fs::remove(f, ec) || ec) return false;
  }
  return true;
}

BandSuffix ParseBandSuffix(std::string_view ext) {
  if (ext.size() < 2 || ext.size() > 4) return {};
  const char letter = static_cast<char>(ext[0] | 0x20);
  if (letter != 'b' && letter != 'i' && letter != 'r' && letter != 'd') return {};
  int n = 0;
  for (char c : ext.substr(1)) {
    if (c < '0' || c > '9') return {};
    n = n * 10 + (c - '0');
  }
  if (n < 1 || n > 255) return {};
  return {letter, n};
}

std::string LowerExtension(const fs::path& file) {
  const std::string ext = file.extension().string();
  return ToLowerAscii(ext.empty() ? ext : ext.substr(1));
}

bool IsFileSetExtension(std::string_view ext) {
  const std::string e = ToLowerAscii(ext);
  if (e == "inf" || e == "brd" || e == "ndv" || e == "mlk" || e == "kmc" || e == "mck" ||
      e == "dem" || e == "lev")
    return true;
  return ParseBandSuffix(e).letter != 0;
}

std::vector<fs::path> SetFiles(const std::string& base) {
  std::vector<fs::path> found;
  const std::string name = fs::path(base).filename().string() + ".";
  for (const auto& f : FindFiles(base + ".*")) {
    const std::string file = f.filename().string();
    if (IsFileSetExtension(file.substr(name.size()))) found.push_back(f);
  }
  return found;
}

fs::path ResolveNoCase(const fs::path& path) {
  std::error_code ec;
  if (fs::exists(path, ec)) return path;
  fs::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  const std::string want = path.filename().string();
  fs::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    if (EqualsNoCase(it->path().filename().string(), want))
      return path.parent_path() / it->path().filename();
  }
  return path;
}

std::string StripExtension(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return path;
  return path.substr(0, dot);
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

}  // namespace lumora
