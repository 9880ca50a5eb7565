#include "core/windows/spectrum.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <regex>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

namespace {

double ParseNumber(const std::string& s) {
  double v = 0.0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() ? v : -1.0;
}

// Wavelengths at or below this many micrometres share a linear axis well.
constexpr double kLinearLimitUm = 3.0;

}  // namespace

Wavelength ParseWavelength(const std::string& description) {
  // Dashes and tildes of either width; micro as the Greek letter or the
  // micro sign (CP932 files carry the Greek one).
  static const std::regex kRange(
      "([0-9]+(?:\\.[0-9]+)?) *(?:-|~|\xEF\xBD\x9E|\xE3\x80\x9C|\xE2\x80\x93|\xEF\xBC\x8D) *"
      "([0-9]+(?:\\.[0-9]+)?) *(\xCE\xBC|\xC2\xB5|u|n)m");
  Wavelength w;
  for (auto it = std::sregex_iterator(description.begin(), description.end(), kRange);
       it != std::sregex_iterator(); ++it) {
    const double scale = (*it)[3].str() == "n" ? 0.001 : 1.0;
    const double from = ParseNumber((*it)[1].str()) * scale;
    const double to = ParseNumber((*it)[2].str()) * scale;
    w = Wavelength{};
    if (from > 0.0 && to >= from) w = {true, from, to};
  }
  return w;
}

std::string WavelengthText(const Wavelength& w) {
  if (!w.known) return {};
  return ValueText(w.fromUm, 6) + "-" + ValueText(w.toUm, 6);
}

SpectrumAxis AxisFor(const std::vector<SpectrumBand>& bands) {
  SpectrumAxis a;
  a.byWavelength = !bands.empty() && std::all_of(bands.begin(), bands.end(),
                                                 [](const auto& b) { return b.wavelength.known; });
  if (!a.byWavelength) {
    a.lo = 0.5;
    a.hi = 0.5;
    for (const SpectrumBand& b : bands) a.hi = std::max(a.hi, b.number + 0.5);
    if (a.hi <= a.lo) a.hi = a.lo + 1.0;
    return a;
  }
  double lo = bands.front().wavelength.fromUm, hi = bands.front().wavelength.toUm;
  for (const SpectrumBand& b : bands) {
    lo = std::min(lo, b.wavelength.fromUm);
    hi = std::max(hi, b.wavelength.toUm);
  }
  a.logarithmic = hi > kLinearLimitUm;
  // Room on either side, and the visible light always on the axis.
  if (a.logarithmic) {
    a.lo = std::min(lo, 0.4) / 1.1;
    a.hi = hi * 1.1;
  } else {
    a.lo = std::max(0.0, std::min(lo, 0.4) - 0.05);
    a.hi = hi + 0.05;
  }
  return a;
}

double SpectrumAxis::PositionOfValue(double v) const {
  if (logarithmic) return (std::log(v) - std::log(lo)) / (std::log(hi) - std::log(lo));
  return (v - lo) / (hi - lo);
}

double SpectrumAxis::PositionOf(const SpectrumBand& band) const {
  return PositionOfValue(byWavelength ? band.wavelength.CentreUm() : band.number);
}

std::vector<SpectrumBand> ListSpectrumBands(const std::string& settingsPath) {
  const std::string base = StripExtension(settingsPath);
  const auto types = ScanBandTypes(base);
  std::vector<SpectrumBand> out;
  for (int n = 1; n <= 255; ++n) {
    if (!types[static_cast<size_t>(n)]) continue;
    SpectrumBand b;
    b.number = n;
    b.sampleType = types[static_cast<size_t>(n)];
    b.description = ReadBandDescription(base, n);
    b.wavelength = ParseWavelength(b.description);
    out.push_back(std::move(b));
  }
  return out;
}

namespace {

FilePtr OpenWholeBand(const std::string& basePath, const SpectrumBand& band, int64_t pixels,
                      int64_t lines, const std::string& title, Messenger& messenger) {
  const std::string path = ResolveNoCase(BandFilePath(basePath, band.sampleType, band.number));
  FilePtr f = OpenRegularFile(path);
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!f || ec) {
    messenger.ShowText(title,
                       Format(ShownText("バンド%dのファイルを開けませんでした．"), band.number));
    return nullptr;
  }
  // A band of another size would put its values at the wrong places.
  if (static_cast<uint64_t>(pixels) * static_cast<uint64_t>(lines) *
          static_cast<uint64_t>(SampleBytes(band.sampleType)) !=
      size) {
    messenger.ShowText(
        title,
        Format(ShownText("バンド%dのファイルの大きさが画像の大きさと合いません．"), band.number));
    return nullptr;
  }
  return f;
}

}  // namespace

