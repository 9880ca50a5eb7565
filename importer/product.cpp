#include "importer/product.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "core/imagefile/settings_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora::importer {

namespace fs = std::filesystem;

namespace {

// A source band and the TM band number it takes, with its wavelength.
struct BandRole {
  const char* source;  // band name in the product
  int number;          // TM band number
  const char* text;    // description after the instrument name
  bool required;
};

// Landsat 8/9: OLI 2-7 and TIRS 10 take the TM band numbers.
constexpr std::array<BandRole, 7> kLandsatRoles{{
    {"2", 1, "バンド2 青 0.45-0.51μm", true},
    {"3", 2, "バンド3 緑 0.53-0.59μm", true},
    {"4", 3, "バンド4 赤 0.64-0.67μm", true},
    {"5", 4, "バンド5 近赤外 0.85-0.88μm", true},
    {"6", 5, "バンド6 短波長赤外 1.57-1.65μm", true},
    {"10", 6, "バンド10 熱赤外 10.60-11.19μm", false},
    {"7", 7, "バンド7 短波長赤外 2.11-2.29μm", true},
}};

constexpr std::array<BandRole, 6> kSentinelRoles{{
    {"02", 1, "バンド2 青 0.46-0.52μm", true},
    {"03", 2, "バンド3 緑 0.54-0.58μm", true},
    {"04", 3, "バンド4 赤 0.65-0.68μm", true},
    {"08", 4, "バンド8 近赤外 0.78-0.90μm", true},
    {"11", 5, "バンド11 短波長赤外 1.57-1.66μm", true},
    {"12", 7, "バンド12 短波長赤外 2.10-2.28μm", true},
}};

std::string ReadText(const fs::path& path, size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::string text(limit, '\0');
  in.read(text.data(), static_cast<std::streamsize>(limit));
  text.resize(static_cast<size_t>(in.gcount()));
  return text;
}

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && EqualsNoCase(s.substr(s.size() - tail.size()), tail);
}

// Whether file, links followed, is a regular file inside folder: a link in
// a product may not bring in a file from anywhere else.
bool RegularFileInside(const fs::path& file, const fs::path& folder) {
  std::error_code ec;
  const fs::path real = fs::canonical(file, ec);
  if (ec || !fs::is_regular_file(real, ec)) return false;
  const fs::path root = fs::canonical(folder.empty() ? fs::path(".") : folder, ec);
  if (ec) return false;
  const auto [r, f] = std::mismatch(root.begin(), root.end(), real.begin(), real.end());
  return r == root.end() && f != real.end();
}

// Collection 2 products carry the same metadata as text, JSON and XML.
constexpr std::array<const char*, 3> kMtlEndings{"_MTL.txt", "_MTL.json", "_MTL.xml"};

bool IsMtlName(const std::string& name) {
  return std::any_of(kMtlEndings.begin(), kMtlEndings.end(),
                     [&](const char* ending) { return EndsWithNoCase(name, ending); });
}

// The MTL files of a Landsat folder, text ones first, then JSON and XML,
// each kind by name.
std::vector<fs::path> FindMtls(const fs::path& folder) {
  std::vector<std::pair<size_t, fs::path>> found;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    for (size_t rank = 0; rank < kMtlEndings.size(); ++rank)
      if (EndsWithNoCase(name, kMtlEndings[rank]) && it->is_regular_file(ec)) {
        found.emplace_back(rank, it->path());
        break;
      }
  }
  std::sort(found.begin(), found.end());
  std::vector<fs::path> paths;
  for (auto& f : found) paths.push_back(std::move(f.second));
  return paths;
}

// "KEY": "VALUE" in JSON text: the first string member of that name. Escapes
// other than plain ASCII ones give an empty value: no band file is named so.
std::string JsonValue(const std::string& text, const std::string& key) {
  const std::string quoted = '"' + key + '"';
  for (size_t at = text.find(quoted); at != std::string::npos;
       at = text.find(quoted, at + quoted.size())) {
    size_t i = at + quoted.size();
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i >= text.size() || text[i] != ':') continue;  // the name was a value
    ++i;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i >= text.size() || text[i] != '"') return {};
    std::string value;
    for (++i; i < text.size(); ++i) {
      char c = text[i];
      if (c == '"') return value;
      if (c == '\\') {
        if (++i >= text.size()) return {};
        c = text[i];
        if (c != '"' && c != '\\' && c != '/') return {};
      }
      value += c;
    }
    return {};  // unterminated
  }
  return {};
}

