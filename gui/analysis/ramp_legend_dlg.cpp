#include "gui/analysis/ramp_legend_dlg.h"

#include <QLabel>
#include <QPainter>
#include <algorithm>

#include "core/analysis/band_math.h"
#include "core/view/image_session.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"
#include "paint/legend_page_painter.h"

namespace lumora::gui {

namespace {

constexpr int kRampLeft = 10;
constexpr int kRampTop = 12;
constexpr int kRampWidth = 26;
constexpr int kRampHeight = 200;
constexpr int kLabelLeft = kRampLeft + kRampWidth + 8;

QColor ColourOf(const RainbowEntry& e) { return QColor(e.red, e.green, e.blue); }

}  // namespace

CRampLegendDlg::CRampLegendDlg(const ImageSession& session, Messenger& messenger, QWidget* owner)
    : CLegendWindow(owner, kRampLegendTemplate), m_session(session), m_messenger(messenger) {
  // The ramp is painted by the window itself; the frame only marks its place.
  m_frame = new QWidget(this);
  m_frame->setObjectName(QString::number(kRampFrame));
  m_frame->setAttribute(Qt::WA_TransparentForMouseEvents);
  m_frame->setGeometry(kRampLeft, kRampTop, kRampWidth, kRampHeight);
  const int ids[3] = {kRampTopLabel, kRampMiddleLabel, kRampBottomLabel};
  const int centres[3] = {kRampTop, kRampTop + kRampHeight / 2, kRampTop + kRampHeight};
  for (int i = 0; i < 3; ++i) {
    m_labels[i] = new QLabel(QStringLiteral("255.0"), this);
    m_labels[i]->setObjectName(QString::number(ids[i]));
    const int h = m_labels[i]->fontMetrics().height();
    m_labels[i]->setGeometry(kLabelLeft, centres[i] - h / 2, 64, h);
  }
  m_noValue = new QLabel(ToQ(NoValueLabel()), this);
  m_noValue->setObjectName(QString::number(kRampNoValueLabel));
  m_noValue->setGeometry(kRampLeft, kRampTop + kRampHeight + 10, kLabelLeft + 60 - kRampLeft,
                         m_noValue->fontMetrics().height());
  m_noValue->hide();
  m_change = new QLabel(this);
  m_change->setObjectName(QString::number(kRampChangeLabel));
  m_change->hide();
  setFixedSize(kLabelLeft + 64 + 6, kRampTop + kRampHeight + 12);
}

bool CRampLegendDlg::FillFromRangeFile(bool rainbow) {
  if (!FillRampFromRangeFile(m_session.CurrentPath(), rainbow, m_legend, m_messenger)) return false;
  if (!m_legend.formula.empty()) {
    setWindowTitle(ToQ(m_legend.formula));
    m_noValue->show();
    setFixedSize(kLabelLeft + 64 + 6, kRampTop + kRampHeight + 16 + m_noValue->height());
  }
  if (m_legend.change) {
    // Red below, white within the threshold, green above: said in words with the areas.
    m_change->setText(translate("CRampLegendDlg", "赤：減った　白：変わらない　緑：増えた") + "\n" +
                      ToQ(ChangeAreaText(*m_legend.change, m_session.Settings().lengthPerPixel)));
    m_change->adjustSize();
    const int top = m_noValue->geometry().bottom() + 8;
    m_change->move(kRampLeft, top);
    m_change->show();
    setFixedSize(std::max(kLabelLeft + 64 + 6, kRampLeft + m_change->width() + 8),
                 top + m_change->height() + 8);
  } else {
    m_change->hide();
  }
  ShowLabels();
  return true;
}

void CRampLegendDlg::FillFromNumbers(float maximum, float minimum, bool rainbow) {
  FillRampFromNumbers(maximum, minimum, rainbow, m_legend);
  ShowLabels();
}

void CRampLegendDlg::ShowLabels() {
  m_labels[0]->setText(QString::fromStdString(m_legend.topLabel));
  m_labels[1]->setText(QString::fromStdString(m_legend.middleLabel));
  m_labels[2]->setText(QString::fromStdString(m_legend.bottomLabel));
  update();
}

QString CRampLegendDlg::LabelText(int id) const {
  for (QLabel* l : m_labels)
    if (l->objectName() == QString::number(id)) return l->text();
  return {};
}

QRect CRampLegendDlg::RampRect() const { return m_frame->geometry(); }

void CRampLegendDlg::DrawOnScreen(QPainter& p) {
  const QRect r = RampRect();
  int pen = 0;
  // Client rectangle of the frame: right and bottom exclusive.
  const auto steps =
      RampScreenSteps(r.left(), r.top(), r.left() + r.width(), r.top() + r.height(), pen);
  const bool reversed = m_session.State().m_bRainbowReversed;
  for (int k = 0; k < 256; ++k) {
    const LegendRect& s = steps[size_t(k)];
    // A step covers the rows between its two edges (top edge included).
    const QRect step(QPoint(s.left, s.bottom), QPoint(s.right - 1, s.top - 1));
    p.fillRect(step, ColourOf(RampColour(m_legend, k, m_legend.rainbow, reversed)));
  }
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(r.adjusted(0, 0, -1, -1));
}

bool CRampLegendDlg::DrawOnPage(QPainter& p, const LegendPagePlacement& place,
                                Messenger& messenger) const {
  return paint::PaintLegend(p, m_session.Legend(), m_session.State(), place.anchorX, place.anchorY,
                            place.corner, place.scale, messenger);
}

}  // namespace lumora::gui
