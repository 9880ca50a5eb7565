#include "paint/pdf_file.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include "core/output/bitmap_source.h"
#include "core/support/messenger.h"
#include "core/support/string_table.h"

namespace lumora::paint {

bool WritePdfFile(const std::string& path, const QPageLayout& layout, int resolution,
                  const QString& title, const PdfPageDrawer& draw, Messenger& messenger) {
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setCreator(QStringLiteral("Lumora Zud's"));
    pdf.setTitle(title);
    pdf.setResolution(resolution);
    pdf.setPageLayout(layout);
    QPainter p;
    if (!p.begin(&pdf)) {
      messenger.ShowMessage(kMsgNoMemory);
      return false;
    }
    const QRect area = pdf.pageLayout().paintRectPixels(pdf.resolution());
    draw(p, area.width(), area.height());
    if (!p.end() || bytes.isEmpty()) {
      messenger.ShowMessage(kMsgNoMemory);
      return false;
    }
  }
  return PlaceWrittenFile(path, bytes.toStdString(), messenger);
}

}  // namespace lumora::paint
