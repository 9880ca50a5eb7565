#include "gui/app/about_dlg.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/widgets/bitmap_button.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/dialog_buttons.h"
#include "gui/widgets/language.h"

namespace lumora::gui {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  SetControlId(this, kIdAbout);
  setWindowTitle(translate("CAboutDlg", "Lumora Zud'sについて"));

  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("picture"));
  picture->setPixmap(LoadPicture(QStringLiteral("app_icon"))
                         .scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  auto* name = new QLabel(QStringLiteral("Lumora Zud's"), this);
  QFont big = name->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  big.setBold(true);
  name->setFont(big);
  const QString version = QCoreApplication::applicationVersion();
  auto* versionLabel = new QLabel(
      version.isEmpty() ? QString() : translate("CAboutDlg", "バージョン %1").arg(version), this);
  versionLabel->setObjectName(QStringLiteral("version"));
  auto* purpose =
      new QLabel(translate("CAboutDlg", "衛星画像をみて，しらべるためのプログラム"), this);

  auto* texts = new QVBoxLayout;
  texts->addWidget(name);
  texts->addWidget(versionLabel);
  texts->addSpacing(8);
  texts->addWidget(purpose);
  texts->addStretch();
  auto* top = new QHBoxLayout;
  top->addWidget(picture, 0, Qt::AlignTop);
  top->addSpacing(12);
  top->addLayout(texts, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  SetControlId(ok, kIdOk);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(ok);
  layout->addLayout(row);
  setFixedSize(sizeHint());
}

}  // namespace lumora::gui