bool OpenWholeBands(const std::string& settingsPath, const std::vector<SpectrumBand>& bands,
                    const std::string& title, BandFiles& out, Messenger& messenger) {
  out = BandFiles{};
  ImageSettings settings;
  if (!ReadSettings(settingsPath, settings, messenger) || !CheckImageSize(settings, messenger))
    return false;
  if (bands.empty()) {
    messenger.ShowMessage(kMsgOpenFailed);
    return false;
  }
  const std::string base = StripExtension(settingsPath);
  BandFiles files{settings.pixels, settings.lines, {}};
  for (const SpectrumBand& b : bands) {
    files.files.push_back(
        OpenWholeBand(base, b, settings.pixels, settings.lines, title, messenger));
    if (!files.files.back()) return false;
  }
  out = std::move(files);
  return true;
}

bool SpectrumSampler::Open(const std::string& settingsPath, Messenger& messenger) {
  return Open(settingsPath, ListSpectrumBands(settingsPath), messenger);
}

bool SpectrumSampler::Open(const std::string& settingsPath, std::vector<SpectrumBand> bands,
                           Messenger& messenger) {
  m_files.clear();
  m_bands.clear();
  BandFiles files;
  if (!OpenWholeBands(settingsPath, bands, SpectrumTitle(), files, messenger)) return false;
  m_bands = std::move(bands);
  m_files = std::move(files.files);
  m_pixels = files.pixels;
  m_lines = files.lines;
  return true;
}

bool SpectrumSampler::Sample(int x, int y, std::vector<double>& values,
                             Messenger& messenger) const {
  values.clear();
  if (!IsOpen()) return false;
  if (x < 0 || y < 0 || x >= m_pixels || y >= m_lines) {
    messenger.ShowText(SpectrumTitle(), ShownText("画像の外側は調べられません．"));
    return false;
  }
  const int64_t index = int64_t{y} * m_pixels + x;
  for (size_t i = 0; i < m_bands.size(); ++i) {
    const int bytes = SampleBytes(m_bands[i].sampleType);
    uint8_t p[4] = {};
    if (!SeekTo(m_files[i].get(), index * bytes) ||
        std::fread(p, 1, static_cast<size_t>(bytes), m_files[i].get()) !=
            static_cast<size_t>(bytes)) {
      values.clear();
      messenger.ShowText(
          SpectrumTitle(),
          Format(ShownText("バンド%dのファイルを開けませんでした．"), m_bands[i].number));
      return false;
    }
    double v = p[0];
    if (bytes == 2) v = p[0] | (p[1] << 8);
    if (bytes == 4) v = FloatSample(p);
    values.push_back(v);
  }
  return true;
}

double FloatSample(const uint8_t* p) {
  const float f = std::bit_cast<float>(uint32_t{p[0]} | (uint32_t{p[1]} << 8) |
                                       (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24));
  return p[0] != 0xFF && std::isfinite(f) ? f : std::numeric_limits<double>::quiet_NaN();
}

std::string SpectrumCsv(const std::vector<SpectrumBand>& bands,
                        const std::vector<std::string>& titles,
                        const std::vector<std::vector<double>>& spectra) {
  std::string csv = "band,description,wavelength_um";
  for (const std::string& t : titles) {
    csv += ',';
    csv += CsvField(t);
  }
  csv += "\n";
  for (size_t i = 0; i < bands.size(); ++i) {
    csv += std::to_string(bands[i].number) + "," + CsvField(bands[i].description) + "," +
           WavelengthText(bands[i].wavelength);
    for (const auto& s : spectra) {
      csv += ',';
      if (i < s.size()) csv += ValueText(s[i], 6);
    }
    csv += "\n";
  }
  return csv;
}

std::string SpectrumTitle() { return ShownText("スペクトル"); }

}  // namespace lumora
