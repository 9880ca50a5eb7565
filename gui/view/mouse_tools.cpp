// The mouse tools of the image view: the selection tool (an area to open
// as a new image, a profile line, a training area), the ruler, the DN
// readout that follows the cursor, and the wheel. Rubber figures are
// painted over the picture in exclusive-or, so they show on any colour.
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>

#include "core/imagefile/partial_write.h"
#include "core/imagefile/save_as.h"
#include "core/imagefile/staged_file_set.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "gui/analysis/land_cover_dlg.h"
#include "gui/app/kiri_app.h"
#include "gui/app/main_frame.h"
#include "gui/imagefile/save_as_command.h"
#include "gui/lessons/lesson_panel.h"
#include "gui/output/export_command.h"
#include "gui/view/dn_value_dlg.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/bitmap_button.h"
#include "gui/widgets/language.h"
#include "gui/widgets/progress_dlg.h"
#include "gui/widgets/ui_seam.h"
#include "gui/windows/region_dlg.h"
#include "gui/windows/spectrum_dlg.h"
#include "paint/spectrum_painter.h"

namespace lumora::gui {

namespace {

// Cursors and the ruler's icon live as long as the program; they are made
// on first use, when the application exists.
const QCursor& SelectionCursor() {
  static const auto* cursor = new QCursor(LoadPicture(QStringLiteral("cursor_144")), 15, 15);
  return *cursor;
}

const QCursor& RulerCursor() {
  static const auto* cursor = new QCursor(LoadPicture(QStringLiteral("cursor_306")), 1, 30);
  return *cursor;
}

const QPixmap& RulerIcon() {
  static const auto* icon = new QPixmap(LoadPicture(QStringLiteral("icon_385")));
  return *icon;
}

ClientPoint ToClient(QPoint p) { return {p.x(), p.y()}; }
QPoint ToQPoint(ClientPoint p) { return {p.x, p.y}; }

// The DN window's texts while no image window has the focus.
constexpr const char* kDnNoFocus = "(---,---,---)";

// What an armed tool asks the pupil to do, in the status bar.
QString ArmedPrompt(int kind) {
  switch (kind) {
    case CKiriView::kSelectPartOpen: return translate("CKiriView", "範囲をドラッグしてください");
    case CKiriView::kSelectProfile:
      return translate("CKiriView", "横か縦に線をドラッグしてください");
    case CKiriView::kSelectTraining:
      return translate("CKiriView", "トレーニングエリアをドラッグしてください");
    default: return translate("CKiriView", "測りたいところをドラッグしてください");
  }
}

// A press and release this close together are a click.
constexpr int kClickSlack = 3;

bool Near(ClientPoint a, ClientPoint b) {
  return std::abs(a.x - b.x) <= kClickSlack && std::abs(a.y - b.y) <= kClickSlack;
}

}  // namespace

bool CKiriView::HasUnsavedResult() const {
  const std::string& current = m_session.CurrentPath();
  return !m_session.StepPending() && current != m_session.OpenedPath() && current != m_savedPath;
}

void CKiriView::MarkSaved() { m_savedPath = m_session.CurrentPath(); }

QString CKiriView::PictureFolder() const { return FolderOfImage(m_session); }

bool CKiriView::QueryClose() {
  if (!HasUnsavedResult()) return true;
  QMessageBox box(QMessageBox::Question, QStringLiteral("Lumora Zud's"),
                  translate("CKiriView", "処理した画像が保存されていません．\n保存しますか？"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_frame);
  box.setObjectName(QStringLiteral("saveBeforeClose"));
  box.setDefaultButton(QMessageBox::Yes);
  switch (m_app.Ui().RunDialog(box)) {
    case QMessageBox::Yes: return RunSaveAs(m_app, *this);  // a cancelled save keeps the window
    case QMessageBox::No: return true;
    default: return false;
  }
}

void CKiriView::SetToolCursor(const QCursor* cursor) {
  if (cursor)
    viewport()->setCursor(*cursor);
  else
    viewport()->unsetCursor();
}

void CKiriView::StartSelection(int kind, SelectionHandler onFinished) {
  CancelTools();
  m_tools.selecting = true;
  m_tools.dragState = 0;
  m_tools.kind = kind;
  m_tools.onFinished = std::move(onFinished);
  SetToolCursor(&SelectionCursor());
  if (CMainFrame* frame = m_app.MainFrame()) frame->SetStatusText(0, ArmedPrompt(kind));
  setFocus(Qt::OtherFocusReason);
}

void CKiriView::StartRuler() {
  CancelTools();
  m_tools.ruler = true;
  m_tools.rulerDrag = false;
  SetToolCursor(&RulerCursor());
  if (CMainFrame* frame = m_app.MainFrame()) frame->SetStatusText(0, ArmedPrompt(-1));
  setFocus(Qt::OtherFocusReason);
}

void CKiriView::StartRegion() {
  CancelTools();
  m_tools.region = true;
  SetToolCursor(&SelectionCursor());
  if (CMainFrame* frame = m_app.MainFrame())
    frame->SetStatusText(
        0,
        translate("CKiriView",
                  "四角形はドラッグ，多角形は角をクリックしてください（ダブルクリックで閉じる）"));
  setFocus(Qt::OtherFocusReason);
}

void CKiriView::CancelTools() {
  if (m_tools.selecting && m_tools.kind == kSelectProfile) m_bShowProfile = false;
  if (m_tools.selecting || m_tools.region || (m_tools.ruler && !m_tools.rulerDrag)) {
    m_tools.selecting = false;
    m_tools.dragState = 0;
    m_tools.onFinished = {};
    if (CMainFrame* frame = m_app.MainFrame()) frame->SetStatusText(0, {});
  }
  m_tools.ruler = m_tools.rulerDrag = false;
  m_tools.rulerStart = m_tools.rulerEnd = {};
  m_tools.region = m_tools.regionPressed = m_tools.regionDrag = false;
  m_tools.corners.clear();
  SetToolCursor(nullptr);
  viewport()->update();
}

QPoint CKiriView::ClientOfDocument(int x, int y) const {
  const ViewGeometry g = Geometry();
  return {static_cast<int>(static_cast<float>(x) * g.zoom / g.step) - g.scrollX,
          static_cast<int>(static_cast<float>(y) * g.zoom / g.step) - g.scrollY};
}

void CKiriView::mousePressEvent(QMouseEvent* e) {
  // A click into the image makes its window the active one again.
  if (m_app.ActiveView() != this || !m_app.ImageViewActive()) m_app.OnViewActivated(this);
  if (e->button() == Qt::RightButton) {
    if (m_tools.selecting || m_tools.ruler || m_tools.region) CancelTools();
    return;
  }
  if (e->button() != Qt::LeftButton || m_picture.isNull()) return;
  const ClientPoint p = ToClient(e->position().toPoint());
  // Presses beside the picture leave the tool armed; with no tool armed,
  // a pin there is refused with a message.
  if (!InsideDrawnImage(Geometry(), p)) {
    CSpectrumDlg* spectrum = SpectrumWindow(m_app);
    if (spectrum && spectrum->isVisible() && !m_tools.selecting && !m_tools.ruler &&
        !m_tools.region)
      spectrum->AddPin(*this, -1, -1);
    return;
  }
  if (m_tools.region) {
    m_tools.regionPressed = true;
    m_tools.regionDrag = false;
    m_tools.regionPress = m_tools.regionEnd = p;
  } else if (!m_tools.selecting && !m_tools.ruler) {
    m_tools.clickPressed = true;
    m_tools.clickAt = p;
  }
  if (m_tools.selecting && m_tools.dragState == 0) {
    m_tools.selStart = m_tools.selEnd = p;
    m_tools.dragState = 1;
  } else if (m_tools.ruler && !m_tools.rulerDrag) {
    m_tools.rulerStart = m_tools.rulerEnd = p;
    m_tools.rulerDrag = true;
    viewport()->update();
  }
}

void CKiriView::mouseMoveEvent(QMouseEvent* e) {
  const QPoint client = e->position().toPoint();
  ShowPosition(client);
  const ClientPoint p = ToClient(client);
  CMainFrame* frame = m_app.MainFrame();
  if (m_tools.selecting && m_tools.dragState != 0) {
    const ViewGeometry g = Geometry();
    m_tools.selEnd = ClampSelectionEnd(g, p);
    m_tools.dragState = 2;
    if (frame) {
      if (m_tools.kind == kSelectProfile)
        frame->SetStatusText(
            0, QString::number(ProfileLineOf(g, m_tools.selStart, m_tools.selEnd).length));
      else
        frame->SetStatusText(0, ToQ(SelectionSizeText(g, m_tools.selStart, m_tools.selEnd)));
    }
    viewport()->update();
  } else if (m_tools.rulerDrag) {
    const ViewGeometry g = Geometry();
    m_tools.rulerEnd = ClampRulerEnd(g, p);
    if (frame)
      frame->SetStatusText(0, ToQ(RulerText(RulerDistance(g, m_tools.rulerStart, m_tools.rulerEnd,
                                                          m_session.LengthPerPixel()))));
    viewport()->update();
  }
  if (m_tools.region) {
    m_tools.regionMouse = CornerAt(p);
    // A drag from the first press draws a rectangle.
    if (m_tools.regionPressed && m_tools.corners.empty() && !Near(p, m_tools.regionPress))
      m_tools.regionDrag = true;
    if (m_tools.regionDrag) m_tools.regionEnd = ClampRulerEnd(Geometry(), p);
    ShowRegionMeasure();
    viewport()->update();
  }
  UpdateDnWindow(client);
  if (CSpectrumDlg* spectrum = SpectrumWindow(m_app); spectrum && spectrum->isVisible()) {
    const ViewGeometry g = Geometry();
    if (!m_picture.isNull() && InsideDrawnImage(g, p)) {
      const ClientPoint at = StatusReadout(g, p);
      spectrum->Follow(*this, at.x - 1, at.y - 1);
    } else {
      spectrum->Follow(*this, -1, -1);
    }
  }
  QAbstractScrollArea::mouseMoveEvent(e);
}

SourcePoint CKiriView::CornerAt(ClientPoint p) const {
  // Corners sit on pixel corners, so a region can be given again in whole numbers.
  const ViewGeometry g = Geometry();
  const SourcePoint s = SourcePointAt(g, p);
  return {std::clamp(std::round(s.x), 0.0, static_cast<double>(g.imagePixels)),
          std::clamp(std::round(s.y), 0.0, static_cast<double>(g.imageLines))};
}

void CKiriView::ShowRegionMeasure() {
  CMainFrame* frame = m_app.MainFrame();
  if (!frame || !m_tools.region) return;
  Region r;
  if (m_tools.regionDrag) {
    const SourcePoint a = CornerAt(m_tools.regionPress), b = CornerAt(m_tools.regionEnd);
    r = RectangleRegion(static_cast<int>(std::min(a.x, b.x)), static_cast<int>(std::min(a.y, b.y)),
                        static_cast<int>(std::abs(b.x - a.x)),
                        static_cast<int>(std::abs(b.y - a.y)));
  } else {
    for (const SourcePoint& c : m_tools.corners) r.corners.push_back({c.x, c.y});
    r.corners.push_back({m_tools.regionMouse.x, m_tools.regionMouse.y});
  }
  const ViewGeometry g = Geometry();
  const GroundMeasure m = MeasureRegion(PixelCount(RegionSpans(r, g.imagePixels, g.imageLines)),
                                        PerimeterPixels(r), m_session.LengthPerPixel());
  frame->SetStatusText(
      0, translate("CKiriView", "面積 %1　周囲 %2").arg(ToQ(AreaText(m)), ToQ(PerimeterText(m))));
}

void CKiriView::FinishRegion(const Region& region) {
  if (!region.corners.empty()) {
    lessons::Action used;
    used.kind = lessons::Action::kToolUsed;
    used.name = QStringLiteral("region");
    QPolygonF outline;
    for (const RegionPoint& c : region.corners) outline << QPointF(c.x, c.y);
    used.area = outline.boundingRect().toAlignedRect();
    m_app.NoteLessonAction(used);
  }
  m_tools.region = m_tools.regionPressed = m_tools.regionDrag = false;
  m_tools.corners.clear();
  SetToolCursor(nullptr);
  viewport()->update();
  ShowRegionWindow(m_app, *this, region);
}

void CKiriView::mouseDoubleClickEvent(QMouseEvent* e) {
  if (!m_tools.region || e->button() != Qt::LeftButton) return;
  // The click before this one set the last corner.
  Region r;
  for (const SourcePoint& c : m_tools.corners) r.corners.push_back({c.x, c.y});
  FinishRegion(r);
}

void CKiriView::keyPressEvent(QKeyEvent* e) {
  if (m_tools.region && e->key() == Qt::Key_Escape) {
    CancelTools();
    return;
  }
  if (m_tools.region && e->key() == Qt::Key_Backspace) {
    if (!m_tools.corners.empty()) m_tools.corners.pop_back();
    ShowRegionMeasure();
    viewport()->update();
    return;
  }
  QAbstractScrollArea::keyPressEvent(e);
}

void CKiriView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const ClientPoint release = ToClient(e->position().toPoint());
  if (m_tools.region && m_tools.regionPressed) {
    m_tools.regionPressed = false;
    if (m_tools.regionDrag) {
      const SourcePoint a = CornerAt(m_tools.regionPress);
      const SourcePoint b = CornerAt(ClampRulerEnd(Geometry(), release));
      FinishRegion(RectangleRegion(
          static_cast<int>(std::min(a.x, b.x)), static_cast<int>(std::min(a.y, b.y)),
          static_cast<int>(std::abs(b.x - a.x)), static_cast<int>(std::abs(b.y - a.y))));
      return;
    }
    const SourcePoint c = CornerAt(m_tools.regionPress);
    if (m_tools.corners.empty() || m_tools.corners.back().x != c.x ||
        m_tools.corners.back().y != c.y)
      m_tools.corners.push_back(c);
    m_tools.regionMouse = c;
    ShowRegionMeasure();
    viewport()->update();
    return;
  }
  if (m_tools.clickPressed) {
    m_tools.clickPressed = false;
    CSpectrumDlg* spectrum = SpectrumWindow(m_app);
    if (spectrum && spectrum->isVisible() && Near(release, m_tools.clickAt)) {
      const ClientPoint at = StatusReadout(Geometry(), m_tools.clickAt);
      spectrum->AddPin(*this, at.x - 1, at.y - 1);
    }
  }
  if (m_tools.selecting && m_tools.dragState != 0) {
    FinishSelection(e->position().toPoint());
  } else if (m_tools.rulerDrag) {
    NoteToolUse("ruler", m_tools.rulerStart, m_tools.rulerEnd);
    // The distance stays in the status bar; the line goes.
    m_tools.ruler = m_tools.rulerDrag = false;
    m_tools.rulerStart = m_tools.rulerEnd = {};
    SetToolCursor(nullptr);
    viewport()->update();
  }
}

void CKiriView::FinishSelection(QPoint release) {
  const ViewGeometry g = Geometry();
  Selection s;
  s.kind = m_tools.kind;
  s.geometry = g;
  s.start = m_tools.selStart;
  s.end = ClampSelectionEnd(g, ToClient(release));
  s.docStart = DocumentPixel(g, s.start);
  s.docEnd = DocumentEndPixel(g, ToClient(release));
  s.release = ToClient(release);
  s.line = ProfileLineOf(g, s.start, s.end);
  SelectionHandler handler = std::move(m_tools.onFinished);
  m_tools.onFinished = {};
  m_tools.selecting = false;
  m_tools.dragState = 0;
  SetToolCursor(nullptr);
  viewport()->update();
  if (handler)
    handler(s);
  else if (s.kind == kSelectPartOpen)
    RunPartialOpen(s);
  if (s.kind != kSelectProfile)
    if (CMainFrame* frame = m_app.MainFrame()) frame->SetStatusText(0, {});
}

void CKiriView::focusOutEvent(QFocusEvent* e) {
  if (CDnValueDlg* dn = m_app.DnWindow()) dn->SetValues({kDnNoFocus, kDnNoFocus});
  // A drag cannot go on unseen; an armed tool that has not started waits.
  if (m_tools.selecting && m_tools.dragState >= 2) {
    m_tools.selecting = false;
    m_tools.dragState = 0;
    m_tools.onFinished = {};
  }
  if (m_tools.rulerDrag) m_tools.ruler = m_tools.rulerDrag = false;
  m_tools.regionPressed = m_tools.regionDrag = m_tools.clickPressed = false;
  if (!m_tools.selecting && !m_tools.ruler && !m_tools.region) SetToolCursor(nullptr);
  viewport()->update();
  QAbstractScrollArea::focusOutEvent(e);
}

void CKiriView::wheelEvent(QWheelEvent* e) {
  if (!(e->modifiers() & Qt::ControlModifier)) {
    QAbstractScrollArea::wheelEvent(e);
    return;
  }
  // Ctrl+wheel goes through the zoom steps, one a notch.
  m_tools.wheelZoom += e->angleDelta().y();
  while (std::abs(m_tools.wheelZoom) >= 120) {
    const int command = m_tools.wheelZoom > 0 ? kCmdEnlarge : kCmdReduce;
    m_tools.wheelZoom += m_tools.wheelZoom > 0 ? -120 : 120;
    if (m_app.IsEnabled(command)) Zoom(command);
  }
  e->accept();
}

void CKiriView::NoteToolUse(const char* tool, ClientPoint from, ClientPoint to) {
  // Every move of the DN readout passes here: nothing to work out without a lesson.
  if (!m_app.LessonPanel()) return;
  const ViewGeometry g = Geometry();
  const AreaRect& area = m_session.Area();
  const ClientPoint a = DocumentPixel(g, from), b = DocumentPixel(g, to);
  lessons::Action used;
  used.kind = lessons::Action::kToolUsed;
  used.name = QString::fromLatin1(tool);
  used.area =
      QRect(QPoint(std::min(a.x, b.x) + area.m_nAreaLeft, std::min(a.y, b.y) + area.m_nAreaTop),
            QPoint(std::max(a.x, b.x) + area.m_nAreaLeft, std::max(a.y, b.y) + area.m_nAreaTop));
  m_app.NoteLessonAction(used);
}

void CKiriView::UpdateDnWindow(QPoint client) {
  CDnValueDlg* dn = m_app.DnWindow();
  if (!dn) return;
  if (InsideDrawnImage(Geometry(), ToClient(client)))
    NoteToolUse("dn", ToClient(client), ToClient(client));
  dn->SetValues(DnReadout(Geometry(), ToClient(client), m_session.Display(), m_session.Previous(),
                          m_session.DnHidden()));
  // Linked windows show the same place: their values beside these.
  QStringList linked;
  if (m_app.Linked())
    for (const CKiriView* other : m_app.LinkedWith(*this)) {
      const std::string& date = other->Session().Settings().date;
      const QString name = date.empty() ? other->windowTitle() : ToQ(date);
      linked << name + QStringLiteral(": ") +
                    ToQ(DnReadout(other->Geometry(), ToClient(client), other->Session().Display(),
                                  nullptr, other->Session().DnHidden())
                            .current);
    }
  dn->SetLinked(linked);
}

CLandCoverDlg* CKiriView::LandCoverDialog() const { return m_pLandCoverDlg; }
void CKiriView::SetLandCoverDialog(CLandCoverDlg* dialog) { m_pLandCoverDlg = dialog; }

void CKiriView::CloseToolWindows() {
  CancelTools();
  if (m_pLandCoverDlg) m_pLandCoverDlg->close();
}

void CKiriView::PaintTools(QPainter& p) const {
  // The training area of the class chosen in the land-cover dialog.
  std::vector<OutlinePoint> outline;
  if (m_pLandCoverDlg && m_pLandCoverDlg->SelectedOutline(outline)) {
    const AreaRect& area = m_session.Area();
    QPolygon polygon;
    for (const OutlinePoint& o : outline)
      polygon << ClientOfDocument(o.x - area.m_nAreaLeft, o.y - area.m_nAreaTop);
    p.save();
    p.setPen(QPen(QColor(0, 255, 255), 0));
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.drawPolyline(polygon);
    p.restore();
  }
  PaintRegionTools(p);
  const bool figure = m_tools.selecting && m_tools.dragState == 2;
  if (!figure && !m_tools.rulerDrag) return;
  p.save();
  p.setBrush(Qt::NoBrush);
  if (m_tools.rulerDrag) {
    p.drawPixmap(m_tools.rulerStart.x - 5, m_tools.rulerStart.y - 32, RulerIcon());
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(Qt::white, 0));
    p.drawLine(ToQPoint(m_tools.rulerStart), ToQPoint(m_tools.rulerEnd));
  }
  if (figure) {
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(QColor(0, 255, 255), 0));
    const ClientPoint a = m_tools.selStart;
    const ClientPoint b = m_tools.selEnd;
    if (m_tools.kind == kSelectProfile) {
      p.drawLine(ToQPoint(a), ToQPoint(ProfileLineOf(Geometry(), a, b).end));
    } else {
      p.drawRect(std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y));
    }
  }
  p.restore();
}

