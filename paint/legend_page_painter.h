// The legends of the thematic displays in their page form (the colour ramp
// of the vegetation index and single-band rainbow, the land-cover classes,
// the elevation colours), drawn from core's page layouts. The legend
// windows draw their page form through these, and so does lumora-cli.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <string>

#include "core/support/messenger.h"
#include "core/view/display_loader.h"
#include "core/view/display_state.h"
#include "paint/legend_painter.h"

namespace lumora::paint {

// The legend texts: the installed Japanese gothic, 12 page units.
QFont LegendFont();

// A class swatch: the colour inside a dark frame `frame` pixels wide, so
// that a white class shows on white paper and on screen alike.
void PaintSwatch(QPainter& p, const QRect& box, const QColor& colour, int frame);

// The legend of a display in the given corner at the anchor, at scale s.
// Files the legend needs are read now (a missing or broken file is
// reported through the messenger and draws nothing: false). classAreas:
// under each class its pixels, area and share of the image, as the class
// legend window shows them.
bool PaintLegend(QPainter& p, LegendKind kind, const DisplayState& state, int x, int y, int corner,
                 double s, Messenger& messenger, bool classAreas = false);

// A painter for the map page that draws the legend of this display.
LegendPainter LegendOf(LegendKind kind, const DisplayState& state, Messenger& messenger,
                       bool classAreas = false);

}  // namespace lumora::paint
