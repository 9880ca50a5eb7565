#include "gui/widgets/fonts.h"

#include <QApplication>
#include <QFont>

namespace lumora::gui {

void InstallJapaneseFonts() {
  const QString fixed = QStringLiteral("ＭＳ ゴシック");
  const QString proportional = QStringLiteral("ＭＳ Ｐゴシック");
  QFont::insertSubstitutions(
      fixed, {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")});
  QFont::insertSubstitutions(proportional,
                             {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                              QStringLiteral("Noto Sans CJK JP")});
  QFont font(proportional, 9);
  QApplication::setFont(font);
}

}  // namespace lumora::gui