// Pins as coloured dots with their numbers, the region the region window
// shows, and the figure of the region tool being drawn.
void CKiriView::PaintRegionTools(QPainter& p) const {
  PaintFigures(p, *this);
  if (!m_app.Linked()) return;
  for (const CKiriView* other : m_app.LinkedWith(*this)) {
    PaintFigures(p, *other);
    // Linked windows share zoom and scroll: the ruler's window points are ours.
    if (!other->m_tools.rulerDrag) continue;
    p.save();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(Qt::white, 0));
    p.drawLine(ToQPoint(other->m_tools.rulerStart), ToQPoint(other->m_tools.rulerEnd));
    p.restore();
  }
}

void CKiriView::PaintFigures(QPainter& p, const CKiriView& of) const {
  const ViewGeometry g = Geometry();
  auto client = [&](double x, double y) { return ToQPoint(ClientOfSource(g, {x, y})); };
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  for (size_t i = 0; i < of.m_pins.size(); ++i) {
    const QPoint c = client(of.m_pins[i].x + 0.5, of.m_pins[i].y + 0.5);
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(paint::PinColour(of.m_pins[i].colour));
    p.drawEllipse(c, 7, 7);
    QFont f = p.font();
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(c.x() - 7, c.y() - 7, 14, 14), Qt::AlignCenter, QString::number(i + 1));
  }
  p.setBrush(Qt::NoBrush);
  const CRegionDlg* shown = RegionWindow(m_app);
  if (shown && shown->isVisible() && shown->BoundView() == &of) {
    QPolygon outline;
    for (const RegionPoint& c : shown->ShownRegion().corners) outline << client(c.x, c.y);
    p.setPen(QPen(QColor(255, 230, 0), 2));
    p.drawPolygon(outline);
  }
  p.restore();
  if (!of.m_tools.region) return;
  p.save();
  p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  p.setPen(QPen(QColor(0, 255, 255), 0));
  if (of.m_tools.regionDrag) {
    const ClientPoint a = of.m_tools.regionPress, b = of.m_tools.regionEnd;
    p.drawRect(std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x), std::abs(b.y - a.y));
  } else if (!of.m_tools.corners.empty()) {
    QPolygon line;
    for (const SourcePoint& c : of.m_tools.corners) line << client(c.x, c.y);
    line << client(of.m_tools.regionMouse.x, of.m_tools.regionMouse.y);
    p.drawPolyline(line);
    for (const SourcePoint& c : of.m_tools.corners) {
      const QPoint q = client(c.x, c.y);
      p.drawRect(q.x() - 2, q.y() - 2, 4, 4);
    }
  }
  p.restore();
}

