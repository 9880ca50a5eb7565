// The progress window of long operations: action text, percentage and a
// blue bar, repainted at once from inside the running operation.
#pragma once

#include <QDialog>

#include "core/support/progress.h"

class QLabel;
class QLineEdit;

namespace lumora::gui {

class ProgressBarFrame;

class CProgressDlg : public QDialog, public ProgressSink {
  Q_OBJECT
 public:
  explicit CProgressDlg(QWidget* parent = nullptr);
  void Open(const std::string& text) override;
  void Paint(float fraction, const std::string& text) override;
  void Close() override;

  float Fraction() const;
  QString Percentage() const;
  QString ActionText() const;
  // How often a report changed what the window shows.
  int Repaints() const { return m_repaints; }

 private:
  QLabel* m_action;
  ProgressBarFrame* m_bar;
  QLineEdit* m_percent;
  int m_repaints = 0;
};

// Shows the wait cursor for its lifetime.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace lumora::gui
