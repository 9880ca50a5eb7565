// Draws the annotated A4 map page (title, latitude/longitude grid with its
// labels, scale bar, north mark, legend and the image) from core's layout
// with QtGui alone, so the program's window, its printout, its export and
// lumora-cli all draw the very same page.
//
// Lengths are page units (screen pixels of the A4 page) times the layout
// scale s; a painter draws in its device's pixels, so s is the device's
// pixels per page unit: the window's height over the page height on screen,
// 1000 / page width for the exported picture, the printable area's factor
// when printing.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

#include "core/output/map_layout.h"
#include "core/view/dib.h"
#include "paint/legend_painter.h"

class QPainter;

namespace lumora::paint {

// The exported page and its resolution (4761 / 4760 pixels per metre).
inline constexpr int kExportPageWidth = 1000;
inline constexpr int kExportPageHeight = 1414;
// lumora-cli lays the page out as a 96 dots-per-inch screen does.
inline constexpr int kDefaultDpi = 96;

// Fonts carry pixel sizes in page units; the colour of the grid is that of
// its lines and labels, the scale colour that of its bar and labels.
struct PageStyle {
  QFont titleFont;
  QFont gridFont;
  QFont scaleFont;
  QColor titleColour{0, 0, 0};
  QColor gridColour{255, 0, 0};
  QColor scaleColour{0, 0, 0};
};
// The installed Japanese gothic (IPAGothic): title 28, labels 16 units.
PageStyle DefaultPageStyle();
// A font chosen in points on a screen of dpi becomes a page-unit font.
QFont PageFont(const QFont& chosen, int dpi);

// Text measured in page units at layout scale 1 with the page's fonts.
class PageTextMeasurer : public TextMeasurer {
 public:
  explicit PageTextMeasurer(const PageStyle& style) : m_style(style) {}
  TextExtent Measure(TextRole role, const std::string& utf8) override;

 private:
  const PageStyle& m_style;
};

struct MapPage {
  int pageWidth = 794;  // page units
  int pageHeight = 1123;
  QImage picture;  // the display image, top row first
  MapImage image;  // its size, step and geo reference; the north mark's size
  AnnotationSettings settings;
  PageStyle style;
  QImage northMark;
  LegendPainter legend;  // none: nothing is drawn for the legend
};

// A map page for a display image of file state shownFileState and its
// settings with the default style. Without a map reference (see
// HasMapReference) the page has no grid and no scale bar whatever a asks.
MapPage MakeMapPage(int dpiX, int dpiY, const Dib& display, int step, const ImageSettings& s,
                    int shownFileState, const AnnotationSettings& a, const QImage& northMark);

// Lays the page out at scale s and draws it with its top-left corner at the
// painter's origin: the page white, the grid, title, north mark, scale bar
// and legend, then the image over them. Returns the layout drawn.
MapLayout PaintMapPage(QPainter& p, const MapPage& page, double s);

// The page without annotations: the picture centred with at least 50 units
// of margin, drawn at scale s.
void PaintPlainPage(QPainter& p, int pageWidth, int pageHeight, const QImage& picture, double s);

// The page fitted into a device area of width x height pixels (a printer's
// printable area or a PDF page), keeping its proportions, from the origin.
// annotated: the map page, otherwise the plain page.
void PaintPageOnDevice(QPainter& p, int width, int height, const MapPage& page, bool annotated);

// The page drawn onto kExportPageWidth x kExportPageHeight pixels, as a
// window of that size shows it.
QImage RenderExportPage(const MapPage& page);

// Conversions between the display image (bottom-up BGR rows) and a picture.
QImage PictureOf(const Dib& dib);
Dib DibOf(const QImage& picture);

// The north mark as the program loads it at start-up: our own picture on
// white. Null when the picture cannot be read.
QImage LoadNorthMark(const QString& svgPath = QStringLiteral(":/paint/north.svg"));

QString ToQ(const std::string& utf8);

}  // namespace lumora::paint
