#include "gui/view/kiri_view.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "core/output/bitmap_source.h"
#include "core/support/regular_file.h"
#include "core/view/zoom.h"
#include "gui/analysis/band_math_dlg.h"
#include "gui/analysis/change_dlg.h"
#include "gui/analysis/dem_setting_dlg.h"
#include "gui/analysis/land_cover_dlg.h"
#include "gui/analysis/ndvi_dlg.h"
#include "gui/app/kiri_app.h"
#include "gui/app/main_frame.h"
#include "gui/imagefile/save_as_command.h"
#include "gui/output/export_command.h"
#include "gui/radiometry/brightness_command.h"
#include "gui/radiometry/filter_dlg.h"
#include "gui/view/image_info_dlg.h"
#include "gui/widgets/language.h"
#include "gui/widgets/progress_dlg.h"
#include "gui/widgets/ui_seam.h"
#include "gui/windows/compare_dlg.h"
#include "gui/windows/profile_dlg.h"
#include "gui/windows/scatter_dlg.h"
#include "gui/windows/spectrum_dlg.h"

namespace lumora::gui {

CKiriViewFrame::CKiriViewFrame(CKiriApp& app, QWidget* owner)
    : QWidget(owner, Qt::Window), m_app(app) {
  setObjectName(QStringLiteral("CKiriViewFrame"));
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

bool CKiriViewFrame::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && m_view) m_app.OnViewActivated(m_view);
  return QWidget::event(e);
}

void CKiriViewFrame::closeEvent(QCloseEvent* e) {
  if (m_view && !m_app.ClosingAll() && !m_view->QueryClose()) {
    e->ignore();
    return;
  }
  if (m_view) m_view->CloseToolWindows();
  CKiriView* view = m_view;
  m_view = nullptr;
  if (view) m_app.OnViewClosed(view);
  QWidget::closeEvent(e);
}

CKiriView::CKiriView(CKiriApp& app, CKiriViewFrame* frame)
    : QAbstractScrollArea(frame), m_app(app), m_frame(frame) {
  setObjectName(QStringLiteral("CKiriView"));
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  setFrameShape(QFrame::NoFrame);
  viewport()->setMouseTracking(true);  // the status bar follows the cursor
}

namespace {

// New image windows open below the main frame, each a little apart, so the
// menus and tool bars stay in reach.
QPoint NewFramePosition(const CKiriApp& app) {
  const CMainFrame* main = app.MainFrame();
  if (!main) return {};
  const int cascade = 24 * static_cast<int>(app.Views().size() % 8);
  const QRect g = main->frameGeometry();
  return {g.left() + cascade, g.bottom() + 1 + cascade};
}

}  // namespace

CKiriView* CKiriView::Create(CKiriApp& app, const OpenRequest& request, const WorkingFiles& files) {
  auto* frame = new CKiriViewFrame(app, app.MainFrame());
  auto* view = new CKiriView(app, frame);
  frame->layout()->addWidget(view);
  if (!view->InitialUpdate(request, files)) {
    delete frame;
    return nullptr;
  }
  frame->m_view = view;
  frame->move(NewFramePosition(app));
  frame->layout()->activate();
  view->FitFrame();
  frame->show();
  view->RebuildLegend();
  return view;
}

bool CKiriView::InitialUpdate(const OpenRequest& request, const WorkingFiles& files) {
  CProgressDlg dialog(m_app.MainFrame());
  Progress progress(&dialog);
  WaitCursor wait;
  if (!m_session.Open(request, files, m_app.Msg(), progress)) return false;
  progress.Close();
  DisplayChanged();
  return true;
}

bool CKiriView::Handles(int id) {
  switch (id) {
    case kCmdOpen:
    case kCmdImport:
    case kCmdClose:
    case kCmdExit:
    case kCmdAbout:
    case kCmdPrintSetup:
    case kCmdHelpIndex:
    case kCmdHelpUsing:
    case kCmdLessons:
    case kCmdHelp:
    case kCmdContextHelp:
    case kCmdNextPane:
    case kCmdPrevPane:
    case kCmdExport:
    case kCmdExportFull:
    case kCmdAnnotation:
    case kCmdPrint:
    case kCmdPrintPreview:
    case kCmdUndo:
    case kCmdEnlarge:
    case kCmdReduce:
    case kCmdZoomFromBox:
    case kCmdReverseRainbow:
    case kCmdFilter:
    // mouse tools
    case kCmdOpenPart:
    case kCmdRuler:
    case kCmdProfile:
    case kCmdScatter:
    case kCmdSpectrum:
    case kCmdRegion:
    case kCmdDnValue:
    case kCmdSaveAs:
    case kCmdImageInfo:
    case kCmdClassify:
    case kCmdDem:
    // brightness
    case kCmdBrightness:
    case kCmdSmooth:
    case kCmdAutoBrightness:
    case kCmdVegetation: return true;
    case kCmdBandMath:
    case kCmdChange:
    case kCmdCompare:
    case kCmdLink: return true;
    default: return false;
  }
}

