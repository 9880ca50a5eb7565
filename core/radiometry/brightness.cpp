#include "core/radiometry/brightness.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "core/support/string_table.h"

namespace lumora {
namespace {

// Counts the three bytes of every pixel into separate tables; even and odd
// pixels go to different tables so that runs of equal values do not wait on
// their own increments.
std::array<std::array<uint32_t, 256>, 3> CountBytes(const Dib& dib) {
  std::array<std::array<uint32_t, 256>, 6> part{};
  for (int32_t r = 0; r < dib.height; ++r) {
    const uint8_t* p = dib.StoredRow(r);
    int32_t x = 0;
    for (; x + 1 < dib.width; x += 2, p += 6) {
      ++part[0][p[0]];
      ++part[1][p[1]];
      ++part[2][p[2]];
      ++part[3][p[3]];
      ++part[4][p[4]];
      ++part[5][p[5]];
    }
    if (x < dib.width) {
      ++part[0][p[0]];
      ++part[1][p[1]];
      ++part[2][p[2]];
    }
  }
  std::array<std::array<uint32_t, 256>, 3> counts{};
  for (int c = 0; c < 3; ++c)
    for (int i = 0; i < 256; ++i) counts[c][i] = part[c][i] + part[c + 3][i];
  return counts;
}

LookupTables TablesOf(const ImageSession& session) {
  return {session.Lut(0), session.Lut(1), session.Lut(2)};
}

// Shows the image mapped through fresh tables and keeps the tables.
bool ApplyTables(ImageSession& session, const LookupTables& fresh, Messenger& messenger,
                 Progress& progress) {
  Dib result;
  if (!MapThroughTables(session.Display(), fresh, result, messenger, progress)) return false;
  for (int c = 0; c < 3; ++c) session.Lut(c) = fresh[static_cast<size_t>(c)];
  DetailRules::Change change;
  for (size_t c = 0; c < 3; ++c) change.tables[c] = fresh[c];
  session.ApplyDisplayChange(std::move(result), &change);
  return true;
}

}  // namespace

LookupTables IdentityTables() {
  LookupTables t{};
  for (auto& table : t)
    for (int i = 0; i < 256; ++i) table[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  return t;
}

Histogram ComputeHistogram(const Dib& dib, int channel, bool excludeBlack) {
  Histogram h;
  if (dib.Empty()) return h;
  const auto counts = CountBytes(dib);
  const int64_t pixels = int64_t{dib.width} * dib.height;
  if (channel >= 0 && channel < kAllChannels) {
    h.counts = counts[static_cast<size_t>(channel)];
    h.total = pixels;
  } else {
    for (int i = 0; i < 256; ++i) h.counts[i] = counts[0][i] + counts[1][i] + counts[2][i];
    h.total = 3 * pixels;
  }
  h.peak = *std::max_element(h.counts.begin() + (excludeBlack ? 1 : 0), h.counts.end());
  return h;
}

std::array<Histogram, 3> ChannelHistograms(const Dib& dib, bool excludeBlack) {
  std::array<Histogram, 3> h{};
  if (dib.Empty()) return h;
  const auto counts = CountBytes(dib);
  for (size_t c = 0; c < 3; ++c) {
    h[c].counts = counts[c];
    h[c].total = int64_t{dib.width} * dib.height;
    h[c].peak = *std::max_element(h[c].counts.begin() + (excludeBlack ? 1 : 0), h[c].counts.end());
  }
  return h;
}

StretchValues AutoStretch(const Histogram& histogram, bool excludeBlack) {
  const int first = excludeBlack ? 1 : 0;
  const double n =
      static_cast<double>(excludeBlack ? histogram.total - histogram.counts[0] : histogram.total);
  StretchValues v;
  if (n <= 0.0) return v;  // nothing counted: keep the full range
  double sum = 0.0;
  // Each product is a 32-bit value as in the original arithmetic; the counts
  // of a display image (at most 4 MiB) keep it from wrapping.
  for (int i = first; i < 256; ++i) sum += static_cast<uint32_t>(i) * histogram.counts[i];
  const double mean = sum / n;
  double squares = 0.0;
  for (int i = first; i < 256; ++i) squares += histogram.counts[i] * ((i - mean) * (i - mean));
  const double d = 3.0 * std::sqrt(squares / n);
  const double high = std::trunc(mean + d);
  const double low = std::trunc(mean - d);
  v.inHigh = high >= 255.0 ? 255 : static_cast<int32_t>(high);
  v.inLow = low <= 0.0 ? 0 : static_cast<int32_t>(low);
  v.outHigh = 255;
  v.outLow = 0;
  return v;
}

void BuildStretchTable(StretchValues& v, LookupTable& table) {
  if (v.inHigh == v.inLow) {
    if (v.inHigh >= 255)
      v.inLow = v.inHigh - 1;
    else
      v.inHigh = v.inLow + 1;
  }
  const double slope = static_cast<double>(v.outHigh - v.outLow) / (v.inHigh - v.inLow);
  const double intercept = v.outLow - v.inLow * slope;
  for (int i = 0; i < 256; ++i) {
    const int32_t value = static_cast<int32_t>(std::trunc(i * slope + intercept + 0.5));
    const int32_t m = std::min(value, v.outHigh);
    const int32_t entry = m > v.outLow ? m : v.outLow;
    table[static_cast<size_t>(i)] = static_cast<uint8_t>(std::clamp(entry, 0, 255));
  }
}

void BuildEqualisationTable(const Histogram& histogram, LookupTable& table) {
  // The running count is kept in double: exact for any display image, and the
  // quotient is then a double division.
  double running = histogram.counts[0];
  const double total = static_cast<double>(histogram.total);
  for (int k = 1; k <= 254; ++k) {
    running += histogram.counts[static_cast<size_t>(k)];
    const double value = total > 0.0 ? std::trunc(running / total * 255.0 + 0.5) : k;
    table[static_cast<size_t>(k)] = static_cast<uint8_t>(value);
  }
  table[255] = 255;
}

void MapRowThroughTables(const uint8_t* in, uint8_t* out, int32_t width,
                         const LookupTables& tables) {
  const uint8_t* b = tables[0].data();
  const uint8_t* g = tables[1].data();
  const uint8_t* r = tables[2].data();
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  for (size_t i = 0; i < rowBytes; i += 3) {
    out[i] = b[in[i]];
    out[i + 1] = g[in[i + 1]];
    out[i + 2] = r[in[i + 2]];
  }
}

bool MapThroughTables(const Dib& shown, const LookupTables& tables, Dib& result,
                      Messenger& messenger, Progress& progress) {
  Dib fresh;
  if (!fresh.Create(shown.width, shown.height)) {
    messenger.ShowMessage(kMsgNoMemory);
    return false;
  }
  progress.Create(std::max(1, shown.height / 100), "処理中");
  for (int32_t row = 0; row < shown.height; ++row) {
    MapRowThroughTables(shown.StoredRow(row), fresh.StoredRow(row), shown.width, tables);
    progress.SetProgress(static_cast<float>(row + 1) / static_cast<float>(shown.height));
  }
  progress.Close();
  result = std::move(fresh);
  return true;
}

bool ApplyBrightnessDialog(ImageSession& session, const LookupTables& tables,
                           const StretchSet& values, Messenger& messenger, Progress& progress) {
  if (!ApplyTables(session, tables, messenger, progress)) return false;
  session.StretchStart() = kIdentityStretch;
  session.StretchApplied() = values;
  return true;
}

bool AutomaticBrightness(ImageSession& session, Messenger& messenger, Progress& progress) {
  StretchSet values;
  LookupTables fresh = TablesOf(session);
  const auto histograms = ChannelHistograms(session.Display(), true);
  for (size_t c = 0; c < 3; ++c) {
    values[c] = AutoStretch(histograms[c], true);
    // The applied set records the rule's values; the equal-input
    // correction only shapes the table.
    StretchValues corrected = values[c];
    BuildStretchTable(corrected, fresh[c]);
  }
  return ApplyBrightnessDialog(session, fresh, values, messenger, progress);
}

bool EqualiseBrightness(ImageSession& session, Messenger& messenger, Progress& progress) {
  LookupTables fresh = TablesOf(session);
  const auto histograms = ChannelHistograms(session.Display(), false);
  for (size_t c = 0; c < 3; ++c) BuildEqualisationTable(histograms[c], fresh[c]);
  return ApplyTables(session, fresh, messenger, progress);
}

BrightnessDialogState::BrightnessDialogState(const Dib& dib, bool singleBand,
                                             const StretchSet& starting)
    : m_dib(dib), m_singleBand(singleBand), m_values(starting) {
  m_channel = singleBand ? kAllChannels : 0;
  m_edits = m_values[0];
  Recompute();
}

bool BrightnessDialogState::SetEdits(const StretchValues& edits) {
  if (!ValidEdit(edits.inHigh) || !ValidEdit(edits.inLow) || !ValidEdit(edits.outHigh) ||
      !ValidEdit(edits.outLow))
    return false;
  if (EditsEnabled()) m_edits = edits;
  return true;
}

void BrightnessDialogState::StoreEdits() {
  if (m_channel < kAllChannels)
    m_values[static_cast<size_t>(m_channel)] = m_edits;
  else if (m_singleBand)
    m_values.fill(m_edits);
}

void BrightnessDialogState::Recompute() {
  m_histogram = ComputeHistogram(m_dib, m_channel, m_excludeBlack);
}

void BrightnessDialogState::SelectChannel(int channel) {
  if (channel < 0 || channel >= kAllChannels) return;
  if (m_channel < kAllChannels) m_values[static_cast<size_t>(m_channel)] = m_edits;
  m_channel = channel;
  m_edits = m_values[static_cast<size_t>(channel)];
  Recompute();
}

void BrightnessDialogState::SelectAllChannels() {
  if (m_channel < kAllChannels) m_values[static_cast<size_t>(m_channel)] = m_edits;
  m_channel = kAllChannels;
  m_edits = StretchValues{};
  Recompute();
}

void BrightnessDialogState::SetExcludeBlack(bool exclude) {
  m_excludeBlack = exclude;
  Recompute();
}

void BrightnessDialogState::Ok(LookupTables& tables) {
  StoreEdits();
  for (size_t c = 0; c < 3; ++c) BuildStretchTable(m_values[c], tables[c]);
}

void BrightnessDialogState::Automatic(LookupTables& tables) {
  StoreEdits();
  const int channel = m_channel;
  for (int c = 0; c < 3; ++c) {
    m_channel = c;
    Recompute();
    m_values[static_cast<size_t>(c)] = AutoStretch(m_histogram, m_excludeBlack);
  }
  m_channel = channel;
  if (channel < kAllChannels)
    m_edits = m_values[static_cast<size_t>(channel)];
  else
    m_edits = m_singleBand ? m_values[2] : StretchValues{};
  Recompute();
  Ok(tables);
}

namespace {
double BarScale(const BrightnessDialogState::MarkerGeometry& g) {
  return (g.barRight - g.barLeft - 2) / 256.0;
}
}  // namespace

int BrightnessDialogState::LevelAt(int x, const MarkerGeometry& g) {
  const double s = BarScale(g);
  if (s <= 0.0) return 0;
  return static_cast<int>(std::trunc((x - g.barLeft - 1) / s + 0.5));
}

int BrightnessDialogState::PositionOf(int level, const MarkerGeometry& g) {
  return static_cast<int>(std::trunc(level * BarScale(g))) + g.barLeft + 1;
}

bool BrightnessDialogState::PressMarker(int x, int y, const MarkerGeometry& g) {
  if (!MarkersShown()) return false;
  if (x < g.stripLeft || x >= g.stripRight || y < g.stripTop || y >= g.stripBottom) return false;
  const bool output = y >= (g.stripTop + g.stripBottom) / 2;
  const int low = PositionOf(output ? m_edits.outLow : m_edits.inLow, g);
  const int high = PositionOf(output ? m_edits.outHigh : m_edits.inHigh, g);
  bool takeHigh;
  if (x < low)
    takeHigh = false;
  else if (x > high)
    takeHigh = true;
  else
    takeHigh = std::abs(x - high) <= std::abs(x - low);
  m_drag = output ? (takeHigh ? kOutputHigh : kOutputLow) : (takeHigh ? kInputHigh : kInputLow);
  return MoveMarker(x, g);
}

bool BrightnessDialogState::MoveMarker(int x, const MarkerGeometry& g) {
  const int level = LevelAt(x, g);
  switch (m_drag) {
    case kInputLow: m_edits.inLow = std::min(std::max(level, 0), m_edits.inHigh); break;
    case kInputHigh: m_edits.inHigh = std::max(std::min(level, 255), m_edits.inLow); break;
    case kOutputLow: m_edits.outLow = std::min(std::max(level, 0), m_edits.outHigh); break;
    case kOutputHigh: m_edits.outHigh = std::max(std::min(level, 255), m_edits.outLow); break;
    default: return false;
  }
  return true;
}

namespace {
double PanelScale(const PanelRect& r) { return (r.right - r.left - 2) / 256.0; }
}  // namespace

int LevelX(int level, const PanelRect& r) {
  return static_cast<int>(std::trunc(level * PanelScale(r) + 0.5)) + r.left + 1;
}

int ColourBarPenWidth(const PanelRect& bar) {
  return static_cast<int>(std::trunc(PanelScale(bar) + 1.5));
}

std::vector<HistogramBar> HistogramBars(const Histogram& histogram, bool excludeBlack,
                                        const PanelRect& panel) {
  std::vector<HistogramBar> bars;
  const int64_t height = panel.top - panel.bottom + 2;  // negative: bars grow upward
  const int base = panel.bottom - 1;
  int64_t running = 0;
  for (int i = excludeBlack ? 1 : 0; i < 256; ++i) {
    const int64_t count = histogram.counts[static_cast<size_t>(i)];
    running += count;
    HistogramBar bar;
    bar.level = i;
    bar.x = LevelX(i, panel);
    bar.top = base + static_cast<int>(histogram.peak ? count * height / histogram.peak : 0);
    bar.curveY = base + static_cast<int>(histogram.total ? running * height / histogram.total : 0);
    bars.push_back(bar);
  }
  return bars;
}

}  // namespace lumora
