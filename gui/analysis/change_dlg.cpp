#include "gui/analysis/change_dlg.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/support/file_set.h"
#include "gui/analysis/ndvi_dlg.h"
#include "gui/app/kiri_app.h"
#include "gui/view/kiri_view.h"
#include "gui/view/step_command.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

namespace {

const char* const kIndexNames[kChangeIndexCount] = {
    QT_TRANSLATE_NOOP("CChangeDlg", "植物（NDVI）"),
    QT_TRANSLATE_NOOP("CChangeDlg", "水（NDWI）"),
    QT_TRANSLATE_NOOP("CChangeDlg", "市街地（NDBI）"),
    QT_TRANSLATE_NOOP("CChangeDlg", "雪（NDSI）"),
    QT_TRANSLATE_NOOP("CChangeDlg", "1つのバンド"),
};

QString Dated(const std::string& path, const std::string& date) {
  const QString name = QFileInfo(ToQ(path)).fileName();
  return date.empty() ? name + translate("CChangeDlg", "（日付なし）")
                      : name + QStringLiteral("  ") + ToQ(date);
}

}  // namespace

CChangeDlg::CChangeDlg(const std::string& earlierPath, const ImageSettings& earlier,
                       const std::vector<std::string>& later, UiSeam& ui, QWidget* parent)
    : QDialog(parent), m_earlier(earlier) {
  setObjectName(QString::number(kChangeTemplate));
  setWindowTitle(translate("CChangeDlg", "何が変わった？（2つの日の比べっこ）"));
  auto* earlierLabel = new QLabel(Dated(earlierPath, earlier.date), this);
  earlierLabel->setObjectName(QString::number(kChangeEarlierLabel));
  m_later = new QComboBox(this);
  m_later->setObjectName(QString::number(kChangeLater));
  m_later->setMinimumWidth(280);
  for (const std::string& path : later) AddLater(path);
  auto* choose = new QPushButton(translate("CChangeDlg", "ファイルから選ぶ..."), this);
  choose->setObjectName(QString::number(kChangeChooseFile));
  connect(choose, &QPushButton::clicked, this, [this, earlierPath, &ui] {
    const QString path = ui.GetOpenFileName(this, QFileInfo(ToQ(earlierPath)).absolutePath(),
                                            translate("CChangeDlg", "画像の設定ファイル (*.inf)"));
    if (path.isEmpty()) return;
    AddLater(path.toStdString());
    m_later->setCurrentIndex(m_later->count() - 1);
  });
  m_index = new QComboBox(this);
  m_index->setObjectName(QString::number(kChangeIndex));
  for (const char* name : kIndexNames) m_index->addItem(translate("CChangeDlg", name));
  m_band = new QSpinBox(this);
  m_band->setObjectName(QString::number(kChangeBand));
  m_band->setRange(1, 255);
  m_band->setValue(4);
  m_threshold = new QDoubleSpinBox(this);
  m_threshold->setObjectName(QString::number(kChangeThreshold));
  m_threshold->setRange(0.0, 255.0);
  m_threshold->setDecimals(2);
  m_threshold->setSingleStep(0.05);
  m_threshold->setValue(DefaultChangeThreshold(kChangeVegetation));
  m_why = new QLabel(this);
  m_why->setObjectName(QString::number(kChangeWhy));
  m_why->setStyleSheet(QStringLiteral("color: #b00000"));
  m_why->setWordWrap(true);
  m_why->setMaximumWidth(420);

  auto* laterRow = new QHBoxLayout;
  laterRow->addWidget(m_later, 1);
  laterRow->addWidget(choose);
  auto* indexRow = new QHBoxLayout;
  indexRow->addWidget(m_index);
  indexRow->addWidget(new QLabel(translate("CChangeDlg", "バンド："), this));
  indexRow->addWidget(m_band);
  indexRow->addStretch(1);
  auto* form = new QFormLayout;
  form->addRow(translate("CChangeDlg", "前の画像："), earlierLabel);
  form->addRow(translate("CChangeDlg", "あとの画像："), laterRow);
  form->addRow(translate("CChangeDlg", "比べるもの："), indexRow);
  form->addRow(translate("CChangeDlg", "「変わらない」とみなす幅："), m_threshold);
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addLayout(form);
  layout->addWidget(
      new QLabel(translate("CChangeDlg",
                           "あとの値から前の値を引きます．赤：減った　白：変わらない　緑：増えた"),
                 this));
  layout->addWidget(m_why);
  layout->addLayout(OkCancelRow(this, QStringLiteral("OK"), translate("CChangeDlg", "キャンセル")));

  connect(m_later, &QComboBox::currentIndexChanged, this, [this] { Update(); });
  connect(m_index, &QComboBox::currentIndexChanged, this, [this] {
    m_threshold->setValue(DefaultChangeThreshold(m_index->currentIndex()));
    Update();
  });
  Update();
}

void CChangeDlg::AddLater(const std::string& path) {
  ImageSettings s;
  RecordingMessenger quiet;
  const bool read = ReadSettings(path, s, quiet);
  m_later->addItem(Dated(path, read ? s.date : std::string()), ToQ(path));
}

void CChangeDlg::Update() {
  m_band->setEnabled(m_index->currentIndex() == kChangeBand);
  std::string why;
  ImageSettings later;
  RecordingMessenger quiet;
  const std::string path = m_later->currentData().toString().toStdString();
  if (path.empty())
    why = translate("CChangeDlg",
                    "同じ場所のあとの日の画像を開くか，「ファイルから選ぶ」で選んでください．")
              .toStdString();
  else if (!ReadSettings(path, later, quiet))
    why = MessageText(kMsgOpenFailed);
  else
    ChangeComparable(m_earlier, later, why);
  m_ok = why.empty();
  m_why->setText(ToQ(why));
}

void CChangeDlg::accept() {
  if (!m_ok) return;
  m_params.laterPath = m_later->currentData().toString().toStdString();
  m_params.index = m_index->currentIndex();
  m_params.band = m_band->value();
  m_params.threshold = m_threshold->value();
  QDialog::accept();
}

void RunChangeCommand(CKiriApp& app, CKiriView& view) {
  const auto outcome =
      RunStepCommand(app, view, "change", [&]() -> std::optional<ImageSession::StepChoice> {
        const ImageSession& s = view.Session();
        ImageSettings settings = s.Settings();
        settings.lines = s.State().m_nImageLines;
        settings.pixels = s.State().m_nImagePixels;
        std::vector<std::string> later;
        for (const CKiriView* other : app.Views())
          if (other != &view) later.push_back(other->Session().CurrentPath());
        CChangeDlg dialog(s.CurrentPath(), settings, later, app.Ui(), view.Frame());
        if (!RunToolDialog(app, dialog)) return std::nullopt;
        return ImageSession::StepChoice{MakeChangeStep(dialog.Params()), ShowIndexBand};
      });
  if (outcome == ImageSession::StepOutcome::kKept) view.RebuildLegend();
}

}  // namespace lumora::gui