void CKiriView::FillCommandState(CommandState& s) const {
  s.printPreview = m_session.PrintPreview();
  s.annotationsShown = m_session.AnnotationsShown();
  s.fileState = m_session.State().m_nFileState;
  s.hasPreviousImage = m_session.Previous() != nullptr;
  // A legend closed by its close box is gone; one hidden by the palette counts.
  s.hasLegend = !m_pLegend.isNull();
  s.rainbow = m_session.State().m_bRainbow;
  s.lengthPerPixel = m_session.LengthPerPixel();
  s.rangeFileExists = HasElevationRange(m_session.CurrentPath());
}

void CKiriView::OnCommand(int id) {
  switch (id) {
    case kCmdEnlarge:
    case kCmdReduce:
    case kCmdZoomFromBox: Zoom(id); break;
    case kCmdRedraw: viewport()->update(); break;
    case kCmdUndo: OnUndo(); break;
    case kCmdReverseRainbow: OnReverseRainbow(); break;
    case kCmdFilter: OnFilter(); break;
    case kCmdExport: OnExport(); break;
    case kCmdExportFull: OnExportFull(); break;
    case kCmdAnnotation: OnAnnotation(); break;
    case kCmdPrint: OnPrint(); break;
    case kCmdPrintPreview: OnPrintPreview(); break;
    // mouse tools
    case kCmdOpenPart: StartSelection(kSelectPartOpen); break;
    case kCmdRuler: StartRuler(); break;
    case kCmdProfile: StartProfile(m_app, *this); break;
    case kCmdScatter: ShowScatterPlot(m_app, *this); break;
    case kCmdSpectrum: ShowSpectrumWindow(m_app, *this); break;
    case kCmdRegion: StartRegion(); break;
    case kCmdSaveAs: RunSaveAs(m_app, *this); break;
    case kCmdImageInfo: ShowImageInfo(m_app, *this); break;
    case kCmdClassify: OpenLandCoverDialog(m_app, *this); break;
    case kCmdDem: RunDemCommand(m_app, *this); break;
    // brightness
    case kCmdBrightness:
    case kCmdSmooth:
    case kCmdAutoBrightness: RunBrightnessCommand(m_app, *this, id); break;
    case kCmdVegetation: RunVegetationIndexCommand(m_app, *this); break;
    case kCmdBandMath: RunBandMathCommand(m_app, *this); break;
    case kCmdChange: RunChangeCommand(m_app, *this); break;
    case kCmdCompare: RunCompareCommand(m_app, *this); break;
    default: break;
  }
}

void CKiriView::CloseFrame() {
  if (m_frame) m_frame->close();
}

namespace {
// A bitmap is stored bottom-up in blue, green, red order; the picture is the
// same pixels top row first, ready to draw.
QImage PictureOf(const Dib& dib) {
  if (dib.Empty()) return QImage();
  QImage picture(dib.width, dib.height, QImage::Format_BGR888);
  const size_t rowBytes = size_t(dib.width) * 3;
  for (int y = 0; y < dib.height; ++y) std::memcpy(picture.scanLine(y), dib.TopRow(y), rowBytes);
  return picture;
}
}  // namespace

const std::vector<SpectrumBand>& CKiriView::SetBands() {
  if (m_bandsPath != m_session.CurrentPath()) {
    m_bandsPath = m_session.CurrentPath();
    m_bands = ListSpectrumBands(m_bandsPath);
  }
  return m_bands;
}

void CKiriView::DisplayChanged() {
  SetBands();
  m_picture = PictureOf(m_session.Display());
  m_previewing = false;
  m_patch = QImage();
  m_frame->setWindowTitle(ToQ(m_session.Title()));
  UpdateScrollBars();
  ShowResolution();
  viewport()->update();
}

// Measured from the view itself, not from its viewport, whose scroll bars
// come and go with the size being chosen.
QSize CKiriView::FrameBorder() const {
  const int edge = 2 * frameWidth();
  return {m_frame->width() - width() + edge, m_frame->height() - height() + edge};
}

