#include "gui/analysis/band_math_dlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "core/support/band_expression.h"
#include "core/support/file_set.h"
#include "core/view/rainbow.h"
#include "gui/analysis/ndvi_dlg.h"
#include "gui/app/kiri_app.h"
#include "gui/view/kiri_view.h"
#include "gui/view/step_command.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

namespace {

// The preview is at most this wide or high; it is redrawn on every key.
constexpr int kPreviewSide = 180;

const char* const kPresetNames[kMathPresetCount] = {
    QT_TRANSLATE_NOOP("CBandMathDlg", "植生（NDVI）"),
    QT_TRANSLATE_NOOP("CBandMathDlg", "水（NDWI）"),
    QT_TRANSLATE_NOOP("CBandMathDlg", "市街地（NDBI）"),
    QT_TRANSLATE_NOOP("CBandMathDlg", "雪（NDSI）"),
    QT_TRANSLATE_NOOP("CBandMathDlg", "比（近赤外÷赤）"),
    QT_TRANSLATE_NOOP("CBandMathDlg", "明るさの平均"),
};

}  // namespace

CBandMathDlg::CBandMathDlg(const std::string& settingsPath, const ImageSettings& settings,
                           QWidget* parent)
    : QDialog(parent), m_base(StripExtension(settingsPath)), m_settings(settings) {
  setObjectName(QString::number(kMathTemplate));
  setWindowTitle(translate("CBandMathDlg", "バンド計算"));
  const auto types = ScanBandTypes(m_base);

  m_formula = new QLineEdit(this);
  m_formula->setObjectName(QString::number(kMathFormulaEdit));
  m_formula->setMaxLength(kMaxExpressionChars + 1);
  m_formula->setMinimumWidth(320);

  auto* presets = new QGridLayout;
  for (int p = 0; p < kMathPresetCount; ++p) {
    auto* b = new QPushButton(translate("CBandMathDlg", kPresetNames[p]), this);
    b->setObjectName(QString::number(kMathPresetFirst + p));
    std::string why;
    const std::string formula = MathPresetFormula(p, settings.sensor, types, &why);
    b->setEnabled(!formula.empty());
    b->setToolTip(ToQ(formula.empty() ? why : formula));
    connect(b, &QPushButton::clicked, this, [this, formula] { m_formula->setText(ToQ(formula)); });
    presets->addWidget(b, p / 3, p % 3);
  }

  // Band buttons insert their name where the cursor is.
  auto* bands = new QHBoxLayout;
  for (const BandItem& item : ListBands(settingsPath, true, 7)) {
    auto* b = new QPushButton(QStringLiteral("B%1").arg(item.number), this);
    b->setObjectName(QString::number(kMathBandFirst + item.number));
    b->setToolTip(ToQ(item.shown));
    const int n = item.number;
    connect(b, &QPushButton::clicked, this, [this, n] {
      m_formula->insert(QStringLiteral("B%1").arg(n));
      m_formula->setFocus();
    });
    bands->addWidget(b);
  }
  bands->addStretch(1);

  m_error = new QLabel(this);
  m_error->setObjectName(QString::number(kMathErrorLabel));
  m_error->setStyleSheet(QStringLiteral("color: #b00000"));
  m_error->setWordWrap(true);
  m_picture = new QLabel(this);
  m_picture->setObjectName(QString::number(kMathPreview));
  m_picture->setFixedSize(kPreviewSide, kPreviewSide);
  m_picture->setAlignment(Qt::AlignCenter);
  m_picture->setFrameShape(QFrame::Box);
  m_range = new QLabel(this);
  m_range->setObjectName(QString::number(kMathRangeLabel));
  m_colours = new QComboBox(this);
  m_colours->setObjectName(QString::number(kMathColours));
  m_colours->addItem(translate("CBandMathDlg", "灰色"));
  m_colours->addItem(translate("CBandMathDlg", "レインボーカラー"));
  m_colours->addItem(translate("CBandMathDlg", "青・白・緑（0が白）"));

  auto* colours = new QHBoxLayout;
  colours->addWidget(new QLabel(translate("CBandMathDlg", "色："), this));
  colours->addWidget(m_colours);
  colours->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(new QLabel(translate("CBandMathDlg", "よく使う指数："), this));
  layout->addLayout(presets);
  layout->addWidget(new QLabel(
      translate("CBandMathDlg",
                "自分の式（バンド B1～Bn，数，+ − × ÷，かっこ，sqrt abs min max log）："),
      this));
  layout->addWidget(m_formula);
  layout->addLayout(bands);
  layout->addWidget(m_error);
  layout->addWidget(m_picture, 0, Qt::AlignHCenter);
  layout->addWidget(m_range);
  layout->addWidget(new QLabel(translate("CBandMathDlg", "黒：値なし（0で割ったときなど）"), this));
  layout->addLayout(colours);
  layout->addLayout(
      OkCancelRow(this, QStringLiteral("OK"), translate("CBandMathDlg", "キャンセル")));

  connect(m_formula, &QLineEdit::textChanged, this, [this] { Update(); });
  connect(m_colours, &QComboBox::currentIndexChanged, this, [this] { Update(); });
  const int preset = kMathPresetFirst + kMathNdvi;
  if (auto* first = findChild<QPushButton*>(QString::number(preset)); first && first->isEnabled())
    first->click();
  else
    Update();
}

