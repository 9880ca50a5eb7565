#include "gui/app/kiri_app.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QLockFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <cstring>

#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "gui/app/main_frame.h"
#include "gui/app/operation_dlg.h"
#include "gui/app/welcome_dlg.h"
#include "gui/imagefile/image_create_dlg.h"
#include "gui/lessons/lesson_panel.h"
#ifdef LUMORA_IMPORT
#include "gui/imagefile/import_dlg.h"
#endif
#include "gui/view/dn_value_dlg.h"
#include "gui/view/kiri_view.h"
#include "gui/widgets/bitmap_button.h"
#include "gui/widgets/control_ids.h"
#include "gui/widgets/language.h"
#include "gui/widgets/progress_dlg.h"
#include "gui/widgets/ui_seam.h"

namespace lumora::gui {

QString StartupOptions::DataFolder(const QString& programFolder, const QString& dataFromProgram) {
  if (!dataFromProgram.isEmpty()) {
    const QString installed = QDir::cleanPath(programFolder + QLatin1Char('/') + dataFromProgram);
    if (QFileInfo(installed + QStringLiteral("/help")).isDir()) return installed;
  }
  return programFolder;
}

StartupOptions StartupOptions::ForThisUser(const QString& dataFromProgram) {
  StartupOptions o;
  o.lockFolder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (o.lockFolder.isEmpty()) o.lockFolder = QDir::tempPath();
  QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
  if (cache.isEmpty()) cache = QDir::homePath() + QStringLiteral("/.cache");
  o.workFolder = cache + QStringLiteral("/lumora/temp/");
  o.homeFolder = QDir::homePath();
  const QString data = DataFolder(QCoreApplication::applicationDirPath(), dataFromProgram);
  o.samplesFolder = data + QStringLiteral("/samples");
  o.helpFolder = data + QStringLiteral("/help");
  o.lessonsFolder = data + QStringLiteral("/lessons");
  return o;
}

CKiriApp::CKiriApp(Messenger& messenger, UiSeam& ui) : m_messenger(messenger), m_ui(ui) {}

CKiriApp::~CKiriApp() {
  CloseAllViews();
  m_palette = nullptr;
  m_frame.reset();
}

bool CKiriApp::TakeSingleInstanceLock() {
  QDir().mkpath(m_options.lockFolder);
  m_lock = std::make_unique<QLockFile>(m_options.lockFolder + QStringLiteral("/LumoraVazi"));
  // A running copy holds the lock however long it runs; only a dead
  // owner's lock is taken over.
  m_lock->setStaleLockTime(0);
  if (m_lock->tryLock(0)) return true;
  const bool held = m_lock->error() == QLockFile::LockFailedError;
  m_lock.reset();
  // A folder where no lock can be made does not mean another copy runs.
  if (!held) return true;
  m_messenger.ShowMessage(kMsgAlreadyRunning);
  return false;
}

bool CKiriApp::InitInstance(const StartupOptions& options) {
  m_options = options;
  if (!TakeSingleInstanceLock()) return false;

  m_frame = std::make_unique<CMainFrame>(*this);
  m_frame->LoadMenu(kMenuNoImage);

  std::unique_ptr<CTitleFrm> title;
  if (options.splashMilliseconds > 0) {
    title = std::make_unique<CTitleFrm>();
    title->show();
    title->raise();
    title->repaint();
    QElapsedTimer shown;
    shown.start();
    while (shown.elapsed() < options.splashMilliseconds) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      QThread::msleep(20);
    }
  }

  m_open = OpenRequest{};
  m_open.settingsPath.clear();
  m_legendVisible = true;
  if (!PrepareWorkingDirectory(FromQ(options.workFolder), FromQ(options.homeFolder), m_messenger))
    return false;
  if (!LoadNorthMark(options.northMarkPicture)) {
    m_messenger.ShowMessage(kMsgResourceFailed);
    return false;
  }

  // The palette fills the frame below the tool bars, without a caption.
  m_palette = new COperationDlg(*this);
  QMdiSubWindow* paletteFrame =
      m_frame->MdiArea()->addSubWindow(m_palette, Qt::FramelessWindowHint);
  paletteFrame->setObjectName(QStringLiteral("CMaindlgFrame"));
  paletteFrame->showMaximized();
  m_palette->EnableLegendButtons(false);
  m_palette->OnLegendCommand(kIdShowLegends);

