// The window of one opened image: a frame owned by the main frame holding
// the scrolling view that draws the image's display at its zoom, and routes
// the image commands to the image's session.
#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "core/radiometry/brightness.h"
#include "core/shell/command_rules.h"
#include "core/view/image_session.h"
#include "core/view/tool_geometry.h"
#include "core/view/zoom.h"
#include "core/windows/profile.h"
#include "core/windows/region_stats.h"
#include "gui/widgets/legend_window.h"

class QCursor;
class QPainter;

namespace lumora::paint {
struct MapPage;
}

namespace lumora::gui {

class CKiriApp;
class CLandCoverDlg;
struct PageSettings;
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
  // The frame takes exactly the picture, or the room the screen leaves.
  void FitFrame();
  // The frame's size less the picture area when no scroll bar shows.
  QSize FrameBorder() const;
  // The window size before the kept step, given back when undo brings back
  // an image of another size.
  void KeepFrameForUndo(QSize size) { m_undoFrame = size; }
  // A linked window of the same grid: the source's zoom and scroll position.
  void TakePlaceOf(const CKiriView& source);
  // What the mouse tools see: zoom, scroll position and draw phase now.
  ViewGeometry Geometry() const;

  // --- the legend window beside the image (none when the image has none)
  CLegendWindow* LegendWindow() const { return m_pLegend; }
  // Closes the legend and makes the one the image's state asks for.
  void RebuildLegend();
  // Shown while the legend-visible flag is set and no annotation page is shown.
  void FollowLegendFlag();
  void SetLegendInFront(bool inFront);

  // --- the annotated map page, printing and preview (gui/output/map_page_view.cpp)
  ~CKiriView() override;
  const PageSettings& PageChoices() const;
  // The page as this window shows, prints and exports it (page units of
  // the screen), its legend drawn by the legend window; a legend whose data
  // cannot be read any more is left out and reported to the messenger
  // (the application's unless another is given).
  paint::MapPage MapPage() const;
  paint::MapPage MapPage(Messenger& legendFailures) const;
  // What the window shows, drawn as a page into width x height device
  // pixels (annotated page or plain image centred on A4).
  void DrawPage(QPainter& p, int width, int height) const;
  // The annotated page at 1000 x 1414, as exported.
  QImage ExportPage() const;
  // Turns the page on or off for these settings (after the dialog's OK).
  void ApplyAnnotations(const PageSettings& settings);

  // --- mouse tools (mouse_tools.cpp)
  // Selection kinds: an area to open as a new image, a profile line, a
  // training area of the land-cover dialog.
  enum SelectKind { kSelectPartOpen = 0, kSelectProfile = 1, kSelectTraining = 3 };
  // A finished selection gesture. Client points are viewport pixels; the
  // end is clamped into the drawn image. Document pixels are 0-based pixels
  // of the shown area (add Session().Area() for source pixels); the end is
  // limited to the last pixel and line.
  struct Selection {
    int kind = kSelectPartOpen;
    ClientPoint start, end;
    ClientPoint docStart, docEnd;
    ClientPoint release;    // where the button went up, not clamped
    ViewGeometry geometry;  // as it was at the release
    // The horizontal or vertical line a profile gesture stands for.
    ProfileLine line;
  };
  using SelectionHandler = std::function<void(const Selection&)>;
  // Arms the selection tool: the next press, drag and release inside the
  // image make one selection, handed to onFinished (kind 0 without a
  // handler runs the partial open). A right click or a new arming cancels.
  void StartSelection(int kind, SelectionHandler onFinished = {});
  // Arms the ruler: one drag measures one ground distance.
  void StartRuler();
  // Ends whatever tool is armed, erasing its figure.
  void CancelTools();
  bool Selecting() const { return m_tools.selecting; }
  int SelectKindArmed() const { return m_tools.kind; }
  int DragState() const { return m_tools.dragState; }
  bool RulerArmed() const { return m_tools.ruler; }
  bool RulerDragging() const { return m_tools.rulerDrag; }
  // Arms the region tool: a drag draws a rectangle, clicks set the corners
  // of a polygon (a double-click closes it, Esc cancels, Backspace takes the
  // last corner back); the statistics then show in the region window.
  void StartRegion();
  bool RegionArmed() const { return m_tools.region; }
  // Corners set so far, in source pixels (whole numbers: pixel corners).
  const std::vector<SourcePoint>& RegionCorners() const { return m_tools.corners; }
  // Pixels pinned in the spectrum window, in source pixels, with a colour
  // number (0..5) and the pupil's name; drawn as markers on the image.
  struct Pin {
    int x = 0, y = 0, colour = 0;
    QString name;
  };
  std::vector<Pin>& Pins() { return m_pins; }
  // The bands of the shown file set as they were when it was loaded, so
  // that a band file gone since is found missing.
  const std::vector<SpectrumBand>& SetBands();
  const std::vector<Pin>& Pins() const { return m_pins; }
  // The profile's graph strip and line over the window (m_bShowProfile).
  void ShowProfile(const ProfileGesture& line);
  void HideProfile();
  bool ProfileShown() const { return m_bShowProfile; }

