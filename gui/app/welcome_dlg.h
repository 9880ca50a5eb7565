// The welcome dialog: the child chooses to look at images (elementary mode)
// or to process them (junior mode).
#pragma once

#include <QDialog>

#include "core/support/messenger.h"

namespace lumora::gui {

class CMyBitmapButton;

class CWelcomeDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kElementary = 287;
  static constexpr int kJunior = 288;

  CWelcomeDlg(Messenger& messenger, QWidget* parent = nullptr);
  CMyBitmapButton* Button(int id) const;
};

// A borderless picture shown while the program starts.
class CTitleFrm : public QWidget {
  Q_OBJECT
 public:
  CTitleFrm();
};

}  // namespace lumora::gui
