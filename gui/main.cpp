#include <QApplication>
#include <QDir>
#include <clocale>
#include <cstdio>
#include <cstring>

#include "gui/app/kiri_app.h"
#include "gui/app/main_frame.h"
#include "gui/app/qt_texts.h"
#include "gui/widgets/fonts.h"
#include "gui/widgets/language.h"
#include "gui/widgets/ui_seam.h"

#ifndef LUMORA_VERSION
#define LUMORA_VERSION "unknown"
#endif
#ifndef LUMORA_DATA_FROM_BIN
#define LUMORA_DATA_FROM_BIN ""
#endif

int main(int argc, char** argv) {
  // Answered before Qt starts, so that they work without a display.
  if (argc == 2 && (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-V") == 0)) {
    std::printf("Lumora Zud's %s\n", LUMORA_VERSION);
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::printf(
        "usage: lumora [--version | --help]\n\n"
        "Starts the program; it takes no files on the command line. Qt's own options\n"
        "(such as -platform offscreen) are accepted.\n");
    return 0;
  }
  QApplication app(argc, argv);
  // Data files use '.' as the decimal point whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
  QApplication::setApplicationName(QStringLiteral("Lumora Zud's"));
  QApplication::setApplicationVersion(QStringLiteral(LUMORA_VERSION));
  const auto options =
      lumora::gui::StartupOptions::ForThisUser(QStringLiteral(LUMORA_DATA_FROM_BIN));
  // English when chosen or asked for by the locale and its texts load; Japanese otherwise.
  // The translations lie beside the help pages.
  lumora::gui::InstallTranslation(lumora::gui::ChosenLanguage(),
                                  QDir::cleanPath(options.helpFolder + "/../translations"));
  lumora::gui::InstallJapaneseFonts();
  if (lumora::CurrentLanguage() == lumora::Language::kJapanese)
    lumora::gui::InstallJapaneseQtTexts();

  lumora::gui::GuiMessenger messenger;
  lumora::gui::QtUiSeam ui;
  lumora::gui::CKiriApp kiri(messenger, ui);
  if (!kiri.InitInstance(options)) return 1;
  messenger.SetParent(kiri.MainFrame());
  messenger.SetParentProvider([&kiri] { return kiri.MessageParent(); });
  QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
  return app.exec();
}
