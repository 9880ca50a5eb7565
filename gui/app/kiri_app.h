// The application object: start-up and the mode, the state every image
// window shares (the values of the last open, the open views, the active
// view, the tool-dialog marker), and the routing of commands to the active
// image view.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "core/imagefile/settings_file.h"
#include "core/imagefile/working_files.h"
#include "core/shell/command_rules.h"
#include "core/shell/open_rules.h"
#include "core/view/dib.h"
#include "core/view/image_session.h"
#include "gui/widgets/control_ids.h"
#include "lessons/lesson_run.h"

class QLockFile;
class QPrinter;

namespace lumora::gui {

class CDnValueDlg;
class CLessonPanel;
class CMainFrame;
class COperationDlg;
class CKiriView;
class UiSeam;

struct StartupOptions {
  QString lockFolder;                                      // where the single-instance lock lives
  QString workFolder;                                      // the working folder, ending with '/'
  QString homeFolder;                                      // never emptied, nor anything above it
  QString samplesFolder;                                   // where the open dialog starts
  QString helpFolder;                                      // help pages, one folder per language
  QString lessonsFolder;                                   // the lessons that come with the program
  QString northMarkPicture = QStringLiteral("IDB_NORTH");  // the annotation bitmap
  int splashMilliseconds = 3000;
  bool showFrame = true;

  // The program's own places: the runtime folder, Qt's cache location +
  // "/temp/", and samples and help in the data folder.
  static StartupOptions ForThisUser(const QString& dataFromProgram = QString());
  // Installed, the data lies at dataFromProgram (a relative path) from the
  // program's folder; in the build tree it lies beside the program.
  static QString DataFolder(const QString& programFolder, const QString& dataFromProgram);
};

class CKiriApp : public QObject {
  Q_OBJECT
 public:
  CKiriApp(Messenger& messenger, UiSeam& ui);
  ~CKiriApp() override;

  // Start-up; false ends the program (the reason was shown).
  bool InitInstance(const StartupOptions& options);

  int Mode() const { return m_mode; }
  bool Junior() const { return m_mode == kMenuJunior; }
  CMainFrame* MainFrame() const { return m_frame.get(); }
  Messenger& Msg() const { return m_messenger; }
  UiSeam& Ui() const { return m_ui; }
  const StartupOptions& Options() const { return m_options; }

  // Command routing and enabling.
  void OnCommand(int id);
  CommandState CommandStateNow() const;
  bool IsEnabled(int id) const;
  void RefreshCommands();

  // Open (32778): asks for a settings file unless a path is given; the
  // dialog starts in OpenFolder().
  bool OnFileOpen(const QString& path = {});
  QString OpenFolder() const;
  // Import (32870): the import dialog, then the new set opens as by Open.
  bool OnImport();
  const OpenRequest& LastOpen() const { return m_open; }
  const WorkingFiles& LastWorkingFiles() const { return m_working; }
  // Set by a partial write: the next open takes the stored path and
  // composition without asking.
  void SetReopen(const OpenRequest& request);

  // Image views.
  const std::vector<CKiriView*>& Views() const { return m_views; }
  CKiriView* ActiveView() const { return m_activeView; }
  bool ImageViewActive() const { return m_imageViewActive; }
  void OnViewActivated(CKiriView* view);
  // The palette became the active window: the image commands wait until an
  // image window is active again.
  void OnPaletteActivated();
  void OnViewDeactivated(CKiriView* view);
  void OnViewClosed(CKiriView* view);

  // The zoom box chose level; sent to the active view.
  void OnZoomBox(int level);
  int RequestedZoom() const { return m_requestedZoom; }
  void SetRequestedZoom(int level);

