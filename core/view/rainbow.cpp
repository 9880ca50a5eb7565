// Rainbow table and its application to display images.
#include "core/view/rainbow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace lumora {
namespace {

RainbowTable BuildRainbow() {
  RainbowTable t{};
  for (int k = 0; k < 256; ++k) {
    RainbowEntry& e = t[k];
    if (k == 0) {
      e = {1, 1, 1};
    } else if (k <= 50) {
      e = {0, 0, static_cast<uint8_t>(5 * k)};
    } else if (k <= 101) {
      e = {0, static_cast<uint8_t>(5 * (k - 51)), 255};
    } else if (k <= 152) {
      e = {0, 255, static_cast<uint8_t>(255 - 5 * (k - 102))};
    } else if (k <= 203) {
      e = {static_cast<uint8_t>(5 * (k - 153)), 255, 0};
    } else {
      e = {255, static_cast<uint8_t>(255 - 5 * (k - 204)), 0};
    }
  }
  return t;
}

// White at code 128, blended linearly (rounded) towards the end colour.
RainbowTable BuildDiverging(RainbowEntry low) {
  RainbowTable t{};
  const auto blend = [](int end, int steps) {
    return static_cast<uint8_t>(255 - ((255 - end) * steps * 2 + 127) / 254);
  };
  for (int k = 1; k < 256; ++k) {
    const int steps = k < 128 ? 128 - k : k - 128;  // 0 .. 127
    t[k] = k < 128 ? RainbowEntry{blend(low.red, steps), blend(low.green, steps),
                                  blend(low.blue, steps)}
                   : RainbowEntry{blend(27, steps), blend(120, steps), blend(55, steps)};
  }
  return t;
}

uint32_t Key(uint8_t r, uint8_t g, uint8_t b) { return (uint32_t{r} << 16) | (g << 8) | b; }

}  // namespace

const RainbowTable& Rainbow() {
  static const RainbowTable table = BuildRainbow();
  return table;
}

const RainbowTable& Diverging(DivergingColours colours) {
  static const RainbowTable blue = BuildDiverging({33, 102, 172});
  static const RainbowTable red = BuildDiverging({178, 24, 43});
  return colours == DivergingColours::kRedWhiteGreen ? red : blue;
}

void ApplyDiverging(Dib& dib, DivergingColours colours) {
  const RainbowTable& table = Diverging(colours);
  for (int32_t y = 0; y < dib.height; ++y) {
    uint8_t* p = dib.StoredRow(y);
    for (int32_t x = 0; x < dib.width; ++x, p += 3) {
      const RainbowEntry& e = table[p[0]];
      p[0] = e.blue;
      p[1] = e.green;
      p[2] = e.red;
    }
  }
}

DivergingColours RangeColours(std::string_view text) {
  // Header, range, formula, then the colour line.
  for (int line = 0; line < 3; ++line) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) return DivergingColours::kNone;
    text.remove_prefix(end + 1);
  }
  text = text.substr(0, text.find('\n'));
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  if (text == kDivergingRangeLine) return DivergingColours::kBlueWhiteGreen;
  if (text == kChangeRangeLine) return DivergingColours::kRedWhiteGreen;
  return DivergingColours::kNone;
}

int RainbowIndex(int v, float dispMin, float dispMax, bool reverse) {
  if (v < dispMin) return -1;
  // The range's low end truncated as an int holds it. A range read from a
  // file may start at -2^31 (or be NaN): the difference is taken in 64 bits,
  // which gives the same value wherever an int would not overflow.
  const double low = std::isnan(dispMin) ? 0.0 : std::clamp<double>(dispMin, INT32_MIN, INT32_MAX);
  const int64_t lo = static_cast<int64_t>(low);
  const float s = 255 / (dispMax - dispMin);
  // (v - lo) * s is a float product; adding the double 0.5 makes it double.
  double t = static_cast<float>(v - lo) * s + 0.5;
  // An empty range (all samples equal) gives 0 * inf: show the first entry
  // instead of converting NaN.
  if (!(t > 0.0)) t = 0.0;
  if (t > 255.0) t = 255.0;
  // Reversed, a sample takes entry 255 - k, as the reverse command and the
  // reversed legend give it; truncating 255 - t instead would shift every
  // sample by one entry and leave the range's low end short of 255.
  const int k = static_cast<int>(t);
  return reverse ? 255 - k : k;
}

void ApplyRainbow(Dib& dib, float dispMin, float dispMax, bool reverse) {
  // The first byte has only 256 values: map each once.
  int index[256];
  for (int v = 0; v < 256; ++v) index[v] = RainbowIndex(v, dispMin, dispMax, reverse);
  const RainbowTable& table = Rainbow();
  for (int32_t y = 0; y < dib.height; ++y) {
    uint8_t* p = dib.StoredRow(y);
    for (int32_t x = 0; x < dib.width; ++x, p += 3) {
      const int k = index[p[0]];
      if (k < 0) continue;
      p[0] = table[k].blue;
      p[1] = table[k].green;
      p[2] = table[k].red;
    }
  }
}

bool ReverseRainbowColours(const Dib& source, Dib& out, Progress* progress) {
  Dib fresh;
  if (!fresh.Create(source.width, source.height)) return false;
  if (progress) progress->Create(source.height / 100, "反転中");
  const RainbowTable& table = Rainbow();
  // The first entry with a colour wins, as a search from k = 0 would find.
  std::unordered_map<uint32_t, int> first;
  for (int k = 255; k >= 0; --k) first[Key(table[k].red, table[k].green, table[k].blue)] = k;
  for (int32_t y = 0; y < source.height; ++y) {
    const uint8_t* p = source.StoredRow(y);
    uint8_t* q = fresh.StoredRow(y);
    for (int32_t x = 0; x < source.width; ++x, p += 3, q += 3) {
      auto it = first.find(Key(p[2], p[1], p[0]));
      if (it == first.end()) continue;
      const RainbowEntry& e = table[255 - it->second];
      q[0] = e.blue;
      q[1] = e.green;
      q[2] = e.red;
    }
    if (progress)
      progress->SetProgress(static_cast<float>(y + 1) / static_cast<float>(source.height));
  }
  if (progress) progress->Close();
  out = std::move(fresh);
  return true;
}

}  // namespace lumora
