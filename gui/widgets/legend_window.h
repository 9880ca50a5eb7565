// The base of the small legend windows that float beside an image window
// (colour ramp, classes, elevations). A legend is a modeless tool window
// owned by the image window: it closes with it, follows the palette's show
// and hide buttons, stays in front when the palette says so, and draws
// itself once more on the printed or exported map page. Its close box ends
// it (the palette's hide button only hides it).
#pragma once

#include <QWidget>

class QPainter;

namespace lumora {
class Messenger;
}

namespace lumora::gui {

// Where a legend goes on the map page, in page units: the anchor the map
// layout gives, the corner of the page it sits in and the scale from legend
// units to page units.
struct LegendPagePlacement {
  int anchorX = 0;
  int anchorY = 0;
  int corner = 0;  // 0 upper right, 1 lower right, 2 lower left, 3 upper left
  double scale = 1.0;
};

class CLegendWindow : public QWidget {
  Q_OBJECT
 public:
  // owner: the image window; the legend is deleted with it. The window is
  // titled "凡例" and named by its template id; it is not shown yet.
  CLegendWindow(QWidget* owner, int templateId);

  // Shows or hides the window. The first showing places it beside the
  // owner's right edge, kept on the owner's screen.
  void SetShown(bool shown);
  // Keeps the window above all others (the palette's "前面に表示").
  void SetInFront(bool inFront);
  bool InFront() const { return m_inFront; }
  // Closes and deletes the window for good (the image got another legend).
  void Dispose();

  // Draws the legend onto a map page with the shared page painter, as
  // lumora-cli draws it, reading its data again. False (drawing nothing)
  // when the data cannot be read any more; the reason goes to messenger.
  virtual bool DrawOnPage(QPainter& painter, const LegendPagePlacement& place,
                          Messenger& messenger) const = 0;

 signals:
  // The close box ended the legend; the window deletes itself afterwards.
  void closedByUser();

 protected:
  // The on-screen drawing, into the whole client area; legends made of
  // child widgets need not draw anything here.
  virtual void DrawOnScreen(QPainter& painter);
  void paintEvent(QPaintEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  bool m_placed = false;
  bool m_inFront = false;
};

}  // namespace lumora::gui
