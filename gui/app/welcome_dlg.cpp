#include "gui/app/welcome_dlg.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "core/support/string_table.h"
#include "gui/widgets/bitmap_button.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/language.h"

namespace lumora::gui {

CWelcomeDlg::CWelcomeDlg(Messenger& messenger, QWidget* parent) : QDialog(parent) {
  SetControlId(this, kIdWelcome);
  setWindowTitle(translate("CWelcomeDlg", "Lumora Zud'sへようこそ！！"));
  auto* picture = new QLabel(this);
  SetControlId(picture, kIdWelcomePicture);
  const QPixmap art = LoadPicture(QStringLiteral("IDB_WELCOME"));
  if (art.isNull())
    messenger.ShowMessage(kMsgResourceFailed);
  else
    picture->setPixmap(art);
  picture->setAlignment(Qt::AlignCenter);

  auto* elementary = new CMyBitmapButton(kElementary, QStringLiteral("IDB_ELEMENTARY"), this);
  auto* junior = new CMyBitmapButton(kJunior, QStringLiteral("IDB_JUNIOR"), this);
  AttachButtons({elementary, junior}, messenger);
  elementary->setToolTip(translate("CWelcomeDlg", "画像をみる"));
  junior->setToolTip(translate("CWelcomeDlg", "画像を処理する"));
  connect(elementary, &QAbstractButton::clicked, this, [this] { done(kElementary); });
  connect(junior, &QAbstractButton::clicked, this, [this] { done(kJunior); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(elementary);
  buttons->addSpacing(16);
  buttons->addWidget(junior);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(picture);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

CMyBitmapButton* CWelcomeDlg::Button(int id) const {
  return findChild<CMyBitmapButton*>(QString::number(id));
}

CTitleFrm::CTitleFrm() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("CTitleFrm"));
  setWindowTitle(translate("CWelcomeDlg", "Lumora Zud's 起動中"));
  auto* label = new QLabel(this);
  const QPixmap art = LoadPicture(QStringLiteral("IDB_TITLE"));
  label->setPixmap(art);
  const QSize size = art.isNull() ? QSize(400, 250) : art.size();
  label->resize(size);
  resize(size);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - rect().center());
}

}  // namespace lumora::gui
