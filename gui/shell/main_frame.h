// The main frame of the program.
#pragma once

#include <QMainWindow>

namespace lumora::gui {

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  explicit CMainFrame(QWidget* parent = nullptr);
};

}  // namespace lumora::gui