void CKiriView::ShowProfile(const ProfileGesture& line) {
  m_profile = line;
  m_bShowProfile = true;
  viewport()->update();
}

void CKiriView::HideProfile() {
  m_bShowProfile = false;
  viewport()->update();
}

// The strip keeps to the window's left (vertical line) or top edge, over
// the visible part of the image; the line is drawn where it was dragged.
void CKiriView::PaintProfile(QPainter& p) const {
  if (!m_bShowProfile) return;
  const ViewGeometry g = Geometry();
  const Dib& dib = m_session.Display();
  const QSize client = viewport()->size();
  const StripRect strip =
      ProfileStripRect(m_profile.vertical, dib, g.zoom, client.width(), client.height());
  p.fillRect(0, 0, strip.width, strip.height, Qt::black);
  const ClientPoint origin = ClientOfScrolled(g, {0, 0});
  for (const StripPoint& s : ProfileStripPoints(dib, g.zoom, m_profile.start.x, m_profile.start.y,
                                                m_profile.end.x, m_profile.end.y)) {
    const int x = m_profile.vertical ? s.x : s.x + origin.x;
    const int y = m_profile.vertical ? s.y + origin.y : s.y;
    p.fillRect(x, y, 1, 1, QColor(s.r, s.g, s.b));
  }
  p.setPen(QPen(QColor(0, 255, 255), 0));
  p.drawLine(ToQPoint(ClientOfScrolled(g, m_profile.start)),
             ToQPoint(ClientOfScrolled(g, m_profile.end)));
}

