// Two dates of one place in one window: a handle the pupil drags across the
// picture shows the earlier date left of it and the later one right of it,
// or the two blink at a speed the pupil sets; the dates stand in the corners.
// Printable as a page with both pictures and their dates.
#pragma once

#include <QDialog>
#include <QImage>
#include <QTimer>
#include <string>

class QRadioButton;
class QSlider;

namespace lumora::gui {

class CKiriApp;
class CKiriView;

enum CompareControl : int {
  kCompareTemplate = 460,
  kCompareCanvas = 461,
  kCompareSwipe = 462,
  kCompareBlink = 463,
  kCompareSpeed = 464,
  kComparePrint = 465,
};

class CCompareCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit CCompareCanvas(QWidget* parent);
  void Set(const QImage& earlier, const QString& earlierDate, const QImage& later,
           const QString& laterDate);
  // The handle's place, 0 (all later) .. 1 (all earlier), across the picture.
  double Split() const { return m_split; }
  void SetSplit(double split);
  void SetBlinking(bool on);
  bool Blinking() const { return m_blinking; }
  // While blinking: the later picture is shown.
  bool ShowingLater() const { return m_showingLater; }
  void Toggle();
  // Where the picture is drawn in the widget.
  QRect PictureRect() const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  QSize sizeHint() const override;

 private:
  void Follow(int x);

  QImage m_earlier, m_later;
  QString m_earlierDate, m_laterDate;
  double m_split = 0.5;
  bool m_blinking = false, m_showingLater = false, m_dragging = false;
};

class CCompareDlg : public QDialog {
  Q_OBJECT
 public:
  CCompareDlg(CKiriApp& app, CKiriView& earlier, CKiriView& later, QWidget* parent);
  CCompareCanvas* Canvas() const { return m_canvas; }
  QTimer& BlinkTimer() { return m_timer; }
  // The printed page on a device of width x height pixels.
  void DrawPage(QPainter& p, int width, int height) const;

 private:
  CKiriApp& m_app;
  CKiriView& m_earlier;
  std::string m_earlierDate, m_laterDate;
  QImage m_earlierPicture, m_laterPicture;
  CCompareCanvas* m_canvas;
  QSlider* m_speed;
  QTimer m_timer;
};

// Opens the compare window for the view and another open picture of the
// same grid (the earlier date on the left); says why when there is none.
void RunCompareCommand(CKiriApp& app, CKiriView& view);

}  // namespace lumora::gui