void CKiriView::FitFrame() {
  const QSize border = FrameBorder();
  QRect desktop(0, 0, 1280, 1024);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    desktop = screen->availableGeometry();
  // The room from the window's corner to the screen's far edges, so the
  // scroll bars of a window below the main frame stay on screen; a window
  // pushed to an edge still gets half the screen.
  const QPoint corner = m_frame->frameGeometry().topLeft();
  const int roomW =
      std::clamp(desktop.right() + 1 - corner.x(), desktop.width() / 2, desktop.width());
  const int roomH =
      std::clamp(desktop.bottom() + 1 - corner.y(), desktop.height() / 2, desktop.height());
  const FrameSize size =
      lumora::FitFrame(m_session.State().m_nDibWidth, m_session.State().m_nDibHeight,
                       border.width(), border.height(), roomW, roomH);
  const QRect outerBefore = m_frame->frameGeometry(), innerBefore = m_frame->geometry();
  m_frame->resize(size.width, size.height);
  // Where that half screen reaches past an edge, the window moves in (over
  // the main frame if need be) so that its contents and scroll bars can be
  // reached.
  QPoint inset = innerBefore.topLeft() - outerBefore.topLeft();
  if (inset.isNull() && m_app.MainFrame())  // not shown yet: the border the main frame has
    inset = m_app.MainFrame()->geometry().topLeft() - m_app.MainFrame()->frameGeometry().topLeft();
  const QSize outer = QSize(size.width, size.height) + outerBefore.size() - innerBefore.size();
  const QPoint to(std::max(desktop.left() - inset.x(),
                           std::min(corner.x(), desktop.right() + 1 - outer.width())),
                  std::max(desktop.top() - inset.y(),
                           std::min(corner.y(), desktop.bottom() + 1 - outer.height())));
  if (to != corner) m_frame->move(to);
}

void CKiriView::UpdateScrollBars() {
  ScrollPoint total =
      ScrollSizes(m_session.State().m_nDibWidth, m_session.State().m_nDibHeight, m_session.Zoom());
  if (m_session.AnnotationsShown()) total = {0, 0};  // the page fits the window
  // A picture that fits the window without scroll bars gets none, whatever
  // bars the window shows while it is being sized.
  QSize client = viewport()->size();
  const QSize room = maximumViewportSize();
  if (total.x <= room.width() && total.y <= room.height()) client = room;
  horizontalScrollBar()->setRange(0, std::max(0, total.x - client.width()));
  horizontalScrollBar()->setPageStep(client.width());
  verticalScrollBar()->setRange(0, std::max(0, total.y - client.height()));
  verticalScrollBar()->setPageStep(client.height());
  // A wheel notch (three steps) moves about an eighth of the window, as
  // image viewers do, rather than three screen pixels.
  horizontalScrollBar()->setSingleStep(std::max(8, client.width() / 24));
  verticalScrollBar()->setSingleStep(std::max(8, client.height() / 24));
  // The scroll area shows or hides its bars only once the events are
  // processed; the window is laid out now, so what it shows is final.
  const bool wantH = horizontalScrollBar()->maximum() > 0;
  const bool wantV = verticalScrollBar()->maximum() > 0;
  if (wantH != horizontalScrollBar()->isVisibleTo(this) ||
      wantV != verticalScrollBar()->isVisibleTo(this))
    setViewportMargins(0, 0, 0, 0);
}

QPoint CKiriView::ScrollPosition() const {
  return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

ScrollPoint CKiriView::CentrePoint() const {
  const QSize client = viewport()->size();
  const AreaRect& area = m_session.Area();
  return ZoomCentre(client.width(), client.height(), horizontalScrollBar()->value(),
                    verticalScrollBar()->value(), m_session.State().m_nStep, m_session.Zoom(),
                    area.m_nAreaLeft, area.m_nAreaTop);
}

void CKiriView::Zoom(int command) {
  const ScrollPoint centre = CentrePoint();
  bool changed = true;
  if (command == kCmdEnlarge)
    changed = m_session.Enlarge();
  else if (command == kCmdReduce)
    changed = m_session.Reduce();
  else
    m_session.SetZoomLevel(m_app.RequestedZoom());
  if (!changed) return;
  m_app.SetRequestedZoom(m_session.ZoomLevel());
  ApplyZoom(centre);
  m_app.FollowView(*this);
  lessons::Action zoomed;
  zoomed.kind = lessons::Action::kZoomed;
  zoomed.percent = static_cast<int>(m_session.Zoom() * 100.0f + 0.5f);
  m_app.NoteLessonAction(zoomed);
}

void CKiriView::ApplyZoom(ScrollPoint centre) {
  UpdateScrollBars();
  const QSize client = viewport()->size();
  const AreaRect& area = m_session.Area();
  const ScrollPoint pos = ZoomScrollPosition(centre.x, centre.y, client.width(), client.height(),
                                             m_session.State().m_nStep, m_session.Zoom(),
                                             area.m_nAreaLeft, area.m_nAreaTop);
  horizontalScrollBar()->setValue(pos.x);
  verticalScrollBar()->setValue(pos.y);
  ShowResolution();
  viewport()->update();
}

void CKiriView::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  UpdateScrollBars();
}