// <KEY>VALUE</KEY> in XML text, with the five predefined entities.
std::string XmlValue(const std::string& text, const std::string& key) {
  const std::string open = '<' + key + '>', close = "</" + key + '>';
  const size_t at = text.find(open);
  if (at == std::string::npos) return {};
  const size_t start = at + open.size(), end = text.find(close, start);
  if (end == std::string::npos) return {};
  static constexpr std::array<std::pair<const char*, char>, 5> kEntities{
      {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}}};
  std::string value;
  for (size_t i = start; i < end; ++i) {
    if (text[i] != '&') {
      value += text[i];
      continue;
    }
    const auto* entity = std::find_if(kEntities.begin(), kEntities.end(), [&](const auto& e) {
      return text.compare(i, std::strlen(e.first), e.first) == 0;
    });
    if (entity == kEntities.end()) return {};
    value += entity->second;
    i += std::strlen(entity->first) - 1;
  }
  return Trimmed(value);
}

bool FindLandsat(const fs::path& mtl, Product& product, ImportError& error) {
  // An MTL file is a few tens of kilobytes; more is not one (and its band
  // names, past what is read, would be reported missing).
  constexpr size_t kMtlLimit = 1 << 20;
  std::error_code ec;
  const auto size = fs::file_size(mtl, ec);
  const std::string text = ec || size > kMtlLimit ? std::string() : ReadText(mtl, kMtlLimit);
  const std::string craft = MtlValue(text, "SPACECRAFT_ID");
  if (craft != "LANDSAT_8" && craft != "LANDSAT_9") {
    error = {kMsgImportNoProduct, mtl.string()};
    return false;
  }
  product.kind = ProductKind::kLandsat;
  product.sensor = 1;
  product.otherFiles.push_back(mtl.string());
  if (const std::string date = MtlValue(text, "DATE_ACQUIRED"); DateNumber(date) != 0)
    product.date = date;
  const fs::path folder = mtl.parent_path();
  std::string missing;
  for (const BandRole& role : kLandsatRoles) {
    std::string name = MtlValue(text, std::string("FILE_NAME_BAND_") + role.source);
    // Surface temperature takes the thermal band's place in Level-2 products.
    if (name.empty() && std::string(role.source) == "10")
      name = MtlValue(text, "FILE_NAME_BAND_ST_B10");
    // A name with a folder in it would read outside the product.
    const bool plain = !name.empty() && name.find('/') == std::string::npos &&
                       name.find('\\') == std::string::npos && name != "." && name != "..";
    if (!plain || !RegularFileInside(folder / name, folder)) {
      if (role.required || !name.empty())
        missing += (missing.empty() ? "" : ", ") + std::string("B") + role.source +
                   (name.empty() ? "" : " (" + name + ")");
      continue;
    }
    SourceBand band;
    band.path = (folder / name).string();
    band.number = role.number;
    band.label = std::string("B") + role.source;
    band.description = std::string(role.number == 6 ? "TIRS " : "OLI ") + role.text;
    band.zeroIsNoData = true;
    product.bands.push_back(std::move(band));
  }
  if (!missing.empty()) {
    error = {kMsgImportMissingBands, missing};
    return false;
  }
  std::sort(product.bands.begin(), product.bands.end(),
            [](const SourceBand& a, const SourceBand& b) { return a.number < b.number; });
  return true;
}

