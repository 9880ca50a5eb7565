#include "gui/imagefile/image_create_dlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <set>

#include "core/support/string_table.h"
#include "gui/widgets/bitmap_button.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

namespace {
constexpr int kAllSampleTypes = 7;
// Swatch pictures: blue, green, red and grey.
const char* const kSwatchBlue = "IDB_SWATCH381";
const char* const kSwatchGreen = "IDB_SWATCH380";
const char* const kSwatchRed = "IDB_SWATCH383";
const char* const kSwatchGrey = "IDB_SWATCH382";
}  // namespace

CImageCreateDlg::CImageCreateDlg(Messenger& messenger, const std::string& settingsPath,
                                 const ImageSettings& settings, QWidget* parent)
    : QDialog(parent), m_messenger(messenger), m_settingsPath(settingsPath), m_settings(settings) {
  SetControlId(this, kIdComposition);
  setWindowTitle(translate("CImageCreateDlg", "画面作成ダイアログ"));

  auto* path = new QLineEdit(ToQ(settingsPath), this);
  SetControlId(path, kIdImagePath);
  path->setReadOnly(true);

  // Presets, grouped by sensor.
  auto* presets = new QHBoxLayout;
  struct Group {
    const char* label;
    int sensor;
  } groups[] = {
      {QT_TRANSLATE_NOOP("CImageCreateDlg", "アスタ－\nセンサ"), kSensorAster},
      {QT_TRANSLATE_NOOP("CImageCreateDlg", "ランドサット・\nエムエスエスセンサ"), kSensorMss},
      {QT_TRANSLATE_NOOP("CImageCreateDlg", "ランドサット・\nティ－エムセンサ"), kSensorTm}};
  bool resourcesOk = true;
  for (const Group& g : groups) {
    auto* box = new QVBoxLayout;
    auto* label = new QLabel(translate("CImageCreateDlg", g.label), this);
    label->setAlignment(Qt::AlignCenter);
    box->addWidget(label);
    auto* row = new QHBoxLayout;
    for (const CompositionPreset& p : CompositionPresets()) {
      if (p.sensor != g.sensor) continue;
      auto* b = new CMyBitmapButton(p.controlId, QString::fromUtf8(p.resourceBase), this);
      if (!b->Attach()) resourcesOk = false;
      connect(b, &QAbstractButton::clicked, this, [this, id = p.controlId] { OnPreset(id); });
      m_presets.push_back(b);
      row->addWidget(b);
    }
    box->addLayout(row);
    presets->addLayout(box);
  }

  m_multi = new QRadioButton(translate("CImageCreateDlg", "多バンド画像作成"), this);
  SetControlId(m_multi, kIdColourComposite);
  m_singleRadio = new QRadioButton(translate("CImageCreateDlg", "単バンド画像作成"), this);
  SetControlId(m_singleRadio, kIdOneBand);
  auto* modes = new QButtonGroup(this);
  modes->addButton(m_multi);
  modes->addButton(m_singleRadio);
  connect(m_multi, &QRadioButton::clicked, this, [this] { SetSingleBand(false); });
  connect(m_singleRadio, &QRadioButton::clicked, this, [this] { SetSingleBand(true); });

  m_heading = new QLabel(translate("CImageCreateDlg", "多バンド画像作成"), this);
  SetControlId(m_heading, kIdBandsHeading);
  m_blueLabel = new QLabel(translate("CImageCreateDlg", "青 (Blue)"), this);
  SetControlId(m_blueLabel, kIdBlueLabel);
  m_greenLabel = new QLabel(translate("CImageCreateDlg", "緑 (Green)"), this);
  SetControlId(m_greenLabel, kIdGreenLabel);
  m_redLabel = new QLabel(translate("CImageCreateDlg", "赤 (Red)"), this);
  SetControlId(m_redLabel, kIdRedLabel);
  m_bands = ListBands(settingsPath, true, kAllSampleTypes);
  m_blue = MakeBandCombo(kIdBlueBand);
  m_green = MakeBandCombo(kIdGreenBand);
  m_red = MakeBandCombo(kIdRedBand);
  const int swatchIds[3] = {kIdBlueSwatch, kIdGreenSwatch, kIdRedSwatch};
  const char* swatchPics[3] = {kSwatchBlue, kSwatchGreen, kSwatchRed};
  for (int i = 0; i < 3; ++i) {
    m_swatch[i] = new QLabel(this);
    SetControlId(m_swatch[i], swatchIds[i]);
    const QPixmap pic = LoadPicture(QString::fromUtf8(swatchPics[i]));
    if (pic.isNull()) resourcesOk = false;
    m_swatch[i]->setPixmap(pic);
  }
  m_rainbow = new QCheckBox(translate("CImageCreateDlg", "レインボ－カラ－表示する"), this);
  SetControlId(m_rainbow, kIdRainbow);

  auto* bandGrid = new QGridLayout;
  bandGrid->addWidget(m_heading, 0, 0, 1, 3);
  bandGrid->addWidget(m_swatch[2], 1, 0);
  bandGrid->addWidget(m_redLabel, 1, 1);
  bandGrid->addWidget(m_red, 1, 2);
  bandGrid->addWidget(m_swatch[1], 2, 0);
  bandGrid->addWidget(m_greenLabel, 2, 1);
  bandGrid->addWidget(m_green, 2, 2);
  bandGrid->addWidget(m_swatch[0], 3, 0);
  bandGrid->addWidget(m_blueLabel, 3, 1);
  bandGrid->addWidget(m_blue, 3, 2);
  bandGrid->addWidget(m_rainbow, 4, 1, 1, 2);
  bandGrid->setColumnStretch(2, 1);

  auto* buttons =
      OkCancelRow(this, QStringLiteral("OK"), translate("CImageCreateDlg", "キャンセル"));

  auto* radios = new QVBoxLayout;
  radios->addWidget(m_multi);
  radios->addWidget(m_singleRadio);
  radios->addStretch();
  auto* middle = new QHBoxLayout;
  middle->addLayout(radios);
  middle->addLayout(bandGrid, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(path);
  layout->addLayout(presets);
  layout->addLayout(middle);
  layout->addLayout(buttons);

  if (!resourcesOk) m_messenger.ShowMessage(kMsgResourceFailed);
  m_multi->setChecked(true);
  SelectBands(3, 2, 1);
  SetSingleBand(false);
  // Sized for three bands: switching to one band hides controls and leaves
  // their place, so the dialog never grows or shrinks under the pupil.
  setFixedSize(sizeHint());
  if (m_red->count() < 2) {
    m_singleRadio->setChecked(true);
    SetSingleBand(true);
    m_multi->setEnabled(false);
  }
}

QComboBox* CImageCreateDlg::MakeBandCombo(int id) {
  auto* combo = new QComboBox(this);
  SetControlId(combo, id);
  combo->setPlaceholderText(QString::fromUtf8(kUnknownBand));
  for (const BandItem& item : m_bands) combo->addItem(ToQ(item.shown), item.number);
  combo->setMinimumContentsLength(20);
  return combo;
}

void CImageCreateDlg::SelectBand(QComboBox* combo, int band) {
  combo->setCurrentIndex(combo->findData(band));  // -1 shows "UNKOWN BAND"
  // Kept so that the message can name the band file that is not there.
  combo->setProperty("wanted", band);
}

void CImageCreateDlg::SelectBands(int red, int green, int blue) {
  SelectBand(m_red, red);
  SelectBand(m_green, green);
  SelectBand(m_blue, blue);
}

int CImageCreateDlg::BandOf(const QComboBox* combo) const {
  if (combo->currentIndex() < 0 && combo->property("wanted").toInt() > 0)
    return combo->property("wanted").toInt();
  return BandNumberFromText(FromQ(combo->currentText()));
}

void CImageCreateDlg::OnPreset(int controlId) {
  if (const CompositionPreset* p = FindPreset(controlId)) SelectBands(p->red, p->green, p->blue);
}

void CImageCreateDlg::SetSingleBand(bool single) {
  m_single = single;
  m_heading->setText(single ? translate("CImageCreateDlg", "単バンド画像作成")
                            : translate("CImageCreateDlg", "多バンド画像作成"));
  m_blueLabel->setText(single ? translate("CImageCreateDlg", "白黒 (Gray)")
                              : translate("CImageCreateDlg", "青 (Blue)"));
  for (QWidget* w : {static_cast<QWidget*>(m_green), static_cast<QWidget*>(m_red),
                     static_cast<QWidget*>(m_greenLabel), static_cast<QWidget*>(m_redLabel),
                     static_cast<QWidget*>(m_swatch[1]), static_cast<QWidget*>(m_swatch[2])})
    w->setVisible(!single);
  m_rainbow->setVisible(single);
  // A preset of another sensor or asking for a band the image lacks is
  // grey, and its tool tip says why.
  std::vector<int> present;
  for (const BandItem& item : m_bands) present.push_back(item.number);
  for (CMyBitmapButton* b : m_presets) {
    const CompositionPreset* p = FindPreset(b->ControlId());
    const PresetOffer offer = p ? OfferPreset(*p, m_settings.sensor, present) : PresetOffer{};
    b->setEnabled(!single && offer.offered);
    b->setToolTip(ToQ(offer.reason));
  }
  m_swatch[0]->setPixmap(LoadPicture(QString::fromUtf8(single ? kSwatchGrey : kSwatchBlue)));
}

void CImageCreateDlg::accept() {
  Composition c;
  c.singleBand = m_single;
  c.rainbow = m_single && m_rainbow->isChecked();
  c.bandCount = m_red->count();
  c.blue = BandOf(m_blue);
  c.blueType = SampleTypeOf(m_bands, c.blue);
  if (m_single) {
    c.red = c.green = c.blue;
    c.redType = c.greenType = c.blueType;
  } else {
    c.red = BandOf(m_red);
    c.redType = SampleTypeOf(m_bands, c.red);
    c.green = BandOf(m_green);
    c.greenType = SampleTypeOf(m_bands, c.green);
  }
  // Each distinct file is checked once, in the order red, green, blue.
  std::set<std::pair<int, int>> checked;
  const std::pair<int, int> channels[3] = {
      {c.redType, c.red}, {c.greenType, c.green}, {c.blueType, c.blue}};
  for (const auto& [type, band] : channels) {
    if (!checked.insert({type, band}).second) continue;
    switch (CheckBandFile(m_settingsPath, type, band, m_settings)) {
      case BandFileCheck::kOk: break;
      case BandFileCheck::kCannotOpen:
        m_messenger.ShowText("Lumora Zud's", BandFileFailure(m_settingsPath, type, band));
        return;
      case BandFileCheck::kWrongSize:
        if (!m_messenger.AskOkCancel(kMsgSizeMismatch)) return;
        break;
    }
  }
  m_result = c;
  QDialog::accept();
}

}  // namespace lumora::gui