void CKiriView::scrollContentsBy(int, int) {
  viewport()->update();
  m_app.FollowView(*this);
}

void CKiriView::TakePlaceOf(const CKiriView& source) {
  if (m_session.ZoomLevel() != source.ZoomLevel()) {
    m_session.SetZoomLevel(source.ZoomLevel());
    UpdateScrollBars();
  }
  horizontalScrollBar()->setValue(source.horizontalScrollBar()->value());
  verticalScrollBar()->setValue(source.verticalScrollBar()->value());
  viewport()->update();
}

DrawPlan CKiriView::CurrentPlan() const {
  const DisplayState& s = m_session.State();
  const QSize client = viewport()->size();
  return PlanZoomedDraw(s.m_nDibWidth, s.m_nDibHeight, m_session.Zoom(), client.width(),
                        client.height(), -horizontalScrollBar()->value(),
                        -verticalScrollBar()->value());
}

ViewGeometry CKiriView::Geometry() const {
  const QPoint scroll = ScrollPosition();
  // At level 1 the picture is drawn unscaled from the scroll position.
  DrawPlan plan;
  if (m_session.ZoomLevel() != 1) plan = CurrentPlan();
  return m_session.Geometry(scroll.x(), scroll.y(), plan.drawOffsetX, plan.drawOffsetY);
}

void CKiriView::ShowPosition(QPoint client) {
  CMainFrame* frame = m_app.MainFrame();
  if (!frame || m_picture.isNull()) return;
  const ClientPoint readout = StatusReadout(Geometry(), {client.x(), client.y()});
  frame->SetStatusText(1, ToQ(StatusTextX(readout)));
  frame->SetStatusText(2, ToQ(StatusTextY(readout)));
}

bool CKiriView::viewportEvent(QEvent* e) {
  if (e->type() == QEvent::Leave) {
    if (CMainFrame* frame = m_app.MainFrame()) {
      frame->SetStatusText(1, {});
      frame->SetStatusText(2, {});
    }
  }
  const bool handled = QAbstractScrollArea::viewportEvent(e);
  // A tool used here is drawn in the linked windows too.
  switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
      if (m_app.Linked())
        for (CKiriView* other : m_app.LinkedWith(*this)) other->viewport()->update();
      break;
    default: break;
  }
  return handled;
}

void CKiriView::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  const QSize client = viewport()->size();
  p.fillRect(QRect(QPoint(0, 0), client), Qt::white);
  ShowResolution();
  if (m_session.AnnotationsShown()) {
    PaintAnnotatedPage(p);
    return;
  }
  if (m_picture.isNull()) return;
  const int sx = horizontalScrollBar()->value();
  const int sy = verticalScrollBar()->value();
  const bool detail = DetailDrawn();
  if (m_session.ZoomLevel() == 1 && !detail) {
    p.drawImage(-sx, -sy, m_picture);
    PaintTools(p);
    PaintProfile(p);
    return;
  }
  const DisplayState& s = m_session.State();
  QRect source, target;
  if (m_session.ZoomLevel() == 1) {
    // Unscaled, but on a high-density screen the detail fills its device pixels.
    target =
        QRect(-sx, -sy, s.m_nDibWidth, s.m_nDibHeight).intersected(QRect(QPoint(0, 0), client));
    source = target.translated(sx, sy);
  } else {
    const DrawPlan plan = CurrentPlan();
    // The plan counts source rows from the bottom of the stored image.
    source = QRect(plan.srcX, s.m_nDibHeight - plan.srcY - plan.srcHeight, plan.srcWidth,
                   plan.srcHeight);
    target = QRect(plan.dstX, plan.dstY, plan.dstWidth, plan.dstHeight);
  }
  // The detail is composed again only when what the window shows moved (or
  // the window went to a screen of another density); tools drawn over it
  // repaint often.
  const float ratio = DeviceRatio();
  const std::array<int64_t, 8> key = {
      target.x(), target.y(), target.width(),        target.height(),
      sx,         sy,         m_session.ZoomLevel(), std::llround(ratio * 1024)};
  if (key != m_patchKey || m_patch.isNull()) {
    Dib patch;
    m_patch = DetailPatch(target, patch) ? PictureOf(patch) : QImage();
    m_patch.setDevicePixelRatio(ratio);
    m_patchKey = key;
  }
  if (detail && !m_patch.isNull()) {
    p.drawImage(target.topLeft(), m_patch);
  } else {
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(target, m_picture, source);
  }
  PaintTools(p);
  PaintProfile(p);
}

