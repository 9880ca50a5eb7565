// The image window's map page: the annotation settings and the page on
// screen, printing, the print preview and the export of what is shown.
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QScreen>

#include "core/output/bitmap_source.h"
#include "core/support/messenger.h"
#include "core/support/string_table.h"
#include "gui/app/kiri_app.h"
#include "gui/app/main_frame.h"
#include "gui/output/add_info_dlg.h"
#include "gui/output/export_command.h"
#include "gui/output/print_preview.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/progress_dlg.h"
#include "gui/widgets/ui_seam.h"
#include "paint/map_page_painter.h"

namespace lumora::gui {

namespace {

int ScreenDpiX(const QWidget* w) { return std::max(1, w->logicalDpiX()); }
int ScreenDpiY(const QWidget* w) { return std::max(1, w->logicalDpiY()); }

}  // namespace

CKiriView::~CKiriView() { delete m_pageSettings; }

// Made on the first change; until then the defaults.
const PageSettings& CKiriView::PageChoices() const {
  static const PageSettings defaults;
  return m_pageSettings ? *m_pageSettings : defaults;
}

paint::MapPage CKiriView::MapPage() const { return MapPage(m_app.Msg()); }

paint::MapPage CKiriView::MapPage(Messenger& legendFailures) const {
  const QImage north = paint::PictureOf(m_app.NorthMark());
  paint::MapPage page = paint::MakeMapPage(
      ScreenDpiX(this), ScreenDpiY(this), m_session.Display(), m_session.State().m_nStep,
      m_session.Settings(), m_session.State().m_nFileState, PageChoices().annotations, north);
  page.style = PageChoices().style;
  if (m_pLegend) {
    const QPointer<CLegendWindow> legend = m_pLegend;
    page.legend = [legend, &legendFailures](QPainter& p, int x, int y, int corner, double s) {
      if (!legend) return;
      LegendPagePlacement place;
      place.anchorX = x;
      place.anchorY = y;
      place.corner = corner;
      place.scale = s;
      legend->DrawOnPage(p, place, legendFailures);
    };
  }
  return page;
}

void CKiriView::DrawPage(QPainter& p, int width, int height) const {
  paint::PaintPageOnDevice(p, width, height, MapPage(), m_session.AnnotationsShown());
}

QImage CKiriView::ExportPage() const { return paint::RenderExportPage(MapPage()); }

// The window paints its page again and again: a legend that cannot be read
// any more is left out here without a message box in the middle of a paint;
// printing and export report it.
void CKiriView::PaintAnnotatedPage(QPainter& p) {
  const QSize client = viewport()->size();
  RecordingMessenger unshown;
  paint::PaintPageOnDevice(p, client.width(), client.height(), MapPage(unshown), true);
}

void CKiriView::OnAnnotation() {
  const bool hasReference = HasMapReference(m_session.Settings(), m_session.State().m_nFileState);
  CAddInfoDlg dialog(m_app.Ui(), PageChoices(), hasReference, m_pLegend != nullptr,
                     ScreenDpiY(this), m_frame);
  if (m_app.Ui().RunDialog(dialog) != QDialog::Accepted) return;
  ApplyAnnotations(dialog.Settings());
}

void CKiriView::ApplyAnnotations(const PageSettings& settings) {
  if (!m_pageSettings) m_pageSettings = new PageSettings;
  *m_pageSettings = settings;
  const bool wasShown = m_session.AnnotationsShown();
  const bool on = settings.annotations.AnyShown();
  m_session.SetAnnotationsShown(on);
  if (on && !wasShown) {
    SetPageScrollBars(true);
    // The window takes the page's shape, at most 565 x 800 and 90 % of the screen.
    m_framePlainSize = m_frame->size();
    const QSize border = FrameBorder();
    QRect desktop(0, 0, 1280, 1024);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
      desktop = screen->availableGeometry();
    const FrameSize page = A4PageSize(ScreenDpiX(this), ScreenDpiY(this));
    const FrameSize size = AnnotationFrameSize(page.width, page.height, desktop.width(),
                                               desktop.height(), border.width(), border.height());
    m_frame->resize(size.width, size.height);
  } else if (!on && wasShown) {
    LeavePageShape();
  }
  FollowLegendFlag();
  UpdateScrollBars();
  m_app.RefreshCommands();
  viewport()->update();
}

void CKiriView::SetPageScrollBars(bool onPage) {
  setHorizontalScrollBarPolicy(onPage ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(onPage ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
}

// The window gets back its scroll bars and the size it had before the page.
void CKiriView::LeavePageShape() {
  SetPageScrollBars(false);
  if (m_framePlainSize.isValid()) m_frame->resize(m_framePlainSize);
}

void CKiriView::OnPrint() {
  QPrinter& printer = m_app.Printer();
  printer.setDocName(QStringLiteral("Lumora Zud's イメージ"));
  if (!AskA4Printer(m_app.Ui(), m_app.Msg(), printer, m_frame)) return;
  WaitCursor wait;
  PrintOnePage(
      printer, [this](QPainter& p, int w, int h) { DrawPage(p, w, h); }, m_session, m_app.Msg());
}

void CKiriView::OnPrintPreview() {
  QPrinter& printer = m_app.Printer();
  printer.setDocName(QStringLiteral("Lumora Zud's イメージ"));
  m_session.SetPrintPreview(true);
  m_app.RefreshCommands();
  bool printAsked = false;
  {
    CMyPreviewView preview(
        printer, [this](QPainter& p, int w, int h) { DrawPage(p, w, h); }, m_frame);
    m_app.Ui().RunDialog(preview);
    printAsked = preview.PrintAsked();
  }
  m_session.SetPrintPreview(false);
  if (CMainFrame* frame = m_app.MainFrame()) frame->SetStatusText(0, {});
  m_app.RefreshCommands();
  if (printAsked) OnPrint();
}

// The plain window exports the display image itself (drawn 1:1 it is what
// the window shows); the page exports at 1000 x 1414.
void CKiriView::OnExport() {
  if (!m_session.AnnotationsShown()) {
    ExportPicture(m_app.Msg(), m_app.Ui(), m_frame, m_session, m_session.Display(),
                  kScreenPelsPerMeter, kScreenPelsPerMeter);
    return;
  }
  const Dib page = paint::DibOf(ExportPage());
  if (page.Empty()) {
    m_app.Msg().ShowMessage(kMsgNoMemory);
    return;
  }
  ExportPicture(m_app.Msg(), m_app.Ui(), m_frame, m_session, page, kPageXPelsPerMeter,
                kPageYPelsPerMeter);
}

// The shown area at full resolution, composed as the window shows it, through
// the same dialogs as the present export.
void CKiriView::OnExportFull() {
  ExportPicture(
      m_app.Msg(), m_app.Ui(), m_frame, m_session,
      [this](Dib& out, Progress& progress) {
        return ComposeWholeArea(m_session.Detail(), m_session.Area(), out, m_app.Msg(), progress);
      },
      kScreenPelsPerMeter, kScreenPelsPerMeter);
}

}  // namespace lumora::gui
