#include "paint/scatter_page_painter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>
#include <algorithm>

#include "paint/map_page_painter.h"

namespace lumora::paint {

namespace {

// Title and captions in page units, as the map page's title font.
constexpr int kTitlePixels = 36;
constexpr int kCaptionPixels = 24;

QFont PageGothic(int pixels) {
  QFont f(QStringLiteral("IPAGothic"));
  f.setPixelSize(pixels);
  f.setStyleHint(QFont::SansSerif);
  return f;
}

}  // namespace

void PaintScatterPage(QPainter& p, int width, int height, const ScatterCounts& counts,
                      const ScatterTexts& texts) {
  const ScatterPage page = ScatterPageFor(width, height);
  p.save();
  p.fillRect(QRectF(0, 0, kScatterPageWidth * page.k, kScatterPageHeight * page.k), Qt::white);
  if (counts.size() == kScatterCells) {
    for (int x = 0; x < 256; ++x)
      for (int y = 0; y < 256; ++y) {
        const CellRect c = PageCell(page, x, y);
        const Rgb colour = ScatterColour(counts[x * 256 + y]);
        p.fillRect(c.left, c.top, c.width, c.height, QColor(colour.r, colour.g, colour.b));
      }
  }
  // The frame just outside the cells, a page unit thick.
  const int t = std::max(1, static_cast<int>(page.k));
  const int l = page.plotLeft - t, top = page.plotTop - t, s = page.plotSize + 2 * t;
  for (const QRect& edge : {QRect(l, top, s, t), QRect(l, top + s - t, s, t), QRect(l, top, t, s),
                            QRect(l + s - t, top, t, s)})
    p.fillRect(edge, Qt::black);

  // Texts are laid out in page units and scaled onto the device.
  const double k = page.k;
  auto draw = [&](const QFont& font, const QString& text, double left, double top, bool centred) {
    const QFontMetrics m(font);
    p.save();
    p.translate(left, top);
    p.scale(k, k);
    p.setFont(font);
    p.setPen(Qt::black);
    const double x = centred ? -m.horizontalAdvance(text) / 2.0 : 0.0;
    p.drawText(QPointF(x, m.ascent()), text);
    p.restore();
  };
  const QFont title = PageGothic(kTitlePixels);
  const QStringList lines = ToQ(texts.title).split(QStringLiteral("\r\n"));
  const int lineHeight = QFontMetrics(title).height();
  for (qsizetype i = 0; i < lines.size(); ++i)
    draw(title, lines[i], kScatterPageWidth * k / 2, page.titleTop + i * lineHeight * k, true);
  const QFont caption = PageGothic(kCaptionPixels);
  draw(caption, ToQ(texts.xCaption), page.plotLeft + page.plotSize / 2.0, page.xCaptionTop, true);
  draw(caption, ToQ(texts.yCaption), page.plotLeft,
       page.yCaptionBottom - QFontMetrics(caption).height() * k, false);
  p.restore();
}

QImage RenderScatterExportPage(const ScatterCounts& counts, const ScatterTexts& texts) {
  QImage out(kScatterPageWidth, kScatterPageHeight, QImage::Format_RGB32);
  out.fill(Qt::white);
  QPainter p(&out);
  PaintScatterPage(p, kScatterPageWidth, kScatterPageHeight, counts, texts);
  p.end();
  return out;
}

}  // namespace lumora::paint
