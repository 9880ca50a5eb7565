// The program's language: Japanese, the reference, unless English was chosen
// in the program (remembered) or, with no choice made, the locale asks for it
// (LC_ALL, LC_MESSAGES, LANG). English texts come from a Qt translation file
// beside the help pages; without a usable one the program stays Japanese.
#pragma once

#include <QCoreApplication>
#include <QString>

#include "core/support/string_table.h"

namespace lumora::gui {

// The remembered choice, else the locale's language.
Language ChosenLanguage();
void RememberLanguage(Language language);

// Makes the program speak language, with English texts from
// folder/lumora_en.qm; core's texts follow (SetLanguage). False, and
// Japanese, when that file is missing or is not a translation file; nothing
// is shown, as Japanese always works.
bool InstallTranslation(Language language, const QString& folder);

// A text of the program in its language. Every text goes through here with a
// fixed context named in the call, so that lupdate files it under the very
// context looked up at run time, whatever class or namespace the call sits in
// (the tr of a class would look up its namespaced name, which lupdate does not
// always see).
// Tables of texts mark theirs with QT_TRANSLATE_NOOP("Context", ...).
inline QString translate(const char* context, const char* text) {
  return QCoreApplication::translate(context, text);
}

// A fixed text of core (a title, a progress text) in the program's language.
inline QString Shown(const std::string& text) { return QString::fromStdString(ShownText(text)); }

}  // namespace lumora::gui
