#include "gui/output/add_info_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

namespace {

QPushButton* Button(const QString& text, int id, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  SetControlId(b, id);
  b->setAutoDefault(false);
  return b;
}

QCheckBox* Check(const QString& text, int id, bool on, QWidget* parent) {
  auto* c = new QCheckBox(text, parent);
  SetControlId(c, id);
  c->setChecked(on);
  return c;
}

QComboBox* Combo(int id, QWidget* parent) {
  auto* c = new QComboBox(parent);
  SetControlId(c, id);
  return c;
}

}  // namespace

CTitleDlg::CTitleDlg(const std::string& text, QWidget* parent) : QDialog(parent) {
  SetControlId(this, kIdTitleDlg);
  setWindowTitle(translate("CAddInfoDlg", "タイトル設定"));
  m_edit = new QPlainTextEdit(this);
  SetControlId(m_edit, kIdTitleEdit);
  QString shown = paint::ToQ(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  m_edit->setPlainText(shown);
  m_edit->setMinimumSize(320, 120);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_edit);
  layout->addLayout(OkCancelRow(this, QStringLiteral("OK"), translate("CAddInfoDlg", "ｷｬﾝｾﾙ")));
}

std::string CTitleDlg::Text() const {
  QString text = m_edit->toPlainText();
  text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return FromQ(text);
}

CPositionDlg::CPositionDlg(int id, const QString& prompt, std::initializer_list<Place> places,
                           int code, QWidget* parent)
    : QDialog(parent), m_group(new QButtonGroup(this)) {
  SetControlId(this, id);
  setWindowTitle(translate("CAddInfoDlg", "位置の選択"));
  auto* sketch = new QFrame(this);
  sketch->setFrameShape(QFrame::Box);
  sketch->setMinimumSize(220, 260);
  auto* grid = new QGridLayout(sketch);
  auto* area = new QLabel(translate("CAddInfoDlg", "印刷領域"), sketch);
  area->setAlignment(Qt::AlignCenter);
  grid->addWidget(area, 1, 1);
  grid->setRowStretch(1, 1);
  grid->setColumnStretch(1, 1);
  for (const Place& p : places) {
    auto* radio = new QRadioButton(translate("CAddInfoDlg", p.text), sketch);
    radio->setObjectName(QStringLiteral("place%1").arg(p.code));
    m_group->addButton(radio, p.code);
    const Qt::Alignment align = (p.column == 0   ? Qt::AlignLeft
                                 : p.column == 2 ? Qt::AlignRight
                                                 : Qt::AlignHCenter) |
                                (p.row == 0 ? Qt::AlignTop : Qt::AlignBottom);
    grid->addWidget(radio, p.row, p.column, align);
  }
  SetCode(code);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(prompt, this));
  layout->addWidget(sketch);
  auto* row = OkCancelRow(this, QStringLiteral("OK"), translate("CAddInfoDlg", "ｷｬﾝｾﾙ"));
  m_ok = findChild<QPushButton*>(QStringLiteral("1"));
  layout->addLayout(row);
}

int CPositionDlg::Code() const { return std::max(0, m_group->checkedId()); }

void CPositionDlg::SetCode(int code) {
  if (QAbstractButton* b = m_group->button(code)) b->setChecked(true);
}

CScalePosDlg::CScalePosDlg(int code, QWidget* parent)
    : CPositionDlg(kIdScalePosDlg, translate("CAddInfoDlg", "縮尺の位置を選択してください．"),
                   {{0, QT_TRANSLATE_NOOP("CAddInfoDlg", "右"), 2, 2},
                    {1, QT_TRANSLATE_NOOP("CAddInfoDlg", "中央"), 2, 1},
                    {2, QT_TRANSLATE_NOOP("CAddInfoDlg", "左"), 2, 0}},
                   code, parent) {}

CNorthPosDlg::CNorthPosDlg(int code, QWidget* parent)
    : CPositionDlg(kIdNorthPosDlg, translate("CAddInfoDlg", "北マークの位置を選択してください．"),
                   {{0, QT_TRANSLATE_NOOP("CAddInfoDlg", "右上"), 0, 2},
                    {1, QT_TRANSLATE_NOOP("CAddInfoDlg", "右下"), 2, 2},
                    {2, QT_TRANSLATE_NOOP("CAddInfoDlg", "左下"), 2, 0},
                    {3, QT_TRANSLATE_NOOP("CAddInfoDlg", "左上"), 0, 0}},
                   code, parent) {}

CLegendPosDlg::CLegendPosDlg(int code, QWidget* parent)
    : CPositionDlg(kIdLegendPosDlg, translate("CAddInfoDlg", "凡例の位置を選択してください．"),
                   {{0, QT_TRANSLATE_NOOP("CAddInfoDlg", "右上"), 0, 2},
                    {1, QT_TRANSLATE_NOOP("CAddInfoDlg", "右下"), 2, 2},
                    {2, QT_TRANSLATE_NOOP("CAddInfoDlg", "左下"), 2, 0},
                    {3, QT_TRANSLATE_NOOP("CAddInfoDlg", "左上"), 0, 0}},
                   code, parent) {}

