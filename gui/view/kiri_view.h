// The window of one opened image: a frame owned by the main frame holding
// the scrolling view that draws the image's display at its zoom, and routes
// the image commands to the image's session.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include "core/shell/command_rules.h"
#include "core/view/image_session.h"
#include "core/view/tool_geometry.h"
#include "core/view/zoom.h"
#include "gui/widgets/legend_window.h"

namespace lumora::gui {

class CKiriApp;
class CKiriView;
class CProgressDlg;

class CKiriViewFrame : public QWidget {
  Q_OBJECT
 public:
  CKiriViewFrame(CKiriApp& app, QWidget* owner);
  CKiriView* View() const { return m_view; }

 protected:
  bool event(QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  friend class CKiriView;
  CKiriApp& m_app;
  CKiriView* m_view = nullptr;
};

class CKiriView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  // Creates the window and loads the display; nullptr (and no window)
  // when loading fails.
  static CKiriView* Create(CKiriApp& app, const OpenRequest& request, const WorkingFiles& files);

  // Commands this view (or the application for it) carries out; the others
  // exist in the menus but stay disabled.
  static bool Handles(int id);
  void OnCommand(int id);
  void FillCommandState(CommandState& s) const;

  ImageSession& Session() { return m_session; }
  const ImageSession& Session() const { return m_session; }
  int ZoomLevel() const { return m_session.ZoomLevel(); }
  CKiriViewFrame* Frame() const { return m_frame; }
  void CloseFrame();
  QPoint ScrollPosition() const;
  // The 1-based image point at the centre of the window.
  ScrollPoint CentrePoint() const;
  // The display as drawn (top row first).
  const QImage& Picture() const { return m_picture; }
  // After the session changed what is shown: picture, title, scroll bars.
  void DisplayChanged();
  void FitFrame();
  // What the mouse tools see: zoom, scroll position and draw phase now.
  ViewGeometry Geometry() const;

  // --- the legend window beside the image (none when the image has none)
  CLegendWindow* LegendWindow() const { return m_pLegend; }
  // Closes the legend and makes the one the image's state asks for.
  void RebuildLegend();
  // Shown while the legend-visible flag is set and no annotation page is shown.
  void FollowLegendFlag();
  void SetLegendInFront(bool inFront);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  bool viewportEvent(QEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  CKiriView(CKiriApp& app, CKiriViewFrame* frame);
  bool InitialUpdate(const OpenRequest& request, const WorkingFiles& files);
  void Zoom(int command);
  void ApplyZoom(ScrollPoint centre);
  void UpdateScrollBars();
  DrawPlan CurrentPlan() const;
  void ShowPosition(QPoint client);
  void OnUndo();
  void OnReverseRainbow();
  void OnFilter();
  void OnExport();

  CKiriApp& m_app;
  CKiriViewFrame* m_frame;
  ImageSession m_session;
  QImage m_picture;
  QPointer<CLegendWindow> m_pLegend;
};

}  // namespace lumora::gui
