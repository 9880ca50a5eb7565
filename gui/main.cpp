#include <QApplication>
#include <clocale>

#include "gui/app/kiri_app.h"
#include "gui/app/main_frame.h"
#include "gui/app/qt_texts.h"
#include "gui/widgets/fonts.h"
#include "gui/widgets/ui_seam.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Data files use '.' as the decimal point whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
  QApplication::setApplicationName(QStringLiteral("Lumora Zud's"));
  lumora::gui::InstallJapaneseFonts();
  lumora::gui::InstallJapaneseQtTexts();

  lumora::gui::GuiMessenger messenger;
  lumora::gui::QtUiSeam ui;
  lumora::gui::CKiriApp kiri(messenger, ui);
  if (!kiri.InitInstance(lumora::gui::StartupOptions::ForThisUser())) return 1;
  messenger.SetParent(kiri.MainFrame());
  QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
  return app.exec();
}
