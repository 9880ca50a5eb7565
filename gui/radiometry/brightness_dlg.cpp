#include "gui/radiometry/brightness_dlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"

namespace lumora::gui {

namespace {

// The histogram is 2 pixels per level; the marker strip reaches a finger's
// width beyond both ends of the scale and is a finger high, so that the
// markers at 0 and 255 can still be taken.
constexpr int kScaleWidth = 2 * 256 + 2;
constexpr int kPanelHeight = 150;
constexpr int kFingerMargin = 14;
constexpr int kStripHeight = 30;
constexpr int kBarHeight = 18;

const char* const kIntegerPrompt =
    QT_TRANSLATE_NOOP("CBrightnessDlg", "0 から 255 までの整数を入力してください．");

// A child area that paints and takes the mouse through its owner.
class Area : public QWidget {
 public:
  Area(int id, QWidget* parent) : QWidget(parent) { setObjectName(QString::number(id)); }
  std::function<void(QPainter&, const QRect&)> paint;
  std::function<void(QPoint)> press, move;
  std::function<void()> release;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    if (paint) paint(p, rect());
  }
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton && press) press(e->position().toPoint());
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    if ((e->buttons() & Qt::LeftButton) && move) move(e->position().toPoint());
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton && release) release();
  }
};

PanelRect PanelOf(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QColor BarPen(int channel) {
  switch (channel) {
    case 0: return QColor(0, 100, 255);
    case 1: return QColor(0, 230, 0);
    case 2: return QColor(255, 0, 0);
    default: return QColor(255, 255, 255);
  }
}

QColor RampOf(int channel, int i) {
  switch (channel) {
    case 0: return QColor(0, 0, i);
    case 1: return QColor(0, i, 0);
    case 2: return QColor(i, 0, 0);
    default: return QColor(i, i, i);
  }
}

}  // namespace

CBrightnessDlg::CBrightnessDlg(const Dib& shown, bool singleBand, const StretchSet& starting,
                               Messenger& messenger, Preview preview, QWidget* parent)
    : QDialog(parent),
      m_messenger(messenger),
      m_preview(std::move(preview)),
      m_state(shown, singleBand, starting) {
  setObjectName(QString::number(kBrightnessTemplate));
  setWindowTitle(translate("CBrightnessDlg", "明るさ調整"));
  setWindowFlag(Qt::WindowStaysOnTopHint);

  m_graph = new QWidget(this);
  m_graph->setFixedSize(kScaleWidth + 2 * kFingerMargin, kPanelHeight + kStripHeight + kBarHeight);
  auto* panel = new Area(kHistogramPanel, m_graph);
  panel->setGeometry(kFingerMargin, 0, kScaleWidth, kPanelHeight);
  panel->paint = [this](QPainter& p, const QRect& r) { PaintHistogram(p, r); };
  auto* strip = new Area(kMarkerStrip, m_graph);
  strip->setGeometry(0, kPanelHeight, m_graph->width(), kStripHeight);
  strip->setCursor(Qt::SizeHorCursor);
  strip->paint = [this](QPainter& p, const QRect& r) {
    p.fillRect(r, palette().window());
    PaintMarkers(p);
  };
  strip->press = [this](QPoint at) { MarkerPressed(at); };
  strip->move = [this](QPoint at) { MarkerMoved(at); };
  strip->release = [this] { MarkerReleased(); };
  auto* bar = new Area(kColourBar, m_graph);
  bar->setGeometry(kFingerMargin, kPanelHeight + kStripHeight, kScaleWidth, kBarHeight);
  bar->paint = [this](QPainter& p, const QRect& r) { PaintColourBar(p, r); };
  m_panel = panel;
  m_strip = strip;
  m_bar = bar;

  const int ids[4] = {kInputLowEdit, kInputHighEdit, kOutputLowEdit, kOutputHighEdit};
  for (int i = 0; i < 4; ++i) {
    m_edits[i] = new QLineEdit(this);
    m_edits[i]->setObjectName(QString::number(ids[i]));
    // Digits only; a value above 255 or an empty edit is refused when read.
    m_edits[i]->setValidator(new QIntValidator(0, 255, m_edits[i]));
    m_edits[i]->setMaxLength(3);
    m_edits[i]->setAlignment(Qt::AlignRight);
    m_edits[i]->setFixedWidth(m_edits[i]->fontMetrics().horizontalAdvance(QStringLiteral("0000")) +
                              12);
    connect(m_edits[i], &QLineEdit::editingFinished, this, [this] {
      if (!m_reading && ReadEdits()) ValuesChanged();
    });
  }
  auto group = [this](const QString& title, QLineEdit* low, QLineEdit* high) {
    auto* box = new QGroupBox(title, this);
    auto* row = new QHBoxLayout(box);
    row->addWidget(new QLabel(translate("CBrightnessDlg", "下限"), box));
    row->addWidget(low);
    row->addSpacing(8);
    row->addWidget(new QLabel(translate("CBrightnessDlg", "上限"), box));
    row->addWidget(high);
    return box;
  };
  auto* input = group(translate("CBrightnessDlg", "入力の調整"), m_edits[0], m_edits[1]);
  auto* output = group(translate("CBrightnessDlg", "出力の調整"), m_edits[2], m_edits[3]);

  struct ChannelButton {
    int id;
    const char* text;
    int channel;
  };
  const ChannelButton channels[] = {
      {kBlueButton, QT_TRANSLATE_NOOP("CBrightnessDlg", "青色の調整"), 0},
      {kGreenButton, QT_TRANSLATE_NOOP("CBrightnessDlg", "緑色の調整"), 1},
      {kRedButton, QT_TRANSLATE_NOOP("CBrightnessDlg", "赤色の調整"), 2},
      {kAllColoursButton, QT_TRANSLATE_NOOP("CBrightnessDlg", "３色同時表示"), kAllChannels}};
  auto* channelRow = new QHBoxLayout;
  for (const ChannelButton& c : channels) {
    auto* b = new QPushButton(translate("CBrightnessDlg", c.text), this);
    b->setObjectName(QString::number(c.id));
    b->setAutoDefault(false);
    const int channel = c.channel;
    connect(b, &QPushButton::clicked, this, [this, channel] { OnChannel(channel); });
    // A single band has no colours to choose.
    b->setVisible(!singleBand);
    channelRow->addWidget(b);
  }

  m_excludeBlack = new QCheckBox(translate("CBrightnessDlg", "黒を除く"), this);
  m_excludeBlack->setObjectName(QString::number(kExcludeBlackBox));
  m_excludeBlack->setChecked(m_state.ExcludeBlack());
  connect(m_excludeBlack, &QCheckBox::toggled, this, &CBrightnessDlg::OnExcludeBlack);
  auto* automatic = new QPushButton(translate("CBrightnessDlg", "自動調整"), this);
  automatic->setObjectName(QString::number(kAutomaticButton));
  automatic->setAutoDefault(false);
  connect(automatic, &QPushButton::clicked, this, &CBrightnessDlg::OnAutomatic);

  auto* buttons =
      OkCancelRow(this, QStringLiteral("OK"), translate("CBrightnessDlg", "キャンセル"));
  buttons->insertWidget(0, m_excludeBlack);
  buttons->insertWidget(2, automatic);

  auto* edits = new QHBoxLayout;
  edits->addWidget(input);
  edits->addWidget(output);
  edits->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(m_graph);
  layout->addLayout(edits);
  layout->addLayout(channelRow);
  layout->addLayout(buttons);
  ShowEdits();
}