  // The tool-dialog marker: image commands are refused while it is set.
  QWidget* ToolDialog() const { return m_toolDialog; }
  // The window a message or question concerns: an open modal dialog or
  // tool dialog, else the active image window, else the main frame.
  QWidget* MessageParent() const;
  void SetToolDialog(QWidget* dialog);
  bool DialogAllowsMainWindow() const { return m_dialogAllowsMain; }
  // Set by a tool dialog that lets the user work in the image window while
  // it is open (the land-cover dialog, for dragging training areas).
  void SetDialogAllowsMainWindow(bool allows) { m_dialogAllowsMain = allows; }

  // The analysis-window slot: the image information, annotation settings
  // and scatter-plot windows occupy it one at a time. Take returns false
  // (and changes nothing) while another window holds it; the slot empties
  // itself when its window is destroyed.
  QWidget* AnalysisWindow() const { return m_analysisWindow; }
  bool TakeAnalysisWindow(QWidget* window);
  void ReleaseAnalysisWindow(QWidget* window);

  // The DN readout window (32775): made once and kept while it is open.
  CDnValueDlg* DnWindow() const;
  void ShowDnWindow();
  bool LegendVisible() const { return m_legendVisible; }
  void SetLegendVisible(bool visible) { m_legendVisible = visible; }
  COperationDlg* Palette() const { return m_palette; }

  // The north mark for the map page, as loaded at start-up (blue, green,
  // red rows bottom-up).
  const Dib& NorthMark() const { return m_northMark; }

  // Printer setup (57606): the page dialog until A4 is chosen or it is
  // cancelled. The settings kept are those of the last A4 choice; false
  // when nothing changed.
  bool OnPrintSetup();
  // The printer the program prints on (A4), made on first use.
  QPrinter& Printer();

  // Linked windows (View > Link windows): windows of one grid zoom and
  // scroll together and the DN readout shows each one's values.
  bool Linked() const { return m_linked; }
  // The other open windows of the view's grid.
  std::vector<CKiriView*> LinkedWith(const CKiriView& view) const;
  // After the view zoomed or scrolled: the others of its grid take its zoom
  // and place (when linked).
  void FollowView(const CKiriView& source);

  // Activates the next (step 1) or previous (step -1) image window.
  void CycleViews(int step);

  // Closes every image window (at exit and in tests) without asking.
  void CloseAllViews();
  bool ClosingAll() const { return m_closingAll; }
  // Asks about every window's unsaved result; false when the user keeps one.
  bool QueryCloseAllViews();

  // Lessons (Help > Lessons): the list, then the panel of the chosen one.
  void OnLessons();
  CLessonPanel* LessonPanel() const;
  // What the pupil did, for the lesson panel when one is open.
  void NoteLessonAction(const lessons::Action& action);
  // The image window's scene, bands and magnification, as an opening reports them.
  void NoteViewShown(const CKiriView& view);

 signals:
  void viewOpened(CKiriView* view);

 private:
  bool TakeSingleInstanceLock();
  bool LoadNorthMark(const QString& picture);

  Messenger& m_messenger;
  UiSeam& m_ui;
  StartupOptions m_options;
  std::unique_ptr<QLockFile> m_lock;
  std::unique_ptr<CMainFrame> m_frame;
  COperationDlg* m_palette = nullptr;  // owned by the frame
  int m_mode = kMenuJunior;
  OpenRequest m_open;
  WorkingFiles m_working;
  bool m_reopen = false;
  WorkingNamer m_namer;
  std::vector<CKiriView*> m_views;
  CKiriView* m_activeView = nullptr;
  bool m_imageViewActive = false;
  int m_requestedZoom = 1;
  bool m_linked = false;
  bool m_following = false;  // a linked window is taking another's place
  QWidget* m_toolDialog = nullptr;
  bool m_dialogAllowsMain = false;
  bool m_legendVisible = true;
  bool m_closingAll = false;
  QPointer<QWidget> m_analysisWindow;
  QPointer<CDnValueDlg> m_dnWindow;
  QPointer<CLessonPanel> m_lessonPanel;
  Dib m_northMark;
  std::unique_ptr<QPrinter> m_printer;
};

}  // namespace lumora::gui