// Band files of a Sentinel-2 tile: T54SUE_20230101T012345_B02_10m.jp2 (the
// resolution is absent in Level-1C names).
bool FindSentinel(const fs::path& folder, Product& product, ImportError& error) {
  static const std::regex kName(
      R"(^T\d\d[A-Z]{3}_\d{8}T\d{6}_B(\d\d|8A)(_(\d\d)m)?\.(jp2|tif|tiff)$)", std::regex::icase);
  // Band -> (resolution in metres, path); the finest file of each band wins.
  std::map<std::string, std::pair<int, std::string>> found;
  std::error_code ec;
  int visited = 0;
  for (fs::recursive_directory_iterator
           it(folder, fs::directory_options::skip_permission_denied, ec),
       end;
       !ec && it != end && ++visited < 100000; it.increment(ec)) {
    std::smatch m;
    const std::string name = it->path().filename().string();
    if (!std::regex_match(name, m, kName) || !RegularFileInside(it->path(), folder)) continue;
    const int metres = m[3].matched ? AtoI(m[3].str()) : 0;
    auto& slot = found[ToUpperAscii(m[1].str())];
    if (slot.second.empty() || (metres != 0 && metres < slot.first))
      slot = {metres, it->path().string()};
  }
  if (found.empty()) return false;
  product.kind = ProductKind::kSentinel2;
  product.sensor = 1;
  std::string missing;
  for (const BandRole& role : kSentinelRoles) {
    auto it = found.find(role.source);
    if (it == found.end()) {
      missing += (missing.empty() ? "" : ", ") + std::string("B") + role.source;
      continue;
    }
    SourceBand band;
    band.path = it->second.second;
    // The tile's day is in every band's name: T54SUE_20230101T012345_B02.
    const std::string name = fs::path(band.path).filename().string();
    const std::string day = name.substr(7, 4) + "-" + name.substr(11, 2) + "-" + name.substr(13, 2);
    if (product.date.empty() && DateNumber(day) != 0) product.date = day;
    band.number = role.number;
    band.label = std::string("B") + role.source;
    band.description = std::string("MSI ") + role.text;
    band.zeroIsNoData = true;
    product.bands.push_back(std::move(band));
  }
  if (!missing.empty()) {
    error = {kMsgImportMissingBands, missing};
    return false;
  }
  return true;
}

}  // namespace

std::string MtlValue(const std::string& text, const std::string& key) {
  const size_t first = text.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
  if (first != std::string::npos && text[first] == '{') return JsonValue(text, key);
  if (first != std::string::npos && text[first] == '<') return XmlValue(text, key);
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    size_t eq = start + key.size();
    while (eq < line.size() && line[eq] == ' ') ++eq;
    if (eq >= line.size() || line[eq] != '=') continue;
    std::string value = line.substr(eq + 1);
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
    value.erase(0, value.find_first_not_of(' '));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    return value;
  }
  return {};
}

bool FindProduct(const std::vector<std::string>& inputs, Product& product, ImportError& error) {
  product = Product();
  error = ImportError();
  if (inputs.empty()) {
    error = {kMsgImportNoProduct, ""};
    return false;
  }
  std::error_code ec;
  if (inputs.size() == 1) {
    const fs::path in(inputs[0]);
    if (fs::is_directory(in, ec)) {
      // A stray file named like an MTL does not hide the product's own: the
      // first that makes a product is taken, else the most telling refusal.
      const std::vector<fs::path> mtls = FindMtls(in);
      for (const fs::path& mtl : mtls) {
        ImportError why;
        if (FindLandsat(mtl, product, why)) return true;
        if (error.id == 0 || (error.id == kMsgImportNoProduct && why.id != kMsgImportNoProduct))
          error = why;
        product = Product();
      }
      if (!mtls.empty()) return false;
      if (FindSentinel(in, product, error) || error.id != 0) return error.id == 0;
      error = {kMsgImportNoProduct, inputs[0]};
      return false;
    }
    if (IsMtlName(in.filename().string())) return FindLandsat(in, product, error);
  }
  product.kind = ProductKind::kGeoTiff;
  for (const auto& input : inputs) {
    if (!fs::is_regular_file(input, ec)) {
      error = {kMsgImportCannotOpen, input};
      return false;
    }
    SourceBand band;
    band.path = input;
    band.sourceBand = 0;
    product.bands.push_back(std::move(band));
  }
  return true;
}

}  // namespace lumora::importer
