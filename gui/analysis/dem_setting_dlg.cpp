#include "gui/analysis/dem_setting_dlg.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/analysis/dem_processing.h"
#include "core/imagefile/settings_file.h"
#include "gui/app/kiri_app.h"
#include "gui/view/kiri_view.h"
#include "gui/view/step_command.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"

namespace lumora::gui {

CAngleEdit::CAngleEdit(int id, float value, float maximum, QWidget* parent)
    : QAbstractSpinBox(parent), m_maximum(maximum) {
  SetControlId(this, id);
  lineEdit()->setText(QString::number(double(value)));
  setAlignment(Qt::AlignRight);
  setAccelerated(true);
  // Room for the widest angle with a decimal beside the arrows.
  setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("360.00")) + 32);
}

float CAngleEdit::Value() const {
  bool ok = false;
  const float v = text().trimmed().toFloat(&ok);
  return ok ? v : std::numeric_limits<float>::quiet_NaN();
}

void CAngleEdit::stepBy(int steps) {
  const float v = Value();
  const float next = std::clamp(std::isnan(v) ? 0.0f : std::round(v) + steps, 0.0f, m_maximum);
  lineEdit()->setText(QString::number(double(next)));
  lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled CAngleEdit::stepEnabled() const {
  const float v = Value();
  if (std::isnan(v)) return StepUpEnabled;
  StepEnabled e = StepNone;
  if (v < m_maximum) e |= StepUpEnabled;
  if (v > 0.0f) e |= StepDownEnabled;
  return e;
}

// Any number may be typed; the range is checked on OK with a message.
QValidator::State CAngleEdit::validate(QString& input, int&) const {
  static const QRegularExpression number(QStringLiteral("^\\s*[-+]?\\d*\\.?\\d*\\s*$"));
  return number.match(input).hasMatch() ? QValidator::Acceptable : QValidator::Invalid;
}

namespace {

constexpr const char* kRatioText[] = {"1:1", "1:2", "1:3", "1:4", "1:5"};

}  // namespace

CDemSettingDlg::CDemSettingDlg(int fileState, Messenger& messenger, QWidget* parent)
    : QDialog(parent), m_form(fileState), m_messenger(messenger) {
  SetControlId(this, kDemSettingTemplate);
  setWindowTitle(translate("CDemSettingDlg", "DEM設定ダイアログ"));
  auto* kinds = new QButtonGroup(this);
  auto* ratios = new QButtonGroup(this);
  auto radio = [&](QButtonGroup* group, int id, const char* text) {
    QAbstractButton* b = Radio(id, translate("CDemSettingDlg", text));
    group->addButton(b, id);
    return b;
  };
  // Two angle edits under a heading, each with its unit.
  auto direction = [&](const char* heading, int azimuthId, float azimuth, int elevationId,
                       float elevation) {
    auto* grid = new QGridLayout;
    if (*heading)
      grid->addWidget(new QLabel(translate("CDemSettingDlg", heading), this), 0, 0, 1, 3);
    const struct {
      const char* label;
      int id;
      float value;
      float maximum;
    } rows[] = {{QT_TRANSLATE_NOOP("CDemSettingDlg", "方角"), azimuthId, azimuth, 360.0f},
                {QT_TRANSLATE_NOOP("CDemSettingDlg", "仰角"), elevationId, elevation, 90.0f}};
    int row = 1;
    for (const auto& r : rows) {
      grid->addWidget(new QLabel(translate("CDemSettingDlg", r.label), this), row, 0);
      grid->addWidget(Angle(r.id, r.value, r.maximum), row, 1);
      grid->addWidget(new QLabel(translate("CDemSettingDlg", "度"), this), row, 2);
      ++row;
    }
    grid->setColumnStretch(1, 1);
    return grid;
  };

  auto* height = new QGroupBox(translate("CDemSettingDlg", "高度表示"), this);
  auto* heightLayout = new QVBoxLayout(height);
  heightLayout->addWidget(
      radio(kinds, kDemRadioAbsolute, QT_TRANSLATE_NOOP("CDemSettingDlg", "絶対標高")));
  heightLayout->addWidget(
      radio(kinds, kDemRadioRelative, QT_TRANSLATE_NOOP("CDemSettingDlg", "相対標高")));
  heightLayout->addStretch();

  auto* shade = new QGroupBox(translate("CDemSettingDlg", "陰影表示"), this);
  auto* shadeLayout = new QVBoxLayout(shade);
  shadeLayout->addWidget(
      radio(kinds, kDemRadioShadeMono, QT_TRANSLATE_NOOP("CDemSettingDlg", "白黒")));
  shadeLayout->addWidget(
      radio(kinds, kDemRadioShadeAbsolute, QT_TRANSLATE_NOOP("CDemSettingDlg", "絶対標高")));
  shadeLayout->addWidget(
      radio(kinds, kDemRadioShadeRelative, QT_TRANSLATE_NOOP("CDemSettingDlg", "相対標高")));
  shadeLayout->addLayout(direction(QT_TRANSLATE_NOOP("CDemSettingDlg", "光源方向"),
                                   kDemLightAzimuth, m_form.lightAzimuth, kDemLightElevation,
                                   m_form.lightElevation));

  auto* birdsEye = new QGroupBox(this);
  auto* birdsEyeLayout = new QVBoxLayout(birdsEye);
  birdsEyeLayout->addWidget(
      radio(kinds, kDemRadioBirdsEye, QT_TRANSLATE_NOOP("CDemSettingDlg", "鳥瞰表示")));
  auto* view = new QGroupBox(translate("CDemSettingDlg", "視線方向"), this);
  auto* viewLayout = new QVBoxLayout(view);
  QGridLayout* viewAngles =
      direction("", kDemViewAzimuth, m_form.viewAzimuth, kDemViewElevation, m_form.viewElevation);
  viewLayout->addLayout(viewAngles);
  birdsEyeLayout->addWidget(view);
  auto* ratio = new QGroupBox(translate("CDemSettingDlg", "H/V比"), this);
  auto* ratioLayout = new QHBoxLayout(ratio);
  for (int id = kDemRatio1; id <= kDemRatio5; ++id)
    ratioLayout->addWidget(radio(ratios, id, kRatioText[id - kDemRatio1]));
  birdsEyeLayout->addWidget(ratio);
  birdsEyeLayout->addStretch();

  connect(kinds, &QButtonGroup::idClicked, this, [this](int id) {
    m_form.Click(id);
    Follow();
  });
  connect(ratios, &QButtonGroup::idClicked, this, [this](int id) {
    m_form.Click(id);
    Follow();
  });

  auto* left = new QVBoxLayout;
  left->addWidget(height);
  left->addWidget(shade);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addWidget(birdsEye);
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addLayout(columns);
  layout->addLayout(
      OkCancelRow(this, QStringLiteral("OK"), translate("CDemSettingDlg", "キャンセル")));
  Follow();
}

QAbstractButton* CDemSettingDlg::Radio(int id, const QString& text) {
  auto* b = new QRadioButton(text, this);
  SetControlId(b, id);
  m_controls[id] = b;
  return b;
}

CAngleEdit* CDemSettingDlg::Angle(int id, float value, float maximum) {
  auto* e = new CAngleEdit(id, value, maximum, this);
  m_controls[id] = e;
  return e;
}

// The controls show the form: what is checked and what takes input.
void CDemSettingDlg::Follow() {
  for (const auto& [id, w] : m_controls) {
    w->setEnabled(m_form.Enabled(id));
    if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setChecked(m_form.Checked(id));
  }
}

void CDemSettingDlg::accept() {
  auto angle = [this](int id) { return static_cast<CAngleEdit*>(m_controls.at(id)); };
  m_form.lightAzimuth = angle(kDemLightAzimuth)->Value();
  m_form.lightElevation = angle(kDemLightElevation)->Value();
  m_form.viewAzimuth = angle(kDemViewAzimuth)->Value();
  m_form.viewElevation = angle(kDemViewElevation)->Value();
  if (const int bad = m_form.InvalidAngle()) {
    CAngleEdit* edit = angle(bad);
    m_messenger.ShowText("Lumora Zud's",
                         translate("CDemSettingDlg", "0 から %1 までの数値を入力してください．")
                             .arg(static_cast<int>(edit->Maximum()))
                             .toStdString());
    edit->setFocus();
    edit->selectAll();
    return;
  }
  m_request = m_form.Request();
  QDialog::accept();
}

void RunDemCommand(CKiriApp& app, CKiriView& view) {
  ImageSession& session = view.Session();
  const auto outcome =
      RunStepCommand(app, view, "dem", [&]() -> std::optional<ImageSession::StepChoice> {
        // After a No the legend of the image comes back with the dialog.
        view.FollowLegendFlag();
        CDemSettingDlg dialog(session.State().m_nFileState, app.Msg(), view.Frame());
        if (!RunToolDialog(app, dialog)) return std::nullopt;
        DemRequest request = dialog.Request();
        // The bird's-eye view drapes the display as it is shown now.
        if (request.kind == kStateBirdsEye)
          request.drape = DrapeFromState(session.State(), session.DisplayKind());
        // The result is judged without the legend of what was shown before.
        if (CLegendWindow* legend = view.LegendWindow()) legend->SetShown(false);
        const int kind = request.kind;
        return ImageSession::StepChoice{
            MakeDemStep(request), [kind](DisplayState& next) { AdjustStateForDem(kind, next); }};
      });
  if (outcome == ImageSession::StepOutcome::kKept)
    view.RebuildLegend();
  else
    view.FollowLegendFlag();
}

}  // namespace lumora::gui
