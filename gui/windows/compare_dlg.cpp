#include "gui/windows/compare_dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "core/analysis/change_map.h"
#include "core/imagefile/settings_file.h"
#include "core/support/string_table.h"
#include "gui/app/kiri_app.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"
#include "gui/windows/spectrum_dlg.h"
#include "lessons/lesson_run.h"
#include "paint/compare_painter.h"

namespace lumora::gui {

namespace {

QString DateText(const std::string& date) {
  return date.empty() ? translate("CCompareDlg", "日付なし") : QString::fromStdString(date);
}

// A date in a small white box at a corner of r (left or right).
void DateLabel(QPainter& p, const QRect& r, const QString& text, bool right) {
  const QFontMetrics m(p.font());
  const QRect box(0, 0, m.horizontalAdvance(text) + 12, m.height() + 6);
  const QRect at = box.translated(right ? r.right() - box.width() - 5 : r.left() + 5, r.top() + 5);
  p.fillRect(at, QColor(255, 255, 255, 220));
  p.setPen(Qt::black);
  p.drawRect(at.adjusted(0, 0, -1, -1));
  p.drawText(at, Qt::AlignCenter, text);
}

}  // namespace

CCompareCanvas::CCompareCanvas(QWidget* parent) : QWidget(parent) {
  setObjectName(QString::number(kCompareCanvas));
  setMouseTracking(false);
  setCursor(Qt::SplitHCursor);
  setMinimumSize(320, 240);
}

void CCompareCanvas::Set(const QImage& earlier, const QString& earlierDate, const QImage& later,
                         const QString& laterDate) {
  m_earlier = earlier;
  m_later = later;
  m_earlierDate = earlierDate;
  m_laterDate = laterDate;
  update();
}

void CCompareCanvas::SetSplit(double split) {
  m_split = std::clamp(split, 0.0, 1.0);
  update();
}

void CCompareCanvas::SetBlinking(bool on) {
  m_blinking = on;
  m_showingLater = false;
  setCursor(on ? Qt::ArrowCursor : Qt::SplitHCursor);
  update();
}

void CCompareCanvas::Toggle() {
  m_showingLater = !m_showingLater;
  update();
}

QSize CCompareCanvas::sizeHint() const {
  const QSize s = m_earlier.size().scaled(720, 540, Qt::KeepAspectRatio);
  return s.isEmpty() ? QSize(480, 360) : s;
}

QRect CCompareCanvas::PictureRect() const {
  if (m_earlier.isNull()) return {};
  const QSize s = m_earlier.size().scaled(size(), Qt::KeepAspectRatio);
  return {(width() - s.width()) / 2, (height() - s.height()) / 2, s.width(), s.height()};
}

void CCompareCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  const QRect r = PictureRect();
  if (r.isEmpty()) return;
  if (m_blinking) {
    p.drawImage(r, m_showingLater ? m_later : m_earlier);
    DateLabel(p, r, m_showingLater ? m_laterDate : m_earlierDate, false);
    return;
  }
  const int handle = r.left() + static_cast<int>(std::lround(m_split * r.width()));
  p.drawImage(r, m_later);
  p.save();
  p.setClipRect(QRect(r.left(), r.top(), handle - r.left(), r.height()));
  p.drawImage(r, m_earlier);
  p.restore();
  // The handle: a line with a round grip the pupil takes.
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(30, 30, 30), 4));
  p.drawLine(handle, r.top(), handle, r.bottom());
  p.setPen(QPen(Qt::white, 2));
  p.drawLine(handle, r.top(), handle, r.bottom());
  const QPoint c(handle, r.center().y());
  p.setBrush(Qt::white);
  p.setPen(QPen(QColor(30, 30, 30), 2));
  p.drawEllipse(c, 14, 14);
  QPainterPath arrows;
  arrows.moveTo(c + QPoint(-3, -6));
  arrows.lineTo(c + QPoint(-9, 0));
  arrows.lineTo(c + QPoint(-3, 6));
  arrows.moveTo(c + QPoint(3, -6));
  arrows.lineTo(c + QPoint(9, 0));
  arrows.lineTo(c + QPoint(3, 6));
  p.setBrush(Qt::NoBrush);
  p.drawPath(arrows);
  DateLabel(p, r, m_earlierDate, false);
  DateLabel(p, r, m_laterDate, true);
}

void CCompareCanvas::Follow(int x) {
  const QRect r = PictureRect();
  if (r.width() > 0) SetSplit(static_cast<double>(x - r.left()) / r.width());
}

void CCompareCanvas::mousePressEvent(QMouseEvent* e) {
  if (m_blinking || e->button() != Qt::LeftButton) return;
  m_dragging = true;
  Follow(e->position().toPoint().x());
}

