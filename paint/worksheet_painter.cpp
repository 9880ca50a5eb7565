#include "paint/worksheet_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <algorithm>

namespace lumora::paint {

namespace {

QFont SheetFont(double pixels, bool bold = false) {
  QFont f(QStringLiteral("IPAGothic"));
  f.setPixelSize(std::max(1, static_cast<int>(pixels)));
  f.setBold(bold);
  return f;
}

}  // namespace

void PaintWorksheet(QPainter& p, int width, int height, const Worksheet& sheet) {
  p.save();
  p.fillRect(0, 0, width, height, Qt::white);
  // Page units: 1000 across, as the map page.
  const double u = width / 1000.0;
  const int margin = static_cast<int>(60 * u);
  int y = margin;
  p.setPen(Qt::black);
  p.setFont(SheetFont(44 * u, true));
  const QRect titleBox(margin, y, width - 2 * margin, static_cast<int>(70 * u));
  p.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, sheet.title);
  y = titleBox.bottom() + static_cast<int>(20 * u);
  p.setFont(SheetFont(26 * u));
  const int line = QFontMetrics(p.font()).height();
  p.drawText(margin, y + line, sheet.nameCaption + QStringLiteral("  ") + sheet.pupil);
  p.drawText(width / 2, y + line, sheet.dateCaption + QStringLiteral("  ") + sheet.date);
  y += line + static_cast<int>(14 * u);
  p.setPen(QPen(Qt::black, std::max(1, static_cast<int>(2 * u))));
  p.drawLine(margin, y, width - margin, y);
  y += static_cast<int>(24 * u);

  // Questions and answers, each question wrapped to the page.
  const int textWidth = width - 2 * margin;
  for (const Worksheet::Answer& a : sheet.answers) {
    p.setFont(SheetFont(24 * u, true));
    const QRect q =
        p.boundingRect(QRect(margin, y, textWidth, height), Qt::TextWordWrap, a.question);
    p.drawText(q, Qt::TextWordWrap, a.question);
    y = q.bottom() + static_cast<int>(6 * u);
    p.setFont(SheetFont(24 * u));
    const QString shown = QStringLiteral("→ ") + a.answer + QStringLiteral("   ") +
                          (a.right ? sheet.rightMark : sheet.wrongMark);
    const QRect r = p.boundingRect(QRect(margin + static_cast<int>(30 * u), y, textWidth, height),
                                   Qt::TextWordWrap, shown);
    p.drawText(r, Qt::TextWordWrap, shown);
    y = r.bottom() + static_cast<int>(18 * u);
  }

  // The pictures, two to a row, in what is left of the page.
  const int count = static_cast<int>(sheet.pictures.size());
  if (count > 0 && y < height - margin) {
    const int gap = static_cast<int>(20 * u);
    const int columns = count == 1 ? 1 : 2;
    const int rows = (count + columns - 1) / columns;
    const int cellW = (textWidth - (columns - 1) * gap) / columns;
    const int cellH = std::max(1, (height - margin - y - (rows - 1) * gap) / rows);
    for (int i = 0; i < count; ++i) {
      const QImage& img = sheet.pictures[static_cast<size_t>(i)];
      if (img.isNull()) continue;
      const QRect cell(margin + (i % columns) * (cellW + gap), y + (i / columns) * (cellH + gap),
                       cellW, cellH);
      const QSize fitted = img.size().scaled(cell.size(), Qt::KeepAspectRatio);
      const QRect box(cell.left() + (cell.width() - fitted.width()) / 2, cell.top(), fitted.width(),
                      fitted.height());
      p.drawImage(box, img);
      p.setPen(QPen(Qt::black, std::max(1, static_cast<int>(u))));
      p.drawRect(box.adjusted(0, 0, -1, -1));
    }
  }
  p.restore();
}

}  // namespace lumora::paint