  // The folder of the image as opened (never the working folder): where the
  // save and export dialogs start.
  QString PictureFolder() const;

  // A kept processing result that was never saved: closing asks first.
  bool HasUnsavedResult() const;
  void MarkSaved();
  // Asks whether to save an unsaved result; false keeps the window.
  bool QueryClose();

  // The open land-cover dialog that receives training areas.
  CLandCoverDlg* LandCoverDialog() const;
  void SetLandCoverDialog(CLandCoverDlg* dialog);
  // Closes the tool windows the view owns (before the window goes).
  void CloseToolWindows();

  // Client to 0-based document pixel and back (the top-left corner of the pixel).
  QPoint ClientOfDocument(int x, int y) const;

  // The brightness dialog's live preview: the window draws the display
  // image through the tables; DisplayChanged() shows it as it is again.
  void ShowThroughTables(const LookupTables& tables);

  // --- detail on zoom
  // Device pixels per pixel of the screen the window is on.
  float DeviceRatio() const;
  // Whether the window now draws the visible part at full resolution.
  bool DetailDrawn() const;
  // The full-resolution pixels the window draws in the client rectangle
  // (false when it draws the display image there).
  bool DetailPatch(const QRect& client, Dib& out);
  // Says in the status bar which resolution the window shows (when active).
  void ShowResolution();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  bool viewportEvent(QEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;

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
  void OnExportFull();
  void OnAnnotation();
  void OnPrint();
  void OnPrintPreview();
  void PaintAnnotatedPage(QPainter& p);
  // The page fills the window: no scroll bars while it is shown.
  void SetPageScrollBars(bool onPage);
  void LeavePageShape();

  // --- mouse tools (mouse_tools.cpp)
  struct ToolState {
    bool selecting = false;  // m_bSelecting
    int kind = kSelectPartOpen;
    int dragState = 0;  // 0 idle, 1 pressed, 2 dragging
    ClientPoint selStart, selEnd;
    SelectionHandler onFinished;
    bool ruler = false, rulerDrag = false;
    ClientPoint rulerStart, rulerEnd;
    int wheelZoom = 0;  // Ctrl+wheel angle not yet turned into a zoom step
    // The region tool: corners so far, the mouse, and a press that may
    // become a rectangle's drag.
    bool region = false, regionPressed = false, regionDrag = false;
    std::vector<SourcePoint> corners;
    SourcePoint regionMouse;
    ClientPoint regionPress, regionEnd;
    // A click (press and release in one place) pins a pixel.
    bool clickPressed = false;
    ClientPoint clickAt;
  };
  void PaintTools(QPainter& p) const;
  void PaintProfile(QPainter& p) const;
  void FinishSelection(QPoint release);
  void UpdateDnWindow(QPoint client);
  // Tells the lesson panel a tool was used over these points of the window.
  void NoteToolUse(const char* tool, ClientPoint from, ClientPoint to);
  void PaintRegionTools(QPainter& p) const;
  // The pins, the region and the ruler of `of` (this window or a linked one)
  // drawn over this window's picture.
  void PaintFigures(QPainter& p, const CKiriView& of) const;
  void ShowRegionMeasure();
  void FinishRegion(const Region& region);
  SourcePoint CornerAt(ClientPoint p) const;
  void SetToolCursor(const QCursor* cursor);
  void RunPartialOpen(const Selection& s);
  ToolState m_tools;
  bool m_bShowProfile = false;
  ProfileGesture m_profile;  // m_ptSelStart, m_ptSelEnd of the line shown
  std::string m_savedPath;
  QPointer<CLandCoverDlg> m_pLandCoverDlg;  // the current settings path when it was last saved

  CKiriApp& m_app;
  CKiriViewFrame* m_frame;
  ImageSession m_session;
  QImage m_picture;
  bool m_previewing = false;  // the picture shows the brightness preview
  DetailComposer m_detail;
  QImage m_patch;  // the detail last drawn, and where
  std::array<int64_t, 8> m_patchKey{};
  QPointer<CLegendWindow> m_pLegend;
  std::vector<Pin> m_pins;
  std::vector<SpectrumBand> m_bands;
  std::string m_bandsPath;
  QSize m_undoFrame;
  PageSettings* m_pageSettings = nullptr;  // owned; made on the first change
  QSize m_framePlainSize;                  // the frame's size before the page was shown
};

}  // namespace lumora::gui