void CBandMathDlg::Update() {
  std::string error;
  const std::string text = m_formula->text().toStdString();
  const int side = std::max(m_settings.pixels, m_settings.lines);
  const int step = std::max(1, (side + kPreviewSide - 1) / kPreviewSide);
  m_ok = PreviewBandMath(m_base, m_settings, text, step, m_preview, error);
  if (m_ok && !m_preview.anyValue) error = MessageText(kMsgMathAllUndefined);
  m_ok = m_ok && m_preview.anyValue;
  m_error->setText(ToQ(error));
  if (!m_ok) {
    m_picture->setPixmap(QPixmap());
    m_range->clear();
    return;
  }
  const bool rainbow = m_colours->currentIndex() == 1;
  const bool diverging = m_colours->currentIndex() == 2;
  float lo = m_preview.smallest, hi = m_preview.largest;
  MathDisplayRange(m_preview.smallest, m_preview.largest, diverging, lo, hi);
  if (!(hi > lo)) hi = lo + 1.0f;
  QImage image(m_preview.width, m_preview.height, QImage::Format_RGB32);
  const RainbowTable& table = diverging ? Diverging() : Rainbow();
  for (int y = 0; y < m_preview.height; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < m_preview.width; ++x) {
      const uint8_t b = MathByte(m_preview.values[size_t(y) * m_preview.width + x], lo, hi);
      const RainbowEntry e = b == 0                 ? RainbowEntry{0, 0, 0}
                             : rainbow || diverging ? table[b]
                                                    : RainbowEntry{b, b, b};
      row[x] = qRgb(e.red, e.green, e.blue);
    }
  }
  m_picture->setPixmap(QPixmap::fromImage(image));
  m_range->setText(translate("CBandMathDlg", "範囲： %1 ～ %2")
                       .arg(static_cast<double>(m_preview.smallest), 0, 'g', 4)
                       .arg(static_cast<double>(m_preview.largest), 0, 'g', 4));
}

void CBandMathDlg::accept() {
  if (!m_ok) return;
  m_params.expression = m_formula->text().toStdString();
  m_params.rainbow = m_colours->currentIndex() == 1;
  m_params.diverging = m_colours->currentIndex() == 2;
  QDialog::accept();
}

void RunBandMathCommand(CKiriApp& app, CKiriView& view) {
  const auto outcome =
      RunStepCommand(app, view, "math", [&]() -> std::optional<ImageSession::StepChoice> {
        const ImageSession& s = view.Session();
        ImageSettings settings = s.Settings();
        settings.lines = s.State().m_nImageLines;
        settings.pixels = s.State().m_nImagePixels;
        CBandMathDlg dialog(s.CurrentPath(), settings, view.Frame());
        if (!RunToolDialog(app, dialog)) return std::nullopt;
        return ImageSession::StepChoice{MakeBandMathStep(dialog.Params()), ShowIndexBand};
      });
  if (outcome == ImageSession::StepOutcome::kKept) view.RebuildLegend();
}

}  // namespace lumora::gui
