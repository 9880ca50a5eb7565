// The filter dialog and the filter command of an image window: choose one of
// the five filters, show the filtered image, keep it or go back and choose
// again.
#pragma once

#include <QDialog>

class QComboBox;
class QPlainTextEdit;

namespace lumora::gui {

class CKiriApp;
class CKiriView;

class CFilterDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CFilterDlg(QWidget* parent = nullptr);
  // -1 while none is chosen.
  int SelectedIndex() const { return m_index; }
  QComboBox* Combo() const { return m_combo; }
  QString Summary() const;

 public slots:
  void accept() override;

 private:
  void OnSelection(int index);

  QComboBox* m_combo;
  QPlainTextEdit* m_summary;
  int m_index = -1;
};

void RunFilterCommand(CKiriApp& app, CKiriView& view);

}  // namespace lumora::gui
