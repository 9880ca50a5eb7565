#include "core/support/file_set.h"

#include <algorithm>
#include <system_error>

#include "core/support/text.h"

namespace fs = std::filesystem;

namespace lumora {

static char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool WildcardMatch(std::string_view p, std::string_view n) {
  size_t pi = 0, ni = 0, star = std::string_view::npos, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || Lower(p[pi]) == Lower(n[ni]))) {
      ++pi;
      ++ni;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++;
      mark = ni;
    } else if (star != std::string_view::npos) {
      pi = star + 1;
      ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
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
    if (WildcardMatch(glob, name)) found.push_back(it->path());
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
