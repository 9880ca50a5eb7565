// A one-page PDF file, written the way the picture writers write JPEG and
// TIFF: drawn in memory, then put in place beside its name and renamed over
// it only when whole, so a failure (a full disk, a kill) leaves an earlier
// file as it was and a link planted at the name is replaced, never followed.
#pragma once

#include <QPageLayout>
#include <QString>
#include <functional>
#include <string>

class QPainter;

namespace lumora {
class Messenger;
}

namespace lumora::paint {

// Draws onto width x height device pixels of the page's printable area.
using PdfPageDrawer = std::function<void(QPainter& p, int width, int height)>;

// Writes the page; false after the failure was shown (61233 when the PDF
// cannot be drawn, the picture writers' own text when it cannot be written).
bool WritePdfFile(const std::string& path, const QPageLayout& layout, int resolution,
                  const QString& title, const PdfPageDrawer& draw, Messenger& messenger);

}  // namespace lumora::paint
