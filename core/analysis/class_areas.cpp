#include "core/analysis/class_areas.h"

#include <unordered_map>

#include "core/analysis/class_legend.h"
#include "core/analysis/land_cover.h"
#include "core/imagefile/band_io.h"
#include "core/imagefile/settings_file.h"
#include "core/support/allocation.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

namespace {

uint32_t ColourKey(uint8_t r, uint8_t g, uint8_t b) { return uint32_t{r} << 16 | g << 8 | b; }

}  // namespace

bool ComputeClassAreas(const std::string& resultSettingsPath, std::vector<ClassArea>& out,
                       Messenger& messenger) {
  out.clear();
  ImageSettings s;
  if (!ReadSettings(resultSettingsPath, s, messenger)) return false;
  const std::string base = StripExtension(resultSettingsPath);
  std::vector<LegendItem> items;
  if (!LoadClassLegend(ResolveNoCase(base + ".mlk"), items, messenger)) return false;
  if (s.pixels <= 0 || s.lines <= 0) {
    messenger.ShowMessage(kMsgBadImageSize);
    return false;
  }
  FilePtr planes[3];
  for (int p = 0; p < 3; ++p) {
    planes[p] = OpenBand(base, kSample8, kClassPlaneNumbers[p], s.pixels, s.lines, messenger);
    if (!planes[p]) return false;
  }
  std::unordered_map<uint32_t, size_t> first;
  for (size_t i = 0; i < items.size(); ++i)
    first.emplace(ColourKey(items[i].red, items[i].green, items[i].blue), i);
  std::vector<int64_t> counts(items.size() + 1, 0);
  std::vector<uint8_t> rows[3];
  if (!AllocateOrReport(messenger, [&] {
        for (auto& r : rows) r.resize(static_cast<size_t>(s.pixels));
      }))
    return false;
  // Class maps come in runs of one colour: the last one is looked up once.
  uint32_t lastKey = ~uint32_t{0};
  size_t lastIndex = items.size();
  for (int y = 0; y < s.lines; ++y) {
    for (int p = 0; p < 3; ++p)
      if (std::fread(rows[p].data(), 1, rows[p].size(), planes[p].get()) != rows[p].size()) {
        messenger.ShowMessage(kMsgBandFileShort);
        return false;
      }
    for (int x = 0; x < s.pixels; ++x) {
      const uint32_t key = ColourKey(rows[2][x], rows[1][x], rows[0][x]);
      if (key != lastKey) {
        const auto it = first.find(key);
        lastKey = key;
        lastIndex = it == first.end() ? items.size() : it->second;
      }
      ++counts[lastIndex];
    }
  }
  const double all = static_cast<double>(s.pixels) * s.lines;
  for (size_t i = 0; i <= items.size(); ++i) {
    ClassArea a;
    if (i < items.size()) {
      a.title = items[i].title;
      a.red = items[i].red, a.green = items[i].green, a.blue = items[i].blue;
    } else {
      a.title = ShownText("分類されなかった画素");
    }
    a.pixels = counts[i];
    a.share = static_cast<double>(counts[i]) / all;
    a.measure = MeasureRegion(counts[i], 0.0, s.lengthPerPixel);
    out.push_back(std::move(a));
  }
  return true;
}

std::string ClassAreaText(const ClassArea& area) {
  std::string text = std::to_string(area.pixels) + " px, ";
  if (!area.measure.measurable)
    text += ShownText("測れません（地上距離がわかりません）");
  else if (area.measure.areaM2 < 1e6)
    text += ValueText(area.measure.areaM2 / 1e4, 2) + " ha";
  else
    text += ValueText(area.measure.areaM2 / 1e6, 2) + " km²";
  return text + ", " + ValueText(area.share * 100.0, 1) + " %";
}

std::string ClassAreasCsv(const std::vector<ClassArea>& areas) {
  std::string csv = "class,red,green,blue,pixels,share_percent,area_m2,area_ha,area_km2\n";
  for (const auto& a : areas) {
    csv += CsvField(a.title) + Format(",%d,%d,%d,", a.red, a.green, a.blue) +
           std::to_string(a.pixels) + "," + ValueText(a.share * 100.0, 4) + ",";
    if (a.measure.measurable)
      csv += ValueText(a.measure.areaM2, 2) + "," + ValueText(a.measure.areaM2 / 1e4, 4) + "," +
             ValueText(a.measure.areaM2 / 1e6, 6);
    else
      csv += ",,";
    csv += "\n";
  }
  return csv;
}

}  // namespace lumora