void CCompareCanvas::mouseMoveEvent(QMouseEvent* e) {
  if (m_dragging) Follow(e->position().toPoint().x());
}

void CCompareCanvas::mouseReleaseEvent(QMouseEvent* e) {
  if (m_dragging) Follow(e->position().toPoint().x());
  m_dragging = false;
}

CCompareDlg::CCompareDlg(CKiriApp& app, CKiriView& earlier, CKiriView& later, QWidget* parent)
    : QDialog(parent),
      m_app(app),
      m_earlier(earlier),
      m_earlierDate(earlier.Session().Settings().date),
      m_laterDate(later.Session().Settings().date),
      m_earlierPicture(earlier.Picture()),
      m_laterPicture(later.Picture()) {
  setObjectName(QString::number(kCompareTemplate));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(translate("CCompareDlg", "2つの日を比べる"));
  m_canvas = new CCompareCanvas(this);
  m_canvas->Set(m_earlierPicture, DateText(m_earlierDate), m_laterPicture, DateText(m_laterDate));
  auto* swipe = new QRadioButton(translate("CCompareDlg", "取っ手を左右に動かす"), this);
  swipe->setObjectName(QString::number(kCompareSwipe));
  swipe->setChecked(true);
  auto* blink = new QRadioButton(translate("CCompareDlg", "点滅させる"), this);
  blink->setObjectName(QString::number(kCompareBlink));
  m_speed = new QSlider(Qt::Horizontal, this);
  m_speed->setObjectName(QString::number(kCompareSpeed));
  // Slow at the left, fast at the right: 2 s down to 0.2 s a picture.
  m_speed->setRange(1, 10);
  m_speed->setValue(5);
  m_speed->setFixedWidth(140);
  auto* print = new QPushButton(translate("CCompareDlg", "印刷..."), this);
  print->setObjectName(QString::number(kComparePrint));
  auto* close = new QPushButton(translate("CCompareDlg", "閉じる"), this);

  auto* row = new QHBoxLayout;
  row->addWidget(swipe);
  row->addWidget(blink);
  row->addWidget(new QLabel(translate("CCompareDlg", "ゆっくり"), this));
  row->addWidget(m_speed);
  row->addWidget(new QLabel(translate("CCompareDlg", "はやく"), this));
  row->addStretch(1);
  row->addWidget(print);
  row->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_canvas, 1);
  layout->addLayout(row);

  const auto interval = [this] { return 2200 - 200 * m_speed->value(); };
  connect(&m_timer, &QTimer::timeout, m_canvas, &CCompareCanvas::Toggle);
  connect(blink, &QRadioButton::toggled, this, [this, interval](bool on) {
    m_canvas->SetBlinking(on);
    if (on)
      m_timer.start(interval());
    else
      m_timer.stop();
  });
  connect(m_speed, &QSlider::valueChanged, this,
          [this, interval] { m_timer.setInterval(interval()); });
  connect(print, &QPushButton::clicked, this, [this] {
    PrintAnalysisPage(m_app, this, m_earlier, "2つの日を比べる",
                      [this](QPainter& p, int width, int height, const std::string&) {
                        DrawPage(p, width, height);
                      });
  });
  connect(close, &QPushButton::clicked, this, &QDialog::close);
}

void CCompareDlg::DrawPage(QPainter& p, int width, int height) const {
  const std::string title =
      std::string(ShownText("2つの日を比べる")) + "\r\n" +
      std::filesystem::path(m_earlier.Session().OpenedPath()).filename().string();
  paint::PaintComparePage(p, width, height, title, m_earlierPicture,
                          DateText(m_earlierDate).toStdString(), m_laterPicture,
                          DateText(m_laterDate).toStdString());
}

void RunCompareCommand(CKiriApp& app, CKiriView& view) {
  const ImageSettings& mine = view.Session().Settings();
  for (CKiriView* other : app.Views()) {
    if (other == &view || !SameGrid(mine, other->Session().Settings())) continue;
    const bool otherFirst = DateNumber(other->Session().Settings().date) < DateNumber(mine.date) &&
                            DateNumber(other->Session().Settings().date) != 0;
    auto* window =
        new CCompareDlg(app, otherFirst ? *other : view, otherFirst ? view : *other, view.Frame());
    window->show();
    lessons::Action used;
    used.kind = lessons::Action::kToolUsed;
    used.name = QStringLiteral("compare");
    app.NoteLessonAction(used);
    return;
  }
  app.Msg().ShowText(
      ShownText("2つの日を比べる"),
      ShownText("同じ場所を同じマス目で写した画像を，もう1つ開いてください．"
                "（あとの日の画像は「開いている画像のマス目に合わせて」取り込めます．）"));
}

}  // namespace lumora::gui
