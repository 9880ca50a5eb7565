#include "gui/widgets/language.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTranslator>
#include <cstdlib>
#include <memory>

namespace lumora::gui {

namespace {

QTranslator* g_translator = nullptr;

QSettings ProgramSettings() {
  return QSettings(QStringLiteral("Local AppWizard-Generated Applications"),
                   QStringLiteral("Lumora Zud's"));
}

const QString kKey = QStringLiteral("Settings/Language");

}  // namespace

Language ChosenLanguage() {
  const QString chosen = ProgramSettings().value(kKey).toString();
  if (chosen == QStringLiteral("en")) return Language::kEnglish;
  if (chosen == QStringLiteral("ja")) return Language::kJapanese;
  return LanguageFromLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

void RememberLanguage(Language language) {
  ProgramSettings().setValue(
      kKey, language == Language::kEnglish ? QStringLiteral("en") : QStringLiteral("ja"));
}

bool InstallTranslation(Language language, const QString& folder) {
  if (g_translator) {
    QCoreApplication::removeTranslator(g_translator);
    delete g_translator;
    g_translator = nullptr;
  }
  SetLanguage(Language::kJapanese);
  if (language == Language::kJapanese) return true;
  auto translator = std::make_unique<QTranslator>();
  // load() checks the file's signature: a damaged file is refused here.
  if (!translator->load(QStringLiteral("lumora_en"), folder) ||
      !QCoreApplication::installTranslator(translator.get()))
    return false;
  g_translator = translator.release();
  SetLanguage(Language::kEnglish);
  return true;
}

}  // namespace lumora::gui
