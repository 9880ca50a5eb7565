// Printing the image window's page and its print preview: the print dialog
// until an A4 paper is confirmed, one page fitted into the printable area,
// and CMyPreviewView with its tool bar (print, zoom in, zoom out, close).
#pragma once

#include <QDialog>
#include <functional>

#include "gui/widgets/control_ids.h"

class QPrinter;
class QPrintPreviewWidget;

namespace lumora {
class ImageSession;
class Messenger;
}  // namespace lumora

namespace lumora::gui {

class UiSeam;

// Draws one page onto a printer from the painter's origin (the printable
// area's corner), width x height device pixels.
using PagePrinter = std::function<void(QPainter& p, int width, int height)>;

// The print dialog (object name "print") until the user confirms A4 paper
// or cancels; every other paper is refused with 61270. False on cancel.
bool AskA4Printer(UiSeam& ui, Messenger& messenger, QPrinter& printer, QWidget* parent);

// Prints one page; false after showing why (61289 when the printer cannot
// be opened). Printing to a PDF file writes it as the picture exports are
// written (whole or not at all, never over a file of the image shown).
bool PrintOnePage(QPrinter& printer, const PagePrinter& draw, const ImageSession& session,
                  Messenger& messenger);

class CMyPreviewView : public QDialog {
  Q_OBJECT
 public:
  CMyPreviewView(QPrinter& printer, PagePrinter draw, QWidget* parent);
  // The user asked to print from the preview.
  bool PrintAsked() const { return m_printAsked; }
  QPrintPreviewWidget* Preview() const { return m_preview; }

 private:
  QPrintPreviewWidget* m_preview;
  PagePrinter m_draw;
  bool m_printAsked = false;
};

}  // namespace lumora::gui
