#include "core/analysis/class_legend.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "core/analysis/land_cover.h"
#include "core/support/line_reader.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/support/text_encoding.h"

namespace lumora {

namespace {

constexpr int kLegendLineBuffer = 128;

LegendItem ItemOfLine(std::string_view line) {
  // Colours as the window reads them: the text from each column on, up to
  // the first character that is not part of the number.
  const auto at = [&](size_t from) {
    return from < line.size() ? std::clamp(AtoI(line.substr(from)), 0, 255) : 0;
  };
  LegendItem item;
  item.red = static_cast<uint8_t>(std::clamp(AtoI(line.substr(0, 3)), 0, 255));
  item.green = static_cast<uint8_t>(at(4));
  item.blue = static_cast<uint8_t>(at(8));
  item.title = ParseClassLine(line).title;
  return item;
}

int Trunc(double v) { return static_cast<int>(std::trunc(v)); }

size_t Utf8CharLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

bool ParseClassLegend(std::string_view text, std::vector<LegendItem>& out) {
  return ForEachClassLine(text, [&](const std::string& line) { out.push_back(ItemOfLine(line)); });
}

std::vector<LegendItem> ParseClassLegendForPage(std::string_view text) {
  StringLineReader reader(text, kLegendLineBuffer);
  std::vector<LegendItem> items;
  std::string line;
  int64_t index = 0;
  int64_t firstClassLine = INT64_MAX;
  while (reader.Next(line)) {
    // A negative band count is read as none, so that the count lines stay counts.
    if (index == 3) firstClassLine = 5 + int64_t{std::max(0, AtoI(line))};
    if (index >= firstClassLine) items.push_back(ItemOfLine(line));
    ++index;
  }
  return items;
}

bool LoadClassLegend(const std::string& mlkPath, std::vector<LegendItem>& out,
                     Messenger& messenger) {
  std::string text;
  const TextRead read = ReadTextFile(mlkPath, kMaxLegendFileBytes, text);
  if (read == TextRead::kCannotOpen) {
    messenger.ShowMessage(kMsgOpenFailed);
    return false;
  }
  if (read == TextRead::kTooLarge || !ParseClassLegend(text, out)) {
    messenger.ShowMessage(kMsgBadMlkFile);
    return false;
  }
  return true;
}

bool LoadClassLegendForPage(const std::string& mlkPath, std::vector<LegendItem>& out,
                            Messenger& messenger) {
  std::string text;
  const TextRead read = ReadTextFile(mlkPath, kMaxLegendFileBytes, text);
  if (read == TextRead::kCannotOpen) {
    messenger.ShowMessage(kMsgOpenFailed);
    return false;
  }
  if (read == TextRead::kTooLarge) {
    messenger.ShowMessage(kMsgBadMlkFile);
    return false;
  }
  out = ParseClassLegendForPage(text);
  return true;
}

std::vector<std::string> WrapLegendTitle(const std::string& utf8Title, int textWidth,
                                         int columnWidth) {
  // Characters with their stored (CP932) length.
  std::vector<std::pair<std::string, size_t>> chars;
  size_t stored = 0;
  for (size_t i = 0; i < utf8Title.size();) {
    const size_t n =
        std::min(Utf8CharLength(static_cast<unsigned char>(utf8Title[i])), utf8Title.size() - i);
    std::string ch = utf8Title.substr(i, n);
    const size_t len = std::max<size_t>(1, ToCp932(ch).size());
    chars.emplace_back(std::move(ch), len);
    stored += len;
    i += n;
  }
  if (chars.empty()) return {std::string()};
  int64_t lines = 1;
  if (columnWidth > 0 && textWidth > 0) lines += textWidth / columnWidth;
  int64_t perLine = static_cast<int64_t>(stored) / lines;
  if (perLine % 2 != 0) --perLine;
  if (perLine < 1) perLine = 1;
  std::vector<std::string> out(1);
  int64_t used = 0;
  for (const auto& [ch, len] : chars) {
    if (used > 0 && used + static_cast<int64_t>(len) > perLine) {
      out.emplace_back();
      used = 0;
    }
    out.back() += ch;
    used += static_cast<int64_t>(len);
  }
  return out;
}

ClassPageLayout LayoutClassLegendOnPage(const std::vector<LegendItem>& items, int anchorX,
                                        int anchorY, int corner, double s,
                                        const TextMeasure& measure) {
  ClassPageLayout layout;
  const int w = Trunc(75 * s);
  layout.columnWidth = w;
  const int xs = anchorX + Trunc(5 * s);
  const int swatchRight = xs + Trunc(20 * s);
  const int textX = xs + Trunc(25 * s);
  const bool upper = corner == 0 || corner == 3;
  int y = anchorY;
  const size_t count = items.size();
  for (size_t n = 0; n < count; ++n) {
    const LegendItem& item = items[upper ? n : count - 1 - n];
    const TextSize size = measure(item.title);
    auto lines = WrapLegendTitle(item.title, size.cx, w);
    lines.insert(lines.end(), item.notes.begin(), item.notes.end());
    const RainbowEntry colour{item.red, item.green, item.blue};
    if (upper) {
      layout.swatches.push_back(LegendRect{xs, y, swatchRight, y + size.cy});
      layout.colours.push_back(colour);
      for (const auto& line : lines) {
        layout.lines.push_back(PageLabel{textX, y, line});
        y += size.cy + 1;
      }
      y += size.cy;
    } else {
      for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        layout.lines.push_back(PageLabel{textX, y - size.cy, *it});
        y = y - size.cy + 1;
      }
      layout.swatches.push_back(LegendRect{xs, y, swatchRight, y + size.cy});
      layout.colours.push_back(colour);
      y -= size.cy;
    }
  }
  return layout;
}

}  // namespace lumora
