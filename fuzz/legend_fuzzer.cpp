// Fuzz target for the classification legend file (.mlk): the class dialog's
// reading, the legend window's and the page's, and what each then does with
// the classes (area texts, title wrapping, the page layout). A class read
// must write back to the same columns.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/analysis/class_legend.h"
#include "core/analysis/land_cover.h"
#include "core/support/text_encoding.h"
#include "fuzz/fuzz_support.h"

using lumora::fuzz::Check;

int LumoraFuzzLegend(const uint8_t* data, size_t size) {
  const std::string_view text = lumora::fuzz::AsText(data, size);
  std::vector<lumora::ClassItem> classes;
  lumora::ParseLandCoverClasses(text, classes);
  for (const auto& c : classes) {
    Check(lumora::IsValidUtf8(c.title));
    lumora::AreaText(c);
    const lumora::ClassItem again = lumora::ParseClassLine(lumora::FormatClassLine(c));
    Check(again.red == c.red && again.green == c.green && again.blue == c.blue &&
          again.top == c.top && again.bottom == c.bottom && again.right == c.right &&
          again.left == c.left);
  }
  std::vector<lumora::LegendItem> window;
  lumora::ParseClassLegend(text, window);
  auto page = lumora::ParseClassLegendForPage(text);
  for (const auto& item : window) {
    Check(lumora::IsValidUtf8(item.title));
    for (const auto& line : lumora::WrapLegendTitle(item.title, 300, 40))
      Check(lumora::IsValidUtf8(line));
  }
  // A page holds a few dozen classes; the layout of many is the same code.
  page.resize(std::min<size_t>(page.size(), 64));
  const auto measure = [](const std::string& s) {
    return lumora::TextSize{static_cast<int>(std::min<size_t>(s.size(), 1000)) * 8, 16};
  };
  lumora::LayoutClassLegendOnPage(page, 500, 700, static_cast<int>(size % 4), 1.5, measure);
  return 0;
}

#ifdef LUMORA_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return LumoraFuzzLegend(data, size);
}
#endif
