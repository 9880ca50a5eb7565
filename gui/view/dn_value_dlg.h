// The DN readout: a small window that shows the blue, green and red bytes
// under the cursor, now and before the last processing step.
#pragma once

#include <QDialog>

#include "core/view/tool_geometry.h"

class QLabel;
class QLineEdit;

namespace lumora::gui {

inline constexpr int kIdDnCurrent = 119;
inline constexpr int kIdDnPrevious = 120;
inline constexpr int kIdDnLinked = 121;

class CDnValueDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CDnValueDlg(QWidget* owner);
  // Both texts at once, so the two rows never disagree on screen.
  void SetValues(const DnTexts& texts);
  QString Current() const;
  QString Previous() const;
  // The linked windows' values at the same place, a line each ("date:
  // values"); the row is shown only while there are some.
  void SetLinked(const QStringList& lines);
  QString Linked() const;

 private:
  QLineEdit* m_current;
  QLineEdit* m_previous;
  QLabel* m_linkedTitle;
  QLabel* m_linked;
};

}  // namespace lumora::gui
