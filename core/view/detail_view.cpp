#include "core/view/detail_view.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/view/rainbow.h"

namespace lumora {
namespace {

// What a cached strip costs beyond its samples: the table node, the age
// list node and the vector.
constexpr int64_t kEntryOverhead = 96;

std::atomic<uint64_t> g_loads{0};

}  // namespace

DetailRules LoadedRules(const DisplayState& state, const AreaRect& area) {
  DetailRules rules;
  rules.exact = true;
  rules.load = ++g_loads;
  rules.state = state;
  for (int c = 0; c < 3; ++c)
    rules.scale[c] = ShownChannelScale(state, area, state.m_nDibWidth, state.m_nDibHeight, c);
  return rules;
}

bool DetailShown(const DetailRules& rules, float zoom, float deviceRatio) {
  return rules.exact && rules.state.m_nStep > 1 && zoom * deviceRatio > 1.0f;
}

std::vector<int32_t> DetailSamples(int32_t first, int32_t count, float zoom, int32_t step,
                                   int32_t areaStart, int32_t areaExtent) {
  std::vector<int32_t> samples(static_cast<size_t>(std::max(0, count)));
  const double perScreenPixel = static_cast<double>(step) / zoom;
  for (int32_t i = 0; i < count; ++i) {
    const double at = std::floor((int64_t{first} + i + 0.5) * perScreenPixel);
    samples[static_cast<size_t>(i)] =
        areaStart + static_cast<int32_t>(std::clamp(at, 0.0, areaExtent - 1.0));
  }
  return samples;
}

void DetailComposer::Clear() {
  m_strips.clear();
  m_ages.clear();
  m_bytes = 0;
}

bool DetailComposer::OpenBands(const DetailRules& rules) {
  const DisplayState& state = rules.state;
  if (rules.load == m_load && m_file[0]) return true;
  Clear();
  m_load = 0;
  const std::string base = StripExtension(state.m_strSettingsPath);
  const int32_t bands[3] = {state.m_nBlueBand, state.m_nGreenBand, state.m_nRedBand};
  const int32_t types[3] = {state.m_nBlueType, state.m_nGreenType, state.m_nRedType};
  std::array<std::string, 3> paths;
  for (int c = 0; c < 3; ++c) {
    m_file[c].reset();
    m_bps[c] = SampleBytes(types[c]);
    m_scale[c] = rules.scale[c];
    paths[c] = ResolveNoCase(BandFilePath(base, types[c], bands[c] + 1)).string();
    m_source[c] = c;
    for (int e = 0; e < c; ++e)
      if (paths[e] == paths[c] && m_bps[e] == m_bps[c] && m_scale[e].lo == m_scale[c].lo &&
          m_scale[e].hi == m_scale[c].hi)
        m_source[c] = m_source[e];
    if (m_source[c] != c) continue;
    if (m_bps[c] != 0) m_file[c] = OpenRegularFile(paths[c]);
    if (!m_file[c]) return false;
    // Each strip is one read: stdio's buffer would only copy it again.
    std::setvbuf(m_file[c].get(), nullptr, _IONBF, 0);
  }
  m_pixels = state.m_nImagePixels;
  m_lines = state.m_nImageLines;
  m_load = rules.load;
  return true;
}

const uint8_t* DetailComposer::Strip(int source, int32_t row, int32_t block) {
  const Key key{source, row, block};
  if (auto it = m_strips.find(key); it != m_strips.end()) {
    m_ages.splice(m_ages.begin(), m_ages, it->second.age);
    return it->second.bytes.data();
  }
  const int bps = m_bps[source];
  const int32_t first = block * kStrip;
  const int32_t count = std::min(kStrip, m_pixels - first);
  // Samples beyond the end of the file read as zero bytes, as on loading.
  std::vector<uint8_t> raw(static_cast<size_t>(count) * bps, 0);
  std::FILE* f = m_file[source].get();
  if (SeekTo(f, (int64_t{m_pixels} * row + first) * bps)) {
    const size_t got = std::fread(raw.data(), 1, raw.size(), f);
    std::fill(raw.begin() + static_cast<ptrdiff_t>(got), raw.end(), 0);
  }
  Entry entry;
  entry.bytes.resize(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i)
    entry.bytes[static_cast<size_t>(i)] =
        ShownByte(&raw[static_cast<size_t>(i) * bps], bps, m_scale[source]);
  const int64_t cost = count + kEntryOverhead;
  while (!m_ages.empty() && m_bytes + cost > m_budget) {
    const auto old = m_strips.find(m_ages.back());
    m_bytes -= static_cast<int64_t>(old->second.bytes.size()) + kEntryOverhead;
    m_strips.erase(old);
    m_ages.pop_back();
  }
  m_ages.push_front(key);
  entry.age = m_ages.begin();
  m_bytes += cost;
  return m_strips.emplace(key, std::move(entry)).first->second.bytes.data();
}

bool DetailComposer::Compose(const DetailRules& rules, const std::vector<int32_t>& columns,
                             const std::vector<int32_t>& rows, Dib& out) {
  if (columns.empty() || rows.empty()) return false;
  if (!TryAllocate([&] { return OpenBands(rules); }) || m_load != rules.load) return false;
  Dib dib;
  if (!dib.Create(static_cast<int32_t>(columns.size()), static_cast<int32_t>(rows.size())))
    return false;
  const bool ok = TryAllocate([&] {
    for (int32_t j = 0; j < dib.height; ++j) {
      const int32_t y = rows[static_cast<size_t>(j)];
      uint8_t* dst = dib.TopRow(j);
      if (y < 0 || y >= m_lines) continue;
      for (int c = 0; c < 3; ++c) {
        const int source = m_source[c];
        int32_t block = -1;
        const uint8_t* strip = nullptr;
        for (int32_t i = 0; i < dib.width; ++i) {
          const int32_t x = columns[static_cast<size_t>(i)];
          if (x < 0 || x >= m_pixels) continue;
          if (x / kStrip != block) {
            block = x / kStrip;
            strip = Strip(source, y, block);
          }
          dst[3 * i + c] = strip[x % kStrip];
        }
      }
    }
  });
  if (!ok) {
    Clear();
    return false;
  }
  PaintShownColours(rules.state, dib);
  for (const DetailRules::Change& change : rules.changes) {
    if (change.reverseRainbow) {
      Dib reversed;
      if (!ReverseRainbowColours(dib, reversed)) return false;
      dib = std::move(reversed);
      continue;
    }
    for (int32_t j = 0; j < dib.height; ++j) {
      uint8_t* p = dib.StoredRow(j);
      for (int32_t i = 0; i < dib.width; ++i, p += 3)
        for (int c = 0; c < 3; ++c) p[c] = change.tables[c][p[c]];
    }
  }
  out = std::move(dib);
  return true;
}

bool ComposeWholeArea(const DetailRules& rules, const AreaRect& area, Dib& out,
                      Messenger& messenger, Progress& progress) {
  if (!rules.exact) {
    messenger.ShowMessage(kMsgNoFullDetail);
    return false;
  }
  Dib whole;
  if (!whole.Create(area.m_nAreaPixels, area.m_nAreaLines)) {
    messenger.ShowMessage(kMsgNoMemory);
    return false;
  }
  std::vector<int32_t> columns(static_cast<size_t>(area.m_nAreaPixels)), rows;
  for (int32_t i = 0; i < area.m_nAreaPixels; ++i)
    columns[static_cast<size_t>(i)] = area.m_nAreaLeft + i;
  // A band of rows at a time, each used once: the cache only needs a band.
  constexpr int32_t kBand = 64;
  DetailComposer composer(int64_t{kBand} * 4 * (area.m_nAreaPixels + 1024));
  progress.Create(std::max(1, area.m_nAreaLines / 100), "処理中");
  for (int32_t top = 0; top < area.m_nAreaLines; top += kBand) {
    const int32_t count = std::min(kBand, area.m_nAreaLines - top);
    rows.resize(static_cast<size_t>(count));
    for (int32_t j = 0; j < count; ++j) rows[static_cast<size_t>(j)] = area.m_nAreaTop + top + j;
    Dib band;
    if (!composer.Compose(rules, columns, rows, band))
      return progress.Fail(messenger, composer.Opened(rules) ? kMsgNoMemory : kMsgOpenFailed);
    for (int32_t j = 0; j < count; ++j)
      std::memcpy(whole.TopRow(top + j), band.TopRow(j), static_cast<size_t>(band.Stride()));
    progress.SetProgress(static_cast<float>(top + count) / area.m_nAreaLines);
  }
  progress.Close();
  out = std::move(whole);
  return true;
}

}  // namespace lumora
