// The main frame: menus of the current mode, two tool bars (the second with
// the zoom box), the status bar with two coordinate panes, and the recent
// file list. It cannot be resized or maximised.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <QStringList>
#include <initializer_list>

#include "core/support/string_table.h"
#include "gui/widgets/control_ids.h"

class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

namespace lumora::gui {

class CKiriApp;
class CHelpDlg;

inline constexpr int kRecentFileCount = 4;
inline constexpr int kFirstRecentCommand = 57616;

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  explicit CMainFrame(CKiriApp& app);

  // Loads menu 252, 253 or 254.
  void LoadMenu(int menuId);
  int MenuId() const { return m_menuId; }

  QAction* Action(int commandId) const { return m_actions.value(commandId); }
  QList<int> CommandIds() const { return m_actions.keys(); }
  // Enables every command by the application's rules.
  void UpdateCommandUi();

  QComboBox* ZoomBox() const { return m_zoomBox; }
  QLabel* ZoomLabel() const { return m_zoomLabel; }
  // The zoom box follows the requested zoom level and is enabled.
  void ShowZoomLevel(int level);
  // Enables or disables the zoom box and its label together; disabling
  // clears the selection.
  void EnableZoomBox(bool enable);

  // Panes: 0 messages, 1 and 2 the cursor's position, 3 the resolution shown.
  void SetStatusText(int pane, const QString& text);
  QString StatusText(int pane) const;
  // Pane 0 as it shows its text: ended with "…" when the pane is too narrow.
  QString ShownStatusText() const;
  QToolBar* ToolBar(int index) const { return index == 0 ? m_bar1 : m_bar2; }
  QMdiArea* MdiArea() const { return m_mdi; }

  void ShowAbout();
  // Remembers the language for the next start and says so in that language.
  void ChooseLanguage(Language language);
  // The help window, opened on a page; one window however often it is asked for.
  void ShowHelp(bool usingHelp);
  CHelpDlg* HelpWindow() const { return m_help; }

  QStringList RecentFiles() const { return m_recent; }
  void AddRecentFile(const QString& path);

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  QAction* AddCommand(int id, const QString& text, const QString& prompt = {});
  QToolBar* AddToolBar(int id, std::initializer_list<int> commands);
  void CreateToolBars();
  void CreateStatusBar();
  void LoadRecentFiles();
  void SaveRecentFiles() const;
  void FillRecentMenu(QMenu* menu);
  void OnZoomBoxActivated(int index);

  CKiriApp& m_app;
  int m_menuId = 0;
  QMap<int, QAction*> m_actions;
  QList<QAction*> m_recentActions;
  QStringList m_recent;
  QToolBar* m_bar1 = nullptr;
  QToolBar* m_bar2 = nullptr;
  QComboBox* m_zoomBox = nullptr;
  QLabel* m_zoomLabel = nullptr;
  QLabel* m_panes[4] = {};
  QString m_standing;  // pane 0's text apart from fly-by help
  QMdiArea* m_mdi = nullptr;
  CHelpDlg* m_help = nullptr;  // a child of the frame, made on first use
};

}  // namespace lumora::gui
