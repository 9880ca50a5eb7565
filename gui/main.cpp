#include <QApplication>
#include <clocale>

#include "gui/shell/main_frame.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Data files use '.' as the decimal point whatever the user's locale.
  std::setlocale(LC_NUMERIC, "C");
  lumora::gui::CMainFrame frame;
  frame.show();
  return app.exec();
}
