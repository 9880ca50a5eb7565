// Scatter plot of two bands: the sampled counts per pair of values, the
// colour of a count, the cells of the plot on screen and on the printed or
// saved page, and the page picture itself without its texts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/support/messenger.h"
#include "core/view/dib.h"
#include "core/view/display_state.h"
#include "core/windows/region_stats.h"

namespace lumora {

// counts[x * 256 + y]: samples whose X band value is x and Y band value y.
// At most 100 x 100 samples are taken, so a 16-bit count never overflows.
using ScatterCounts = std::vector<uint16_t>;
inline constexpr int kScatterCells = 65536;

// Every columnStep-th of `columns` columns of every lineStep-th of `lines` lines.
struct ScatterSampling {
  int columnStep = 1;
  int lineStep = 1;
  int columns = 0;
  int lines = 0;
};
ScatterSampling SamplingFor(int areaPixels, int areaLines);

// Counts the 8-bit bands xBand and yBand (numbers as in the band list) of
// the set beside settingsPath over the shown area (band file lines are
// imagePixels long). 61234 when a band file cannot be opened, 61418 when it
// is shorter than the image; the counts are cleared first either way.
bool ComputeScatter(const std::string& settingsPath, int xBand, int yBand, int imagePixels,
                    const AreaRect& area, ScatterCounts& counts, Messenger& messenger);

// The cells (x * 256 + y) that pixels of a region fall in: every pixel of
// the spans, 8-bit bands xBand and yBand read row by row. 61234 when a band
// file cannot be opened, 61441 when it is shorter; cells cleared either way.
bool RegionScatterCells(const std::string& settingsPath, int xBand, int yBand, int imagePixels,
                        const std::vector<RowSpan>& spans, std::vector<bool>& cells,
                        Messenger& messenger);

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
// Black for 0, then blue, sky blue, cyan, green, yellow, red, and white from 7 on.
Rgb ScatterColour(int count);

// A cell in window pixels: columns left .. left + width - 1, rows
// top .. top + height - 1 (rows grow downwards).
struct CellRect {
  int left = 0, top = 0, width = 0, height = 0;
};
// The cell of (x, y) in the on-screen plot frame whose inner left edge is
// frameLeft and bottom edge frameBottom, w x h pixels: X to the right, Y up.
CellRect ScreenCell(int x, int y, int frameLeft, int frameBottom, int w, int h);

// The on-screen plot as a w x h picture: black where no cell falls, every
// cell in its count's colour, X outer and Y inner so that later cells cover
// the pixels they share with earlier ones; cells are cut at the edges.
bool RenderScatterPlot(const ScatterCounts& counts, int w, int h, Dib& out);

// The printed and saved page: 1000 x 1414 units scaled by k.
inline constexpr int kScatterPageWidth = 1000;
inline constexpr int kScatterPageHeight = 1414;
struct ScatterPage {
  double k = 1.0;
  // The square plot frame; cells tile it exactly.
  int plotLeft = 0, plotTop = 0, plotSize = 0;
  // Where the title ("散布図\r\n" + image name) is centred and the captions sit.
  int titleTop = 0;
  int xCaptionTop = 0;     // below the plot, centred on it
  int yCaptionBottom = 0;  // above the plot, from its left edge
};
ScatterPage ScatterPageFor(int deviceWidth, int deviceHeight);
CellRect PageCell(const ScatterPage& page, int x, int y);

// The page picture as saved (white, the cells in their colours, a black
// frame); the texts are drawn over it by whoever has fonts.
bool RenderScatterPage(const ScatterCounts& counts, Dib& out);

// The title of the printed page: the image as the user opened it.
std::string ScatterTitle(const std::string& openedSettingsPath);

}  // namespace lumora