CBrightnessDlg::~CBrightnessDlg() {
  for (QLineEdit* edit : m_edits) edit->disconnect(this);
}

BrightnessDialogState::MarkerGeometry CBrightnessDlg::Geometry() const {
  // In the strip's coordinates: the colour bar gives the level scale.
  const QRect bar = m_bar->geometry().translated(-m_strip->pos());
  BrightnessDialogState::MarkerGeometry g;
  g.barLeft = bar.left();
  g.barRight = bar.left() + bar.width();
  g.stripLeft = 0;
  g.stripTop = 0;
  g.stripRight = m_strip->width();
  g.stripBottom = m_strip->height();
  return g;
}

QPoint CBrightnessDlg::StripPointOf(int level, bool output) const {
  const auto g = Geometry();
  const int x = BrightnessDialogState::PositionOf(level, g);
  return {x, output ? g.stripBottom - 4 : g.stripTop + 4};
}

void CBrightnessDlg::ShowEdits() {
  const StretchValues& v = m_state.Edits();
  const int values[4] = {v.inLow, v.inHigh, v.outLow, v.outHigh};
  for (int i = 0; i < 4; ++i) {
    m_edits[i]->setText(QString::number(values[i]));
    m_edits[i]->setEnabled(m_state.EditsEnabled());
  }
}

bool CBrightnessDlg::ReadEdits() {
  if (!m_state.EditsEnabled()) return true;
  int values[4];
  // Read in the order input high, input low, output high, output low.
  for (int i : {1, 0, 3, 2}) {
    bool ok = false;
    values[i] = m_edits[i]->text().trimmed().toInt(&ok);
    if (!ok || !BrightnessDialogState::ValidEdit(values[i])) {
      // The report takes the focus away from the edit; its leaving must not
      // be read again meanwhile.
      m_reading = true;
      m_messenger.ShowText("Lumora Zud's",
                           translate("CBrightnessDlg", kIntegerPrompt).toStdString());
      m_edits[i]->setFocus();
      m_edits[i]->selectAll();
      m_reading = false;
      return false;
    }
  }
  return m_state.SetEdits({values[1], values[0], values[3], values[2]});
}

