#include "importer/stretch.h"

#include <algorithm>

namespace lumora::importer {

StretchRange RangeFromHistogram(const std::vector<uint64_t>& histogram) {
  uint64_t n = 0;
  for (uint64_t c : histogram) n += c;
  StretchRange r;
  if (n == 0) return r;
  const uint64_t lowIndex = n / 200, highIndex = n - 1 - n / 200;
  // The value at a sorted index is the first bin whose running count passes it.
  uint64_t seen = 0;
  bool haveLow = false;
  for (size_t v = 0; v < histogram.size(); ++v) {
    seen += histogram[v];
    if (!haveLow && seen > lowIndex) {
      r.low = static_cast<double>(v);
      haveLow = true;
    }
    if (seen > highIndex) {
      r.high = static_cast<double>(v);
      break;
    }
  }
  r.any = true;
  return r;
}

StretchRange RangeFromValues(std::vector<float>& values) {
  StretchRange r;
  if (values.empty()) return r;
  const size_t n = values.size();
  const auto low = values.begin() + static_cast<std::ptrdiff_t>(n / 200);
  const auto high = values.begin() + static_cast<std::ptrdiff_t>(n - 1 - n / 200);
  std::nth_element(values.begin(), low, values.end());
  r.low = *low;
  std::nth_element(low, high, values.end());
  r.high = *high;
  r.any = true;
  return r;
}

std::vector<uint8_t> StretchTable(const StretchRange& r, int noData) {
  std::vector<uint8_t> table(65536);
  for (int v = 0; v < 65536; ++v) table[static_cast<size_t>(v)] = StretchValue(v, r);
  if (noData >= 0 && noData < 65536) table[static_cast<size_t>(noData)] = 0;
  return table;
}

}  // namespace lumora::importer
