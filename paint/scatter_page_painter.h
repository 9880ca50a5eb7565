// Draws the scatter plot's A4 page (the cells in their count colours inside
// a black frame, the title and the two axis captions) with QtGui alone, so
// that the program's printout, its saved picture and lumora-cli agree.
#pragma once

#include <QImage>
#include <string>

#include "core/windows/scatter.h"

class QPainter;

namespace lumora::paint {

struct ScatterTexts {
  std::string title;     // "散布図\r\n" and the image's name: two centred lines
  std::string xCaption;  // the X band as the band list shows it, below the plot
  std::string yCaption;  // the Y band, above the plot from its left edge
};

// The page laid out for a device area of width x height pixels (a printer's
// printable area or the saved picture) and drawn from the painter's origin.
void PaintScatterPage(QPainter& p, int width, int height, const ScatterCounts& counts,
                      const ScatterTexts& texts);

// The saved picture: the page on kScatterPageWidth x kScatterPageHeight pixels.
QImage RenderScatterExportPage(const ScatterCounts& counts, const ScatterTexts& texts);

}  // namespace lumora::paint
