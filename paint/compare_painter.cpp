#include "paint/compare_painter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "paint/spectrum_painter.h"

namespace lumora::paint {

QRectF ComparePictureRect(double k, int which, int width, int height) {
  // Each half: 880 x 560 units below the title, the date under it.
  const double boxW = 880 * k, boxH = 560 * k, top = (190 + which * 620) * k;
  if (width <= 0 || height <= 0) return {};
  const double s = std::min(boxW / width, boxH / height);
  const double w = width * s, h = height * s;
  return {60 * k + (boxW - w) / 2, top + (boxH - h) / 2, w, h};
}

void PaintComparePage(QPainter& p, int width, int height, const std::string& title,
                      const QImage& earlier, const std::string& earlierDate, const QImage& later,
                      const std::string& laterDate) {
  const double k = PageScale(width, height);
  p.save();
  p.fillRect(QRectF(0, 0, 1000 * k, 1414 * k), Qt::white);
  PageTitle(p, k, title);
  QFont f(QStringLiteral("IPAGothic"));
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(24 * k))));
  p.setFont(f);
  const QFontMetricsF m(f);
  const QImage* pictures[2] = {&earlier, &later};
  const std::string* dates[2] = {&earlierDate, &laterDate};
  for (int i = 0; i < 2; ++i) {
    const QRectF r = ComparePictureRect(k, i, pictures[i]->width(), pictures[i]->height());
    if (r.isEmpty()) continue;
    p.drawImage(r, *pictures[i]);
    p.setPen(QPen(Qt::black, std::max(1.0, k)));
    p.drawRect(r);
    const QString date = QString::fromStdString(*dates[i]);
    p.drawText(QPointF(500 * k - m.horizontalAdvance(date) / 2, r.bottom() + 8 * k + m.ascent()),
               date);
  }
  p.restore();
}

}  // namespace lumora::paint
