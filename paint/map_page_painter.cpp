#include "paint/map_page_painter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QSvgRenderer>
#include <cstring>

#include "core/output/page_layout.h"

// Resources of a static library are registered by hand, outside any namespace.
static void InitPaintResources() { Q_INIT_RESOURCE(paint); }

namespace lumora::paint {

namespace {

QFont GothicFont(int pixels, bool bold = false) {
  QFont f(QStringLiteral("IPAGothic"));
  f.setPixelSize(pixels);
  f.setBold(bold);
  f.setStyleHint(QFont::SansSerif);
  return f;
}

const QFont& FontFor(const PageStyle& style, TextRole role) {
  switch (role) {
    case TextRole::kTitle: return style.titleFont;
    case TextRole::kGridLabel: return style.gridFont;
    case TextRole::kScaleLabel: break;
  }
  return style.scaleFont;
}

// One line of text with its top-left corner at the rectangle's, the font's
// page-unit size times s.
void DrawLine(QPainter& p, const QFont& font, const QColor& colour, const PageRect& r,
              const std::string& text, double s) {
  p.save();
  p.translate(r.left, r.top);
  p.scale(s, s);
  p.setFont(font);
  p.setPen(colour);
  p.drawText(QPointF(0, QFontMetrics(font).ascent()), ToQ(text));
  p.restore();
}

QPen SolidPen(const QColor& colour, double s) {
  QPen pen(colour);
  pen.setWidth(std::max(1, static_cast<int>(s)));
  pen.setCapStyle(Qt::FlatCap);
  return pen;
}

void DrawScaleBar(QPainter& p, const MapLayout& l, const PageStyle& style) {
  const double tick = 5 * l.s;
  const double y = l.scaleBar.top + tick;
  p.setPen(SolidPen(style.scaleColour, l.s));
  p.drawLine(QPointF(l.scaleTicks[0], y), QPointF(l.scaleTicks[2], y));
  for (int x : l.scaleTicks) p.drawLine(QPointF(x, l.scaleBar.top), QPointF(x, y));
  for (const TextBox& label : l.scaleLabels)
    DrawLine(p, style.scaleFont, style.scaleColour, label.rect, label.text, l.s);
}

void DrawGrid(QPainter& p, const MapLayout& l, const MapPage& page) {
  PageTextMeasurer measurer(page.style);
  const auto lines = LayoutGrid(l, page.image, page.settings, measurer);
  p.setPen(SolidPen(page.style.gridColour, l.s));
  for (const GridLine& g : lines) p.drawLine(QPointF(g.from.x, g.from.y), QPointF(g.to.x, g.to.y));
  for (const GridLine& g : lines)
    DrawLine(p, page.style.gridFont, page.style.gridColour, g.label.rect, g.label.text, l.s);
}

}  // namespace

QString ToQ(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

PageStyle DefaultPageStyle() {
  PageStyle style;
  style.titleFont = GothicFont(28, true);
  // 16 units are 4 mm on the A4 sheet: labels a pupil reads on paper.
  style.gridFont = GothicFont(16);
  style.scaleFont = GothicFont(16);
  return style;
}

QFont PageFont(const QFont& chosen, int dpi) {
  QFont f(chosen);
  if (chosen.pixelSize() <= 0 && chosen.pointSizeF() > 0)
    f.setPixelSize(std::max(1, static_cast<int>(chosen.pointSizeF() * dpi / 72.0 + 0.5)));
  return f;
}

TextExtent PageTextMeasurer::Measure(TextRole role, const std::string& utf8) {
  const QFontMetrics m(FontFor(m_style, role));
  return {m.horizontalAdvance(ToQ(utf8)), m.height()};
}

MapPage MakeMapPage(int dpiX, int dpiY, const Dib& display, int step, const ImageSettings& s,
                    int shownFileState, const AnnotationSettings& a, const QImage& northMark) {
  MapPage page;
  const FrameSize size = A4PageSize(dpiX, dpiY);
  page.pageWidth = size.width;
  page.pageHeight = size.height;
  page.picture = PictureOf(display);
  page.image.dibWidth = display.width;
  page.image.dibHeight = display.height;
  page.image.step = step;
  if (HasMapReference(s, shownFileState)) {
    page.image.lengthPerPixel = s.lengthPerPixel;
    page.image.leftTopLon = s.leftTopLon;
    page.image.leftTopLat = s.leftTopLat;
    page.image.inclination = s.inclination;
  }
  page.image.northBitmapWidth = northMark.width();
  page.image.northBitmapHeight = northMark.height();
  page.settings = a;
  page.style = DefaultPageStyle();
  page.northMark = northMark;
  return page;
}

MapLayout PaintMapPage(QPainter& p, const MapPage& page, double s) {
  PageTextMeasurer measurer(page.style);
  const MapLayout l =
      LayoutMap(page.pageWidth, page.pageHeight, s, page.image, page.settings, measurer);
  p.save();
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  p.fillRect(QRect(0, 0, l.pageWidth, l.pageHeight), Qt::white);
  if (page.settings.showGrid) DrawGrid(p, l, page);
  for (const TextBox& line : l.titleLines)
    DrawLine(p, page.style.titleFont, page.style.titleColour, line.rect, line.text, s);
  if (page.settings.showNorth && !page.northMark.isNull())
    p.drawImage(QRect(l.north.left, l.north.top, l.north.width, l.north.height), page.northMark);
  if (!l.scaleLabels.empty()) DrawScaleBar(p, l, page.style);
  if (page.settings.showLegend && page.legend)
    page.legend(p, l.legendX, l.legendY, page.settings.legendPosition, s);
  // The image last, over whatever fell into its rectangle: the grid shows
  // around it, as ticks and labels along its edges.
  if (!page.picture.isNull() && l.image.width > 0 && l.image.height > 0)
    p.drawImage(QRect(l.image.left, l.image.top, l.image.width, l.image.height), page.picture);
  p.restore();
  return l;
}

void PaintPlainPage(QPainter& p, int pageWidth, int pageHeight, const QImage& picture, double s) {
  p.save();
  p.fillRect(QRectF(0, 0, pageWidth * s, pageHeight * s), Qt::white);
  const PlainPlacement place =
      PlacePlainImage(pageWidth, pageHeight, picture.width(), picture.height());
  if (place.rect.width > 0 && place.rect.height > 0) {
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.drawImage(QRectF(place.rect.left * s, place.rect.top * s, place.rect.width * s,
                       place.rect.height * s),
                picture);
  }
  p.restore();
}

void PaintPageOnDevice(QPainter& p, int width, int height, const MapPage& page, bool annotated) {
  const double s = PageToDeviceFactor(page.pageWidth, page.pageHeight, width, height);
  if (annotated)
    PaintMapPage(p, page, s);
  else
    PaintPlainPage(p, page.pageWidth, page.pageHeight, page.picture, s);
}

QImage RenderExportPage(const MapPage& page) {
  QImage out(kExportPageWidth, kExportPageHeight, QImage::Format_RGB32);
  out.fill(Qt::white);
  QPainter p(&out);
  PaintPageOnDevice(p, kExportPageWidth, kExportPageHeight, page, true);
  return out;
}

QImage PictureOf(const Dib& dib) {
  if (dib.Empty()) return {};
  QImage picture(dib.width, dib.height, QImage::Format_BGR888);
  const size_t rowBytes = size_t(dib.width) * 3;
  for (int y = 0; y < dib.height; ++y) std::memcpy(picture.scanLine(y), dib.TopRow(y), rowBytes);
  return picture;
}

Dib DibOf(const QImage& picture) {
  Dib dib;
  if (picture.isNull() || !dib.Create(picture.width(), picture.height())) return dib;
  const QImage bgr = picture.convertToFormat(QImage::Format_BGR888);
  const size_t rowBytes = size_t(dib.width) * 3;
  for (int y = 0; y < dib.height; ++y) std::memcpy(dib.TopRow(y), bgr.constScanLine(y), rowBytes);
  return dib;
}

QImage LoadNorthMark(const QString& svgPath) {
  static const bool registered = (InitPaintResources(), true);
  (void)registered;
  QSvgRenderer svg(svgPath);
  if (!svg.isValid() || svg.defaultSize().isEmpty()) return {};
  QImage drawn(svg.defaultSize(), QImage::Format_ARGB32_Premultiplied);
  drawn.fill(Qt::transparent);
  {
    QPainter p(&drawn);
    svg.render(&p);
  }
  // The page is white where the picture is transparent.
  QImage mark(drawn.size(), QImage::Format_BGR888);
  mark.fill(Qt::white);
  QPainter p(&mark);
  p.drawImage(0, 0, drawn);
  return mark;
}

}  // namespace lumora::paint
