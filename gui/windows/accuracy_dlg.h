// The accuracy window: after a classification with check areas, the
// confusion matrix with each class's producer's and user's accuracy,
// overall accuracy, kappa and one sentence for the pupil. Saved as CSV and
// printed on A4 by the shared painter.
#pragma once

#include <QDialog>
#include <QPointer>

#include "core/analysis/accuracy.h"

class QLabel;
class QTableWidget;

namespace lumora::gui {

class CKiriApp;
class CKiriView;

class CAccuracyDlg : public QDialog {
  Q_OBJECT
 public:
  CAccuracyDlg(CKiriApp& app, CKiriView& view, Accuracy accuracy);
  const Accuracy& Shown() const { return m_accuracy; }
  QTableWidget* Table() const { return m_table; }
  QString Sentence() const;
  std::string Csv() const { return AccuracyCsv(m_accuracy); }

 private:
  void OnSaveCsv();
  void OnPrint();

  CKiriApp& m_app;
  QPointer<CKiriView> m_view;
  Accuracy m_accuracy;
  QLabel* m_sentence;
  QTableWidget* m_table;
};

// Opens a new accuracy window for the view (the last one is replaced).
CAccuracyDlg* ShowAccuracyWindow(CKiriApp& app, CKiriView& view, Accuracy accuracy);
// The open accuracy window; nullptr when none is.
CAccuracyDlg* AccuracyWindow(CKiriApp& app);

}  // namespace lumora::gui
