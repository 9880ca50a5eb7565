// The texts of Qt's own dialogs (file dialogs, message box buttons, page
// setup) in Japanese, whatever the system language, like the rest of the
// program.
#pragma once

class QTranslator;

namespace lumora::gui {

// Installs Qt's Japanese translation; nullptr (English texts stay) when it
// is not installed on this system. The translator belongs to the
// application object.
QTranslator* InstallJapaneseQtTexts();

}  // namespace lumora::gui