  CWelcomeDlg welcome(m_messenger, title ? title.get() : nullptr);
  const int choice = m_ui.RunDialog(welcome);
  m_mode = choice == CWelcomeDlg::kElementary ? kMenuElementary : kMenuJunior;
  const QString modeTitle = m_mode == kMenuElementary ? translate("CKiriApp", "画像をみる")
                                                      : translate("CKiriApp", "画像を処理する");
  paletteFrame->setWindowTitle(modeTitle);
  // The palette has no caption of its own, so the frame shows the mode.
  m_frame->setWindowTitle(QStringLiteral("Lumora Zud's - ") + modeTitle);

  RefreshCommands();
  if (options.showFrame) m_frame->show();
  m_toolDialog = nullptr;
  return true;
}

bool CKiriApp::LoadNorthMark(const QString& picture) {
  const QPixmap pixmap = LoadPicture(picture);
  if (pixmap.isNull()) return false;
  // The page is white where the picture is transparent.
  QImage image(pixmap.size(), QImage::Format_BGR888);
  image.fill(Qt::white);
  {
    QPainter p(&image);
    p.drawPixmap(0, 0, pixmap);
  }
  Dib mark;
  if (!mark.Create(image.width(), image.height())) return false;
  const size_t rowBytes = size_t(mark.width) * 3;
  for (int y = 0; y < mark.height; ++y)
    std::memcpy(mark.TopRow(y), image.constScanLine(y), rowBytes);
  m_northMark = std::move(mark);
  return true;
}

QPrinter& CKiriApp::Printer() {
  if (!m_printer) {
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    m_printer->setPageSize(QPageSize(QPageSize::A4));
  }
  return *m_printer;
}

bool CKiriApp::OnPrintSetup() {
  QPrinter& kept = Printer();
  // The dialog works on a trial printer, so a cancel or a wrong paper
  // leaves the kept settings as they were.
  QPrinter trial(QPrinter::HighResolution);
  if (!kept.printerName().isEmpty()) trial.setPrinterName(kept.printerName());
  trial.setPageLayout(kept.pageLayout());
  for (;;) {
    QPageSetupDialog dialog(&trial, m_frame.get());
    dialog.setObjectName(QStringLiteral("printSetup"));
    if (m_ui.RunDialog(dialog) != QDialog::Accepted) return false;
    if (trial.pageLayout().pageSize().id() == QPageSize::A4) break;
    m_messenger.ShowMessage(kMsgA4Only);
  }
  if (trial.printerName() != kept.printerName()) kept.setPrinterName(trial.printerName());
  kept.setPageLayout(trial.pageLayout());
  return true;
}

void CKiriApp::CycleViews(int step) {
  if (m_views.empty()) return;
  const auto n = static_cast<std::ptrdiff_t>(m_views.size());
  const auto at = std::find(m_views.begin(), m_views.end(), m_activeView) - m_views.begin();
  const std::ptrdiff_t next = at >= n ? 0 : ((at + step) % n + n) % n;
  CKiriView* view = m_views[size_t(next)];
  if (QWidget* frame = view->Frame()) {
    frame->show();
    frame->raise();
    frame->activateWindow();
  }
  OnViewActivated(view);
}

CommandState CKiriApp::CommandStateNow() const {
  CommandState s;
  s.toolDialogOpen = m_toolDialog != nullptr;
  s.imageViewActive = m_imageViewActive;
  if (m_activeView) {
    s.hasActiveView = true;
    m_activeView->FillCommandState(s);
  }
  return s;
}

bool CKiriApp::IsEnabled(int id) const {
  return IsCommandEnabled(id, CommandStateNow()) && CKiriView::Handles(id);
}

void CKiriApp::RefreshCommands() {
  if (m_frame) m_frame->UpdateCommandUi();
  if (m_palette) {
    m_palette->RefreshButtons();
    m_palette->EnableLegendButtons(!m_views.empty());
  }
}

void CKiriApp::OnCommand(int id) {
  if (!IsEnabled(id)) return;
  switch (id) {
    case kCmdOpen: OnFileOpen(); break;
    case kCmdImport: OnImport(); break;
    case kCmdExit: m_frame->close(); break;
    case kCmdAbout: m_frame->ShowAbout(); break;
    case kCmdHelp:
    case kCmdContextHelp:
    case kCmdHelpIndex: m_frame->ShowHelp(false); break;
    case kCmdHelpUsing: m_frame->ShowHelp(true); break;
    case kCmdLessons: OnLessons(); break;
    case kCmdPrintSetup: OnPrintSetup(); break;
    case kCmdNextPane: CycleViews(1); break;
    case kCmdPrevPane: CycleViews(-1); break;
    case kCmdClose:
      if (m_activeView) m_activeView->CloseFrame();
      break;
    case kCmdDnValue: ShowDnWindow(); break;
    case kCmdLink:
      if (!m_linked && m_activeView && LinkedWith(*m_activeView).empty()) {
        m_messenger.ShowText(ShownText("窓をつなぐ"),
                             ShownText("同じ場所を同じマス目で写した画像の窓が，ほかにありません．"
                                       "大きさ・位置・画素の大きさが同じ画像だけがつながります．"));
        break;
      }
      m_linked = !m_linked;
      if (m_linked && m_activeView) FollowView(*m_activeView);
      break;
    case kCmdSaveAs:
    case kCmdPrint:
      if (m_activeView) m_activeView->OnCommand(id);
      break;
    default:
      if (m_activeView && m_imageViewActive) m_activeView->OnCommand(id);
      break;
  }
  RefreshCommands();
}

