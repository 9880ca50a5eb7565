#include "gui/shell/main_frame.h"

namespace lumora::gui {

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("Lumora Zud's"));
  setFixedSize(320, 230);
}

}  // namespace lumora::gui
