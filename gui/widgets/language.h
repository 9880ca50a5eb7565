// The program's language: Japanese, the reference, unless English was chosen
// in the program (remembered) or, with no choice made, the locale asks for it
// (LC_ALL, LC_MESSAGES, LANG). English texts come from a Qt translation file
// beside the help pages; without a usable one the program stays Japanese.
#pragma once

#include <QString>

#include "core/support/string_table.h"

namespace lumora::gui {

// The remembered choice, else the locale's language.
Language ChosenLanguage();
void RememberLanguage(Language language);

// Makes the program speak language, with English texts from
// folder/lumora_en.qm. False, and Japanese, when that file is missing or is
// not a translation file; nothing is shown, as Japanese always works.
bool InstallTranslation(Language language, const QString& folder);

// The language the program speaks now.
Language CurrentLanguage();

}  // namespace lumora::gui
