#include "gui/analysis/dem_legend_dlg.h"

#include <QLabel>
#include <QPainter>

#include "core/analysis/dem_legend.h"
#include "core/analysis/elevation.h"
#include "core/view/image_session.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/language.h"
#include "paint/legend_page_painter.h"

namespace lumora::gui {

namespace {

// The bar is 14 x 62 dialog units, the sea swatch 14 x 10.
constexpr int kLeft = 10;
constexpr int kTop = 12;
constexpr int kBarWidth = 21;
constexpr int kBarHeight = 101;
constexpr int kSeaHeight = 16;
constexpr int kSeaTop = kTop + kBarHeight + 10;
constexpr int kLabelLeft = kLeft + kBarWidth + 8;
constexpr int kLabelWidth = 64;

QColor ColourOf(const Bgr& c) { return QColor(c[2], c[1], c[0]); }

}  // namespace

CDemLegendDlg::CDemLegendDlg(const ImageSession& session, Messenger& messenger, QWidget* owner)
    : CLegendWindow(owner, kDemLegendTemplate), m_session(session) {
  // Both frames only mark their places; the window paints them.
  auto frame = [this](int id, int top, int height) {
    auto* w = new QWidget(this);
    SetControlId(w, id);
    w->setAttribute(Qt::WA_TransparentForMouseEvents);
    w->setGeometry(kLeft, top, kBarWidth, height);
    return w;
  };
  m_bar = frame(kDemLegendBar, kTop, kBarHeight);
  m_sea = frame(kDemLegendSea, kSeaTop, kSeaHeight);
  auto label = [this](int id, const QString& text, int centre) {
    auto* l = new QLabel(text, this);
    if (id) SetControlId(l, id);
    const int h = l->fontMetrics().height();
    l->setGeometry(kLabelLeft, centre - h / 2, kLabelWidth, h);
    return l;
  };
  m_high = label(kDemLegendHigh, QStringLiteral("1000m"), kTop);
  m_low = label(kDemLegendLow, QStringLiteral("1000m"), kTop + kBarHeight);
  label(0, translate("CDemLegendDlg", "海"), kSeaTop + kSeaHeight / 2);
  setFixedSize(kLabelLeft + kLabelWidth + 6, kSeaTop + kSeaHeight + 12);

  const std::string& path = session.CurrentPath();
  const int state = session.State().m_nFileState;
  if (ReadDemLegendRange(path, state, ElevationLegendHint(path, state), m_range, messenger)) {
    m_low->setText(QString::fromStdString(m_range.LowLabel()));
    m_high->setText(QString::fromStdString(m_range.HighLabel()));
  }
}

QString CDemLegendDlg::LabelText(int id) const {
  if (id == kDemLegendLow) return m_low->text();
  if (id == kDemLegendHigh) return m_high->text();
  return {};
}

QRect CDemLegendDlg::SeaRect() const { return m_sea->geometry(); }
QRect CDemLegendDlg::BarRect() const { return m_bar->geometry(); }

void CDemLegendDlg::DrawOnScreen(QPainter& p) {
  p.fillRect(SeaRect(), ColourOf(ElevationColour(0)));
  const QRect r = BarRect();
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(r.adjusted(0, 0, -1, -1));
  // Client rectangle of the bar: right and bottom exclusive. Entry 1 is at
  // the bottom; each band covers the rows between its two edges, at least
  // one, and a higher entry paints over a lower one.
  for (const LegendBand& b :
       DemLegendBar(r.left(), r.top(), r.left() + r.width(), r.top() + r.height())) {
    QRect band(QPoint(b.left, b.bottom), QPoint(b.right - 1, b.top - 1));
    if (band.height() < 1) band.setHeight(1);
    p.fillRect(band, ColourOf(b.colour));
  }
}

bool CDemLegendDlg::DrawOnPage(QPainter& p, const LegendPagePlacement& place,
                               Messenger& messenger) const {
  return paint::PaintLegend(p, LegendKind::kElevation, m_session.State(), place.anchorX,
                            place.anchorY, place.corner, place.scale, messenger);
}

}  // namespace lumora::gui
