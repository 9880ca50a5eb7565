#include "gui/output/print_preview.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/support/messenger.h"
#include "core/support/string_table.h"
#include "gui/output/export_command.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"
#include "paint/pdf_file.h"

namespace lumora::gui {

bool AskA4Printer(UiSeam& ui, Messenger& messenger, QPrinter& printer, QWidget* parent) {
  for (;;) {
    QPrintDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("print"));
    // One page only: the page range of the dialog means nothing here.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (ui.RunDialog(dialog) != QDialog::Accepted) return false;
    if (printer.pageLayout().pageSize().id() == QPageSize::A4) return true;
    messenger.ShowMessage(kMsgA4Only);
  }
}

bool PrintOnePage(QPrinter& printer, const PagePrinter& draw, const ImageSession& session,
                  Messenger& messenger) {
  // Qt would open the file itself, truncating it in place and following a
  // link at its name.
  if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
    const std::string path = FromQ(printer.outputFileName());
    return OutputSparesImage(path, session, messenger) &&
           paint::WritePdfFile(path, printer.pageLayout(), printer.resolution(), printer.docName(),
                               draw, messenger);
  }
  QPainter p;
  if (!p.begin(&printer)) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  draw(p, area.width(), area.height());
  if (p.end()) return true;
  messenger.ShowMessage(kMsgCreateFailed);
  return false;
}

CMyPreviewView::CMyPreviewView(QPrinter& printer, PagePrinter draw, QWidget* parent)
    : QDialog(parent), m_draw(std::move(draw)) {
  setObjectName(QStringLiteral("CMyPreviewView"));
  setWindowTitle(translate("CPrintPreview", "印刷プレビュー"));
  m_preview = new QPrintPreviewWidget(&printer, this);
  m_preview->setObjectName(QStringLiteral("preview"));
  connect(m_preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* target) {
    QPainter p(target);
    const QRect area = target->pageLayout().paintRectPixels(target->resolution());
    m_draw(p, area.width(), area.height());
  });
  auto* bar = new QWidget(this);
  SetControlId(bar, kIdPreviewBar);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(4, 4, 4, 4);
  const struct {
    int id;
    const char* text;
  } buttons[] = {{kIdPreviewPrint, QT_TRANSLATE_NOOP("CPrintPreview", "印刷(&P)")},
                 {kIdPreviewZoomIn, QT_TRANSLATE_NOOP("CPrintPreview", "拡大(&I)")},
                 {kIdPreviewZoomOut, QT_TRANSLATE_NOOP("CPrintPreview", "縮小(&O)")},
                 {kIdPreviewClose, QT_TRANSLATE_NOOP("CPrintPreview", "閉じる(&C)")}};
  for (const auto& b : buttons) {
    auto* button = new QPushButton(translate("CPrintPreview", b.text), bar);
    SetControlId(button, b.id);
    button->setAutoDefault(false);
    row->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, id = b.id] {
      switch (id) {
        case kIdPreviewPrint:
          m_printAsked = true;
          accept();
          break;
        case kIdPreviewZoomIn: m_preview->zoomIn(); break;
        case kIdPreviewZoomOut: m_preview->zoomOut(); break;
        default: reject(); break;
      }
    });
  }
  row->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(bar);
  layout->addWidget(m_preview, 1);
  resize(640, 860);
}

}  // namespace lumora::gui
