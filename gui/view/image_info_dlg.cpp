#include "gui/view/image_info_dlg.h"

#include <QPainter>
#include <QPushButton>
#include <QTextOption>
#include <QVBoxLayout>

#include "gui/app/kiri_app.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

TabbedLabel::TabbedLabel(const QString& text, int id, QWidget* parent) : QLabel(text, parent) {
  setObjectName(QString::number(id));
}

// The longest caption ("１ピクセル当たりの長さ") and a little room.
qreal TabbedLabel::TabStop() const {
  return fontMetrics().horizontalAdvance(QStringLiteral("１ピクセル当たりの長さ　"));
}

QSize TabbedLabel::sizeHint() const {
  const int stop = static_cast<int>(TabStop());
  const QRect r =
      fontMetrics().boundingRect(QRect(0, 0, 2000, 2000), Qt::TextExpandTabs, text(), stop);
  return r.size() + QSize(4, 2);
}

void TabbedLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QTextOption option(Qt::AlignLeft | Qt::AlignTop);
  option.setTabStopDistance(TabStop());
  p.setPen(palette().color(QPalette::WindowText));
  p.drawText(QRectF(rect()), text(), option);
}

CImageInfoDlg::CImageInfoDlg(const ImageInfoTexts& texts, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("405"));
  setWindowTitle(translate("CImageInfoDlg", "画像情報"));
  auto* layout = new QVBoxLayout(this);
  const std::pair<int, const std::string*> rows[] = {
      {kIdInfoSensor, &texts.sensor},           {kIdInfoSize, &texts.size},
      {kIdInfoPixelLength, &texts.pixelLength}, {kIdInfoPosition, &texts.position},
      {kIdInfoInclination, &texts.inclination},
  };
  for (const auto& [id, text] : rows) {
    // The position text ends with a line break of its own.
    QString shown = ToQ(*text);
    if (shown.endsWith('\n')) shown.chop(1);
    layout->addWidget(new TabbedLabel(shown, id, this));
  }
  auto* close = new QPushButton(translate("CImageInfoDlg", "閉じる"), this);
  close->setObjectName(QStringLiteral("1"));
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(close, 0, Qt::AlignHCenter);
  setFixedSize(sizeHint());
}

void ShowImageInfo(CKiriApp& app, CKiriView& view) {
  if (app.AnalysisWindow()) return;
  const DisplayState& s = view.Session().State();
  CImageInfoDlg dialog(
      MakeImageInfoTexts(view.Session().Settings(), s.m_nImagePixels, s.m_nImageLines),
      view.Frame());
  app.TakeAnalysisWindow(&dialog);
  app.Ui().RunDialog(dialog);
  app.ReleaseAnalysisWindow(&dialog);
}

}  // namespace lumora::gui