CAddInfoDlg::CAddInfoDlg(UiSeam& ui, const PageSettings& settings, bool hasReference,
                         bool hasLegend, int dpi, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_settings(settings), m_dpi(dpi) {
  SetControlId(this, kIdAddInfoDlg);
  setWindowTitle(translate("CAddInfoDlg", "付加情報表示設定ダイアログ"));
  const AnnotationSettings& a = settings.annotations;
  const paint::PageStyle& style = m_settings.style;

  auto* titleBox = new QGroupBox(this);
  auto* titleRow = new QHBoxLayout(titleBox);
  m_title = Check(translate("CAddInfoDlg", "タイトル"), kIdTitleShown, a.showTitle, titleBox);
  auto* text = Button(translate("CAddInfoDlg", "文章"), kIdTitleText, titleBox);
  auto* titleFont = Button(translate("CAddInfoDlg", "文字"), kIdTitleFont, titleBox);
  auto* titleColour = Button(QString(), kIdTitleColour, titleBox);
  titleRow->addWidget(m_title);
  titleRow->addStretch();
  for (QWidget* w : {static_cast<QWidget*>(text), static_cast<QWidget*>(titleFont),
                     static_cast<QWidget*>(titleColour)})
    titleRow->addWidget(w);

  auto* gridBox = new QGroupBox(this);
  auto* gridRow = new QHBoxLayout(gridBox);
  m_grid = Check(translate("CAddInfoDlg", "緯度・経度"), kIdGridShown, a.showGrid && hasReference,
                 gridBox);
  m_step = Combo(kIdGridStep, gridBox);
  auto* gridFont = Button(translate("CAddInfoDlg", "文字"), kIdGridFont, gridBox);
  auto* gridColour = Button(QString(), kIdGridColour, gridBox);
  gridRow->addWidget(m_grid);
  gridRow->addStretch();
  for (QWidget* w : {static_cast<QWidget*>(m_step), static_cast<QWidget*>(gridFont),
                     static_cast<QWidget*>(gridColour)})
    gridRow->addWidget(w);

  auto* scaleBox = new QGroupBox(this);
  auto* scaleRow = new QHBoxLayout(scaleBox);
  m_scale =
      Check(translate("CAddInfoDlg", "縮尺"), kIdScaleShown, a.showScale && hasReference, scaleBox);
  m_length = Combo(kIdScaleLength, scaleBox);
  auto* scaleFont = Button(translate("CAddInfoDlg", "文字"), kIdScaleFont, scaleBox);
  auto* scaleColour = Button(QString(), kIdScaleColour, scaleBox);
  auto* scalePlace = Button(translate("CAddInfoDlg", "場所"), kIdScalePlace, scaleBox);
  scaleRow->addWidget(m_scale);
  scaleRow->addStretch();
  for (QWidget* w : {static_cast<QWidget*>(m_length), static_cast<QWidget*>(scaleFont),
                     static_cast<QWidget*>(scaleColour), static_cast<QWidget*>(scalePlace)})
    scaleRow->addWidget(w);

  auto* northBox = new QGroupBox(this);
  auto* northRow = new QHBoxLayout(northBox);
  m_north = Check(translate("CAddInfoDlg", "北マーク"), kIdNorthShown, a.showNorth, northBox);
  auto* northPlace = Button(translate("CAddInfoDlg", "場所"), kIdNorthPlace, northBox);
  m_size = Combo(kIdNorthSize, northBox);
  for (const char* size : kNorthSizeTexts) m_size->addItem(Shown(size));
  m_size->setCurrentIndex(a.northSize);
  northRow->addWidget(m_north);
  northRow->addStretch();
  northRow->addWidget(m_size);
  northRow->addWidget(northPlace);

  auto* legendBox = new QGroupBox(this);
  auto* legendRow = new QHBoxLayout(legendBox);
  m_legend =
      Check(translate("CAddInfoDlg", "凡例"), kIdLegendShown, a.showLegend && hasLegend, legendBox);
  auto* legendPlace = Button(translate("CAddInfoDlg", "場所"), kIdLegendPlace, legendBox);
  legendRow->addWidget(m_legend);
  legendRow->addStretch();
  legendRow->addWidget(legendPlace);

  // Without a geo reference the grid and the scale bar cannot be drawn: their
  // boxes are off and the lists stay empty.
  if (hasReference) {
    int current = 0;
    for (size_t i = 0; i < std::size(kGridSteps); ++i) {
      m_step->addItem(QString::fromUtf8(kGridSteps[i].text));
      if (kGridSteps[i].step == a.gridStep) current = static_cast<int>(i);
    }
    m_step->setCurrentIndex(current);
    for (size_t i = 0; i < std::size(kScaleLengthsKm); ++i) {
      m_length->addItem(QStringLiteral("%1km").arg(kScaleLengthsKm[i]));
      if (kScaleLengthsKm[i] == a.scaleKm) m_length->setCurrentIndex(static_cast<int>(i));
    }
  }
  m_grid->setEnabled(hasReference);
  m_scale->setEnabled(hasReference);
  m_legend->setEnabled(hasLegend);

  PaintSwatch(titleColour, style.titleColour);
  PaintSwatch(gridColour, style.gridColour);
  PaintSwatch(scaleColour, style.scaleColour);
  connect(text, &QPushButton::clicked, this, [this] {
    CTitleDlg dialog(m_settings.annotations.titleText, this);
    if (m_ui.RunDialog(dialog) == QDialog::Accepted)
      m_settings.annotations.titleText = dialog.Text();
  });
  connect(titleFont, &QPushButton::clicked, this,
          [this] { ChooseFont(m_settings.style.titleFont); });
  connect(gridFont, &QPushButton::clicked, this, [this] { ChooseFont(m_settings.style.gridFont); });
  connect(scaleFont, &QPushButton::clicked, this,
          [this] { ChooseFont(m_settings.style.scaleFont); });
  connect(titleColour, &QPushButton::clicked, this,
          [this, titleColour] { ChooseColour(m_settings.style.titleColour, titleColour); });
  connect(gridColour, &QPushButton::clicked, this,
          [this, gridColour] { ChooseColour(m_settings.style.gridColour, gridColour); });
  connect(scaleColour, &QPushButton::clicked, this,
          [this, scaleColour] { ChooseColour(m_settings.style.scaleColour, scaleColour); });
  connect(scalePlace, &QPushButton::clicked, this, [this] {
    CScalePosDlg dialog(m_settings.annotations.scalePosition, this);
    if (m_ui.RunDialog(dialog) == QDialog::Accepted)
      m_settings.annotations.scalePosition = dialog.Code();
  });
  connect(northPlace, &QPushButton::clicked, this, [this] {
    CNorthPosDlg dialog(m_settings.annotations.northPosition, this);
    if (m_ui.RunDialog(dialog) == QDialog::Accepted)
      m_settings.annotations.northPosition = dialog.Code();
  });
  connect(legendPlace, &QPushButton::clicked, this, [this] {
    CLegendPosDlg dialog(m_settings.annotations.legendPosition, this);
    if (m_ui.RunDialog(dialog) == QDialog::Accepted)
      m_settings.annotations.legendPosition = dialog.Code();
  });

  auto* layout = new QVBoxLayout(this);
  auto* note = new QLabel(
      translate("CAddInfoDlg", "緯度・経度，縮尺，北マーク，凡例の表示設定が出来ます．"), this);
  layout->addWidget(note);
  for (QWidget* box : {titleBox, gridBox, scaleBox, northBox, legendBox}) layout->addWidget(box);
  layout->addLayout(OkCancelRow(this, QStringLiteral("OK"), translate("CAddInfoDlg", "ｷｬﾝｾﾙ")));
}

PageSettings CAddInfoDlg::Settings() const {
  PageSettings s = m_settings;
  AnnotationSettings& a = s.annotations;
  a.showTitle = m_title->isChecked();
  a.showGrid = m_grid->isEnabled() && m_grid->isChecked();
  if (m_step->currentIndex() >= 0) a.gridStep = kGridSteps[m_step->currentIndex()].step;
  a.showScale = m_scale->isEnabled() && m_scale->isChecked();
  if (m_length->currentIndex() >= 0) a.scaleKm = kScaleLengthsKm[m_length->currentIndex()];
  a.showNorth = m_north->isChecked();
  a.northSize = std::max(0, m_size->currentIndex());
  a.showLegend = m_legend->isEnabled() && m_legend->isChecked();
  return s;
}

// The font dialog shows sizes in points; the page keeps them in its units.
void CAddInfoDlg::ChooseFont(QFont& font) {
  QFont shown(font);
  if (font.pixelSize() > 0) shown.setPointSizeF(font.pixelSize() * 72.0 / m_dpi);
  QFontDialog dialog(shown, this);
  dialog.setObjectName(QStringLiteral("font"));
  dialog.setOption(QFontDialog::DontUseNativeDialog, true);
  if (m_ui.RunDialog(dialog) == QDialog::Accepted)
    font = paint::PageFont(dialog.currentFont(), m_dpi);
}

void CAddInfoDlg::ChooseColour(QColor& colour, QPushButton* swatch) {
  QColorDialog dialog(colour, this);
  dialog.setObjectName(QStringLiteral("colour"));
  dialog.setOption(QColorDialog::DontUseNativeDialog, true);
  if (m_ui.RunDialog(dialog) != QDialog::Accepted) return;
  colour = dialog.currentColor();
  PaintSwatch(swatch, colour);
}

void CAddInfoDlg::PaintSwatch(QPushButton* swatch, const QColor& colour) {
  QPixmap chip(24, 14);
  chip.fill(colour);
  {
    QPainter p(&chip);
    p.setPen(Qt::black);
    p.drawRect(chip.rect().adjusted(0, 0, -1, -1));
  }
  swatch->setIcon(QIcon(chip));
  swatch->setIconSize(chip.size());
  swatch->setToolTip(translate("CAddInfoDlg", "色"));
}

}  // namespace lumora::gui
