// The class legend of a classification result: its items read from the
// classification legend file (.mlk) in the two ways the window and the page
// read it, the wrapping of long titles on a page, and the page layout.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/analysis/vegetation_index.h"
#include "core/support/messenger.h"

namespace lumora {

struct LegendItem {
  uint8_t red = 0, green = 0, blue = 0;
  std::string title;  // UTF-8
  // On the page, lines of their own under the title, never wrapped (the
  // class's pixels, area and share when the legend shows them).
  std::vector<std::string> notes{};
};

// The window's reading: counts followed; false when a line the counts ask
// for is missing (the items read so far stay in out).
bool ParseClassLegend(std::string_view text, std::vector<LegendItem>& out);
// The page's reading: every line after the band numbers and the class count
// is a class line, whatever the count says.
std::vector<LegendItem> ParseClassLegendForPage(std::string_view text);

// Reads the legend file beside a settings path (path without extension +
// ".mlk"): 61234 when it cannot be opened (false, no items), 61417 when it
// is short (false, the items read so far).
bool LoadClassLegend(const std::string& mlkPath, std::vector<LegendItem>& out,
                     Messenger& messenger);
bool LoadClassLegendForPage(const std::string& mlkPath, std::vector<LegendItem>& out,
                            Messenger& messenger);

// Splits a title into page lines. lines = 1 + textWidth / columnWidth;
// bytes per line = length / lines, made even, at least one; lines hold at
// most that many bytes (counted as the title is stored, in CP932) and
// never split a character.
std::vector<std::string> WrapLegendTitle(const std::string& utf8Title, int textWidth,
                                         int columnWidth);

// Measures a text on the page: width and height in page units.
struct TextSize {
  int cx = 0, cy = 0;
};
using TextMeasure = std::function<TextSize(const std::string& utf8)>;

struct ClassPageLayout {
  std::vector<LegendRect> swatches;
  std::vector<RainbowEntry> colours;  // per swatch
  std::vector<PageLabel> lines;       // title lines, top-left positions
  int columnWidth = 0;
};
// corner: 0 upper right, 1 lower right, 2 lower left, 3 upper left.
ClassPageLayout LayoutClassLegendOnPage(const std::vector<LegendItem>& items, int anchorX,
                                        int anchorY, int corner, double s,
                                        const TextMeasure& measure);

}  // namespace lumora
