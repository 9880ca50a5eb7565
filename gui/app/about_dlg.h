// The about dialog (100): the program's picture, name, version and what it
// is for.
#pragma once

#include <QDialog>

namespace lumora::gui {

class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace lumora::gui
