// The operation palette inside the main frame: picture buttons that start
// the analyses on the active image, show or hide the legends, and a check
// box that keeps the main window in front.
#pragma once

#include <QWidget>

class QCheckBox;

namespace lumora::gui {

class CKiriApp;
class CMyBitmapButton;

class COperationDlg : public QWidget {
  Q_OBJECT
 public:
  explicit COperationDlg(CKiriApp& app, QWidget* parent = nullptr);

  // Enables the analysis buttons by the palette rules for the active image.
  void RefreshButtons();
  // The legend buttons work while at least one image is open.
  void EnableLegendButtons(bool enable);
  // kIdShowLegends shows the legends, kIdHideLegends hides them.
  void OnLegendCommand(int id);
  CMyBitmapButton* Button(int id) const;
  QCheckBox* InFront() const { return m_inFront; }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;
  // A click on the palette makes it the active window; its picture buttons
  // act on the active image like tool bar buttons and leave it active.
  void mousePressEvent(QMouseEvent* e) override;

 private:
  void OnAnalysisPressed(int id);
  void OnInFront(bool on);

  CKiriApp& m_app;
  QCheckBox* m_inFront;
};

}  // namespace lumora::gui
