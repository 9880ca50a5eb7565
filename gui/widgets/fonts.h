// The program's dialog fonts, substituted by an installed Japanese gothic.
#pragma once

namespace lumora::gui {

// Maps "ＭＳ ゴシック" and "ＭＳ Ｐゴシック" onto installed gothic fonts and makes
// the proportional one the application's font.
void InstallJapaneseFonts();

}  // namespace lumora::gui
