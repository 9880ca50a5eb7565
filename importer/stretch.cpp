#include "importer/stretch.h"

#include <cstring>

namespace lumora::importer {

namespace {

// The bin holding the value at a sorted index (the first whose running count
// passes it), and the count of the bins before it.
size_t BinAtRank(const std::vector<uint64_t>& histogram, uint64_t rank, uint64_t& before) {
  uint64_t seen = 0;
  for (size_t v = 0; v < histogram.size(); ++v) {
    if (seen + histogram[v] > rank) {
      before = seen;
      return v;
    }
    seen += histogram[v];
  }
  before = seen;
  return histogram.size() - 1;
}

uint64_t Total(const std::vector<uint64_t>& histogram) {
  uint64_t n = 0;
  for (uint64_t c : histogram) n += c;
  return n;
}

}  // namespace

StretchRange RangeFromHistogram(const std::vector<uint64_t>& histogram) {
  const uint64_t n = Total(histogram);
  StretchRange r;
  if (n == 0) return r;
  uint64_t before = 0;
  r.low = static_cast<double>(BinAtRank(histogram, n / 200, before));
  r.high = static_cast<double>(BinAtRank(histogram, n - 1 - n / 200, before));
  r.any = true;
  return r;
}

FloatRangeFinder::FloatRangeFinder()
    : m_coarse(65536, 0), m_fineLow(65536, 0), m_fineHigh(65536, 0) {}

uint32_t FloatRangeFinder::Key(float v) {
  if (v == 0.0f) v = 0.0f;
  uint32_t bits = 0;
  std::memcpy(&bits, &v, sizeof bits);
  return bits & 0x80000000u ? ~bits : bits | 0x80000000u;
}

float FloatRangeFinder::FromKey(uint32_t key) {
  const uint32_t bits = key & 0x80000000u ? key & 0x7FFFFFFFu : ~key;
  float v = 0.0f;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

bool FloatRangeFinder::BeginSecondPass() {
  const uint64_t n = Total(m_coarse);
  if (n == 0) return false;
  uint64_t before = 0;
  m_lowBin = static_cast<uint32_t>(BinAtRank(m_coarse, n / 200, before));
  m_lowRank = n / 200 - before;
  m_highBin = static_cast<uint32_t>(BinAtRank(m_coarse, n - 1 - n / 200, before));
  m_highRank = n - 1 - n / 200 - before;
  return true;
}

StretchRange FloatRangeFinder::Range() const {
  StretchRange r;
  if (Total(m_fineLow) == 0) return r;
  uint64_t before = 0;
  r.low = FromKey(m_lowBin << 16 | static_cast<uint32_t>(BinAtRank(m_fineLow, m_lowRank, before)));
  r.high =
      FromKey(m_highBin << 16 | static_cast<uint32_t>(BinAtRank(m_fineHigh, m_highRank, before)));
  r.any = true;
  return r;
}

StretchRange RangeFromValues(const std::vector<float>& values) {
  FloatRangeFinder finder;
  for (float v : values) finder.Count(v);
  if (!finder.BeginSecondPass()) return {};
  for (float v : values) finder.Refine(v);
  return finder.Range();
}

std::vector<uint8_t> StretchTable(const StretchRange& r, int noData) {
  std::vector<uint8_t> table(65536);
  for (int v = 0; v < 65536; ++v) table[static_cast<size_t>(v)] = StretchValue(v, r);
  if (noData >= 0 && noData < 65536) table[static_cast<size_t>(noData)] = 0;
  return table;
}

}  // namespace lumora::importer