float CKiriView::DeviceRatio() const { return static_cast<float>(viewport()->devicePixelRatioF()); }

bool CKiriView::DetailDrawn() const {
  return !m_previewing && !m_session.AnnotationsShown() && !m_session.PrintPreview() &&
         !m_picture.isNull() && DetailShown(m_session.Detail(), m_session.Zoom(), DeviceRatio());
}

bool CKiriView::DetailPatch(const QRect& target, Dib& out) {
  if (!DetailDrawn()) return false;
  const DisplayState& s = m_session.State();
  const AreaRect& area = m_session.Area();
  const float zoom = m_session.Zoom();
  // The zoomed display's pixel (0 at the display image's first) at the
  // target's corner; beyond the display image's end nothing is drawn.
  int64_t firstX = int64_t{target.left()} + horizontalScrollBar()->value();
  int64_t firstY = int64_t{target.top()} + verticalScrollBar()->value();
  if (m_session.ZoomLevel() != 1) {
    // The target starts at the plan's first source pixel.
    const DrawPlan plan = CurrentPlan();
    firstX = static_cast<int64_t>(plan.srcX * zoom) + (target.left() - plan.dstX);
    firstY = static_cast<int64_t>((s.m_nDibHeight - plan.srcY - plan.srcHeight) * zoom) +
             (target.top() - plan.dstY);
  }
  const int64_t width = std::min<int64_t>(target.width(), s.m_nDibWidth * zoom - firstX);
  const int64_t height = std::min<int64_t>(target.height(), s.m_nDibHeight * zoom - firstY);
  if (width < 1 || height < 1) return false;
  // One sample for each device pixel of the screen.
  const float ratio = DeviceRatio();
  const auto device = [ratio](int64_t v) { return static_cast<int32_t>(std::llround(v * ratio)); };
  const auto columns = DetailSamples(device(firstX), device(width), zoom * ratio, s.m_nStep,
                                     area.m_nAreaLeft, area.m_nAreaPixels);
  const auto rows = DetailSamples(device(firstY), device(height), zoom * ratio, s.m_nStep,
                                  area.m_nAreaTop, area.m_nAreaLines);
  return m_detail.Compose(m_session.Detail(), columns, rows, out);
}

void CKiriView::ShowResolution() {
  CMainFrame* frame = m_app.MainFrame();
  if (!frame || m_app.ActiveView() != this) return;
  const int step = std::max(1, m_session.State().m_nStep);
  // Only a scene reduced for its display has a resolution worth saying;
  // otherwise the message pane keeps the room.
  const QString text = step == 1       ? QString()
                       : DetailDrawn() ? translate("CKiriView", "全画素で表示")
                                       : translate("CKiriView", "1/%1 に縮小して表示").arg(step);
  if (frame->StatusText(3) != text) frame->SetStatusText(3, text);
}

void CKiriView::OnUndo() {
  WaitCursor wait;
  const bool filesBack = m_session.State().m_bProcessed;
  const QSize before(m_session.State().m_nDibWidth, m_session.State().m_nDibHeight);
  const bool leavesPage = m_session.AnnotationsShown();
  m_session.Undo(m_app.Msg());
  DisplayChanged();
  // Leaving the page the window gets its size from before the page back.
  // Otherwise it keeps its size (and its scroll bars) unless the image going
  // back has another size: then it gets the size it had before.
  if (leavesPage) {
    LeavePageShape();
  } else if (before != QSize(m_session.State().m_nDibWidth, m_session.State().m_nDibHeight)) {
    if (m_undoFrame.isValid())
      m_frame->resize(m_undoFrame);
    else
      FitFrame();
  }
  m_undoFrame = QSize();
  if (filesBack) RebuildLegend();
  FollowLegendFlag();
}

void CKiriView::OnReverseRainbow() {
  WaitCursor wait;
  CProgressDlg dialog(m_app.MainFrame());
  Progress progress(&dialog);
  const bool reversed = m_session.ReverseRainbow(m_app.Msg(), &progress);
  progress.Close();
  if (!reversed) return;
  DisplayChanged();
  if (m_pLegend) m_pLegend->update();
}

void CKiriView::OnFilter() { RunFilterCommand(m_app, *this); }

}  // namespace lumora::gui