std::vector<CKiriView*> CKiriApp::LinkedWith(const CKiriView& view) const {
  std::vector<CKiriView*> others;
  for (CKiriView* other : m_views)
    if (other != &view && SameGrid(other->Session().Settings(), view.Session().Settings()))
      others.push_back(other);
  return others;
}

void CKiriApp::FollowView(const CKiriView& source) {
  if (!m_linked || m_following) return;
  m_following = true;
  for (CKiriView* other : LinkedWith(source)) other->TakePlaceOf(source);
  m_following = false;
}

void CKiriApp::OnZoomBox(int level) {
  if (!m_activeView) return;
  m_requestedZoom = level;
  m_activeView->OnCommand(kCmdZoomFromBox);
  RefreshCommands();
}

void CKiriApp::SetRequestedZoom(int level) {
  m_requestedZoom = level;
  if (m_frame) m_frame->ShowZoomLevel(level);
}

QWidget* CKiriApp::MessageParent() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (m_toolDialog && m_toolDialog->isVisible()) return m_toolDialog;
  if (m_activeView && m_activeView->Frame()) return m_activeView->Frame();
  return m_frame.get();
}

void CKiriApp::SetToolDialog(QWidget* dialog) {
  m_toolDialog = dialog;
  RefreshCommands();
}

bool CKiriApp::TakeAnalysisWindow(QWidget* window) {
  if (m_analysisWindow && m_analysisWindow != window) return false;
  m_analysisWindow = window;
  RefreshCommands();
  return true;
}

void CKiriApp::ReleaseAnalysisWindow(QWidget* window) {
  if (m_analysisWindow == window) m_analysisWindow = nullptr;
  RefreshCommands();
}

CDnValueDlg* CKiriApp::DnWindow() const { return m_dnWindow; }

void CKiriApp::ShowDnWindow() {
  if (!m_dnWindow) m_dnWindow = new CDnValueDlg(m_frame.get());
  m_dnWindow->show();
  m_dnWindow->raise();
}

void CKiriApp::OnViewActivated(CKiriView* view) {
  m_activeView = view;
  m_imageViewActive = true;
  if (m_frame && m_frame->MenuId() != m_mode) m_frame->LoadMenu(m_mode);
  SetRequestedZoom(view->ZoomLevel());
  view->ShowResolution();
  RefreshCommands();
}

void CKiriApp::OnPaletteActivated() {
  if (!m_imageViewActive) return;
  m_imageViewActive = false;
  RefreshCommands();
}

void CKiriApp::OnViewDeactivated(CKiriView*) {
  // The menus and tool bars live in the main frame, so leaving an image
  // window for them keeps it the active image view.
}

void CKiriApp::OnViewClosed(CKiriView* view) {
  std::erase(m_views, view);
  if (m_frame) {  // the cursor readout belonged to the closed window
    m_frame->SetStatusText(1, {});
    m_frame->SetStatusText(2, {});
  }
  if (m_activeView == view) {
    m_activeView = m_views.empty() ? nullptr : m_views.back();
    m_imageViewActive = m_activeView != nullptr;
  }
  if (m_frame) {
    if (m_views.empty()) {
      m_frame->LoadMenu(kMenuNoImage);
      m_frame->EnableZoomBox(false);
      m_frame->SetStatusText(3, {});
    } else {
      m_frame->ShowZoomLevel(m_activeView->ZoomLevel());
      m_activeView->ShowResolution();
    }
  }
  RefreshCommands();
}

void CKiriApp::CloseAllViews() {
  m_closingAll = true;
  while (!m_views.empty()) {
    CKiriView* v = m_views.back();
    v->CloseFrame();
    if (!m_views.empty() && m_views.back() == v) OnViewClosed(v);
  }
  m_closingAll = false;
}

bool CKiriApp::QueryCloseAllViews() {
  const std::vector<CKiriView*> views = m_views;
  for (CKiriView* v : views)
    if (!v->QueryClose()) return false;
  return true;
}

