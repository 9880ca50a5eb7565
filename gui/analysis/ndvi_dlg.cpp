#include "gui/analysis/ndvi_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/imagefile/settings_file.h"
#include "gui/app/kiri_app.h"
#include "gui/view/kiri_view.h"
#include "gui/view/step_command.h"
#include "gui/widgets/bitmap_button.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

namespace {

struct SensorButton {
  int id;
  int sensor;
  const char* base;
  const char* name;
  const char* x;
  const char* y;
};

const SensorButton kSensorButtons[] = {
    {kNdviAsterButton, kSensorAster, "IDB_ASTER", "ASTER",
     QT_TRANSLATE_NOOP("CNdviDlg", "バンド３，"), QT_TRANSLATE_NOOP("CNdviDlg", "バンド２")},
    {kNdviTmButton, kSensorTm, "IDB_TM", "Landsat_TM", QT_TRANSLATE_NOOP("CNdviDlg", "バンド４，"),
     QT_TRANSLATE_NOOP("CNdviDlg", "バンド３")},
    {kNdviMssButton, kSensorMss, "IDB_MSS", "Landsat_MSS",
     QT_TRANSLATE_NOOP("CNdviDlg", "バンド４，"), QT_TRANSLATE_NOOP("CNdviDlg", "バンド２")},
};

// Any sensor number that is not ASTER or TM stands for MSS.
int SensorOf(int sensor) {
  return sensor == kSensorAster || sensor == kSensorTm ? sensor : kSensorMss;
}

}  // namespace

CNdviDlg::CNdviDlg(const std::string& settingsPath, int sensor, Messenger& messenger,
                   QWidget* parent)
    : QDialog(parent) {
  setObjectName(QString::number(kNdviTemplate));
  setWindowTitle(translate("CNdviDlg", "植生指数"));
  m_bands = ListBands(settingsPath, true, 7);  // bands of every sample type
  auto combo = [this](int id) {
    auto* c = new QComboBox(this);
    c->setObjectName(QString::number(id));
    for (const BandItem& item : m_bands) c->addItem(ToQ(item.shown), item.number);
    c->setCurrentIndex(-1);
    c->setMinimumContentsLength(18);
    return c;
  };
  m_x = combo(kNdviXCombo);
  m_y = combo(kNdviYCombo);
  m_rainbow = new QCheckBox(translate("CNdviDlg", "レインボーカラー表示する"), this);
  m_rainbow->setObjectName(QString::number(kNdviRainbowBox));

  auto* presets = new QGridLayout;
  std::vector<CMyBitmapButton*> buttons;
  int column = 0;
  for (const SensorButton& s : kSensorButtons) {
    auto* b = new CMyBitmapButton(s.id, QString::fromUtf8(s.base), this);
    const int preset = s.sensor;
    connect(b, &QAbstractButton::clicked, this, [this, preset] { SelectPreset(preset); });
    b->setEnabled(s.sensor == SensorOf(sensor));
    buttons.push_back(b);
    presets->addWidget(b, 0, column, Qt::AlignHCenter);
    presets->addWidget(new QLabel(QString::fromUtf8(s.name), this), 1, column, Qt::AlignHCenter);
    presets->addWidget(new QLabel(QStringLiteral("X = %1\nY = %2")
                                      .arg(translate("CNdviDlg", s.x), translate("CNdviDlg", s.y)),
                                  this),
                       2, column, Qt::AlignHCenter);
    ++column;
  }
  AttachButtons({buttons[0], buttons[1], buttons[2]}, messenger);

  auto* bands = new QGridLayout;
  bands->addWidget(new QLabel(QStringLiteral("X"), this), 0, 0);
  bands->addWidget(m_x, 0, 1);
  bands->addWidget(new QLabel(QStringLiteral("Y"), this), 1, 0);
  bands->addWidget(m_y, 1, 1);
  bands->setColumnStretch(1, 1);

  auto* formula = new QLabel(translate("CNdviDlg", "植生指数　=　( X - Y ) / ( X + Y )"), this);
  formula->setAlignment(Qt::AlignCenter);
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(formula);
  layout->addLayout(presets);
  layout->addLayout(bands);
  layout->addWidget(m_rainbow);
  layout->addLayout(OkCancelRow(this, QStringLiteral("OK"), translate("CNdviDlg", "キャンセル")));
}

void CNdviDlg::SelectPreset(int sensor) {
  const BandPair p = NdviPreset(sensor);
  m_x->setCurrentIndex(m_x->findData(p.x));
  m_y->setCurrentIndex(m_y->findData(p.y));
}

void CNdviDlg::accept() {
  const int x = m_x->currentIndex() >= 0 ? m_x->currentData().toInt() : -1;
  const int y = m_y->currentIndex() >= 0 ? m_y->currentData().toInt() : -1;
  if (x < 0 || y < 0) {
    reject();
    return;
  }
  m_params.xBand = x;
  m_params.yBand = y;
  m_params.xType = SampleTypeOf(m_bands, x);
  m_params.yType = SampleTypeOf(m_bands, y);
  m_params.rainbow = m_rainbow->isChecked();
  QDialog::accept();
}

void RunVegetationIndexCommand(CKiriApp& app, CKiriView& view) {
  const auto outcome =
      RunStepCommand(app, view, "ndvi", [&]() -> std::optional<ImageSession::StepChoice> {
        const ImageSession& s = view.Session();
        CNdviDlg dialog(s.CurrentPath(), s.Settings().sensor, app.Msg(), view.Frame());
        if (!RunToolDialog(app, dialog)) return std::nullopt;
        return ImageSession::StepChoice{MakeVegetationIndexStep(dialog.Params()), ShowIndexBand};
      });
  if (outcome == ImageSession::StepOutcome::kKept) view.RebuildLegend();
}

void ShowIndexBand(DisplayState& next) {
  next.m_nBlueBand = next.m_nGreenBand = next.m_nRedBand = 0;
  next.m_nBlueType = next.m_nGreenType = next.m_nRedType = 1;
}

}  // namespace lumora::gui