void CBrightnessDlg::ValuesChanged() {
  m_strip->update();
  if (!m_preview) return;
  // The preview shows what OK would apply, without storing anything.
  BrightnessDialogState trial = m_state;
  LookupTables tables = IdentityTables();
  trial.Ok(tables);
  m_preview(tables);
}

void CBrightnessDlg::OnChannel(int channel) {
  if (!ReadEdits()) return;
  if (channel == kAllChannels)
    m_state.SelectAllChannels();
  else
    m_state.SelectChannel(channel);
  ShowEdits();
  m_graph->update();
  ValuesChanged();
}

void CBrightnessDlg::OnExcludeBlack(bool on) {
  m_state.SetExcludeBlack(on);
  m_graph->update();
}

void CBrightnessDlg::OnAutomatic() {
  if (!ReadEdits()) return;
  m_state.Automatic(m_tables);
  ShowEdits();
  m_graph->update();
  ValuesChanged();
  QDialog::accept();
}

void CBrightnessDlg::accept() {
  if (!ReadEdits()) return;  // an invalid value keeps the dialog open
  m_state.Ok(m_tables);
  QDialog::accept();
}

void CBrightnessDlg::PaintHistogram(QPainter& p, const QRect& r) const {
  p.fillRect(r, Qt::black);
  const Histogram& h = m_state.CurrentHistogram();
  const QPen bar(BarPen(m_state.Channel()), 1);
  const QColor curve(255, 255, 0);
  for (const HistogramBar& b : HistogramBars(h, m_state.ExcludeBlack(), PanelOf(r))) {
    p.setPen(bar);
    p.drawLine(b.x, r.bottom(), b.x, b.top);
    p.fillRect(b.x, b.curveY, 2, 2, curve);
  }
  // Where the pinned pixels lie in this channel (in all three for all).
  const PanelRect panel = PanelOf(r);
  for (const PixelMark& m : m_marks)
    for (int c = 0; c < 3; ++c)
      if (m_state.Channel() == c || m_state.Channel() > 2) {
        const int x = LevelX(m.bytes[static_cast<size_t>(c)], panel);
        p.setPen(QPen(m.colour, 1, Qt::DashLine));
        p.drawLine(x, r.top(), x, r.bottom());
      }
}

void CBrightnessDlg::PaintColourBar(QPainter& p, const QRect& r) const {
  const PanelRect bar = PanelOf(r);
  const int width = ColourBarPenWidth(bar);
  for (int i = 0; i < 256; ++i) {
    const int x = LevelX(i, bar);
    p.fillRect(x - width / 2, r.top() + 1, width, r.height() - 2, RampOf(m_state.Channel(), i));
  }
}

void CBrightnessDlg::PaintMarkers(QPainter& p) const {
  if (!m_state.MarkersShown()) return;
  // Drawn in the strip: the histogram's bottom edge is the strip's top, the
  // colour bar's top its bottom.
  const auto g = Geometry();
  const int top = g.stripTop - 1;  // the panel's last row is the strip's row -1
  const int bottom = g.stripBottom;
  const StretchValues& v = m_state.Edits();
  auto up = [&](int level) {
    const int x = BrightnessDialogState::PositionOf(level, g);
    const QPoint apex(x, top + 2);
    const QPoint tri[3] = {apex, {x - 2, top + 7}, {x + 2, top + 7}};
    p.drawPolygon(tri, 3);
    return apex;
  };
  auto down = [&](int level) {
    const int x = BrightnessDialogState::PositionOf(level, g);
    const QPoint apex(x, bottom - 1);
    const QPoint tri[3] = {apex, {x - 2, bottom - 6}, {x + 2, bottom - 6}};
    p.drawPolygon(tri, 3);
    return apex;
  };
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::black);
  const QPoint inLow = up(v.inLow), inHigh = up(v.inHigh);
  const QPoint outLow = down(v.outLow), outHigh = down(v.outHigh);
  p.drawLine(inLow, outLow);
  p.drawLine(inHigh, outHigh);
}

void CBrightnessDlg::MarkerPressed(QPoint at) {
  if (!m_state.EditsEnabled()) return;
  if (!ReadEdits()) return;
  BrightnessDialogState::MarkerGeometry g = Geometry();
  if (!m_state.PressMarker(at.x(), at.y(), g)) return;
  ShowEdits();
  ValuesChanged();
}

void CBrightnessDlg::MarkerMoved(QPoint at) {
  if (!m_state.MoveMarker(at.x(), Geometry())) return;
  ShowEdits();
  ValuesChanged();
}

void CBrightnessDlg::MarkerReleased() { m_state.ReleaseMarker(); }

}  // namespace lumora::gui