void CKiriApp::SetReopen(const OpenRequest& request) {
  m_open = request;
  m_reopen = true;
}

bool CKiriApp::OnImport() {
#ifndef LUMORA_IMPORT
  return false;
#else
  CImportDlg dialog(m_ui, m_messenger, m_options.samplesFolder, m_frame.get());
  std::vector<std::string> open;
  for (const CKiriView* view : m_views) open.push_back(view->Session().CurrentPath());
  dialog.OfferGrids(open);
  if (m_ui.RunDialog(dialog) != QDialog::Accepted) return false;
  return OnFileOpen(ToQ(dialog.OutputPath()));
#endif
}

// The folder of the image opened last (this run or, through the recent
// files, an earlier one) while it is there; the samples at first.
QString CKiriApp::OpenFolder() const {
  QString last;
  if (!m_open.settingsPath.empty())
    last = ToQ(m_open.settingsPath);
  else if (m_frame && !m_frame->RecentFiles().isEmpty())
    last = m_frame->RecentFiles().first();
  const QString folder = last.isEmpty() ? QString() : QFileInfo(last).absolutePath();
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : m_options.samplesFolder;
}

bool CKiriApp::OnFileOpen(const QString& chosen) {
  const bool reopen = m_reopen;
  const OpenRequest kept = m_open;
  m_reopen = false;
  if (!reopen) {
    QString path = chosen;
    if (path.isEmpty())
      path = m_ui.GetOpenFileName(m_frame.get(), OpenFolder(),
                                  translate("CKiriApp", "Lumora Zud's 設定ファイル (*.inf)"));
    if (path.isEmpty()) {
      m_open.settingsPath.clear();
      return false;
    }
    m_open.settingsPath = FromQ(QDir::cleanPath(QDir(path).absolutePath()));
  }
  const std::string path = m_open.settingsPath;

  ImageSettings settings;
  if (!ReadSettings(path, settings, m_messenger)) return false;
  if (!CheckImageSize(settings, m_messenger)) return false;

  if (reopen) {
    m_open = kept;
    m_open.settings = settings;
    m_open.area.reset();
  } else if (settings.fileState != kStateUnprocessed) {
    m_open = ComposeOnOpen(path, settings);
  } else {
    CImageCreateDlg dialog(m_messenger, path, settings, m_frame.get());
    if (m_ui.RunDialog(dialog) != QDialog::Accepted) return false;
    m_open = OpenRequest{};
    m_open.settingsPath = path;
    m_open.settings = settings;
    m_open.fileState = settings.fileState;
    m_open.composition = dialog.Result();
  }
  m_open.step = -1;

  WaitCursor wait;
  if (!m_working.Prepare(m_namer, FromQ(m_options.workFolder), path, m_messenger)) return false;

  auto* view = CKiriView::Create(*this, m_open, m_working);
  if (!view) {
    RefreshCommands();
    return false;
  }
  m_views.push_back(view);
  if (m_frame) m_frame->AddRecentFile(ToQ(path));
  OnViewActivated(view);
  emit viewOpened(view);
  NoteViewShown(*view);
  return true;
}

void CKiriApp::OnLessons() {
  auto run = ChooseLesson(*this);
  if (!run) return;
  if (m_lessonPanel) m_lessonPanel->close();
  m_lessonPanel = new CLessonPanel(*this, std::move(*run), m_frame.get());
  m_lessonPanel->show();
  // What is on the screen already counts.
  if (m_activeView) NoteViewShown(*m_activeView);
}

CLessonPanel* CKiriApp::LessonPanel() const { return m_lessonPanel; }

void CKiriApp::NoteLessonAction(const lessons::Action& action) {
  if (m_lessonPanel) m_lessonPanel->Observe(action);
}

void CKiriApp::NoteViewShown(const CKiriView& view) {
  if (!m_lessonPanel) return;
  const DisplayState& s = view.Session().State();
  lessons::Action opened;
  opened.kind = lessons::Action::kOpened;
  opened.path = ToQ(view.Session().CurrentPath());
  NoteLessonAction(opened);
  lessons::Action composed;
  composed.kind = lessons::Action::kComposed;
  composed.red = s.m_nRedBand + 1;
  composed.green = s.m_bSingleBand ? composed.red : s.m_nGreenBand + 1;
  composed.blue = s.m_bSingleBand ? composed.red : s.m_nBlueBand + 1;
  NoteLessonAction(composed);
  lessons::Action zoomed;
  zoomed.kind = lessons::Action::kZoomed;
  zoomed.percent = static_cast<int>(view.Session().Zoom() * 100.0f + 0.5f);
  NoteLessonAction(zoomed);
}

}  // namespace lumora::gui
