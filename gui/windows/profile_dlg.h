// Profile (32783): the user drags a horizontal or vertical line over the
// image; the view paints its blue, green and red values as a graph strip at
// the window's edge while the small CProfileDlg is open, whose save button
// writes the values as a text file.
#pragma once

#include <QDialog>

namespace lumora::gui {

class CKiriApp;
class CKiriView;

inline constexpr int kIdProfileDlg = 395;

class CProfileDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CProfileDlg(CKiriView* view);

 private:
  CKiriView* m_view;
};

// Arms the selection tool for a profile line; the rest follows the release.
void StartProfile(CKiriApp& app, CKiriView& view);

}  // namespace lumora::gui