// The dragged area is written as a new image and opened; nothing is
// written when the user cancels or names a file set in use.
void CKiriView::RunPartialOpen(const Selection& s) {
  const QString chosen =
      m_app.Ui().GetSaveFileName(m_frame, PictureFolder(), QStringLiteral("*.inf"),
                                 translate("CKiriView", "Lumora Zud's 設定ファイル (*.inf)"));
  if (chosen.isEmpty()) return;
  const std::string target = FromQ(QDir::cleanPath(QFileInfo(chosen).absoluteFilePath()));
  const std::string targetBase = StripExtension(target);
  // Neither the set a window shows nor the image it was opened from: undo
  // goes back to the latter.
  for (const CKiriView* v : m_app.Views()) {
    for (const std::string& used : {v->Session().CurrentPath(), v->Session().OpenedPath()}) {
      if (!used.empty() && SameFileSet(targetBase, StripExtension(used))) {
        m_app.Msg().ShowMessage(kMsgWorkingFileInUse);
        return;
      }
    }
  }
  const AreaRect& shown = m_session.Area();
  AreaRect area;
  area.m_nAreaTop = shown.m_nAreaTop + std::min(s.docStart.y, s.docEnd.y);
  area.m_nAreaLines = std::abs(s.docEnd.y - s.docStart.y);
  area.m_nAreaLeft = shown.m_nAreaLeft + std::min(s.docStart.x, s.docEnd.x);
  area.m_nAreaPixels = std::abs(s.docEnd.x - s.docStart.x);
  const DisplayState& state = m_session.State();
  PartialWriteSource source;
  source.settingsPath = m_session.CurrentPath();
  source.imagePixels = state.m_nImagePixels;
  source.imageLines = state.m_nImageLines;
  source.settings = m_session.Settings();
  bool written = false;
  {
    CProgressDlg dialog(m_frame);
    Progress progress(&dialog);
    WaitCursor wait;
    written = PartialWrite(targetBase, source, area, progress, m_app.Msg());
  }
  if (!written) return;
  // The new image opens with this window's composition.
  OpenRequest next;
  next.settingsPath = target;
  next.composition = CompositionShown(state, m_session.DisplayKind());
  next.fileState = state.m_nFileState;
  next.rainbowReversed = state.m_bRainbowReversed;
  m_app.SetReopen(next);
  QMetaObject::invokeMethod(
      &m_app, [app = &m_app] { app->OnCommand(kCmdOpen); }, Qt::QueuedConnection);
}

}  // namespace lumora::gui
