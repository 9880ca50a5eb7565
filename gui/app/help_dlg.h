// The program's own help window: a few short pages for children on opening
// an image, composing colours, zooming, filtering, undoing and saving, and a
// page on using the help itself, read from the help folder (installed in
// share/lumora/help, beside the program in the build tree). One window, kept
// by the main frame.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace lumora::gui {

class CHelpDlg : public QDialog {
  Q_OBJECT
 public:
  enum class Page { kContents, kUsingHelp };

  // helpFolder holds one folder of pages per language ("ja", ...).
  explicit CHelpDlg(const QString& helpFolder, QWidget* parent = nullptr);
  void ShowPage(Page page);
  Page CurrentPage() const { return m_page; }
  QString Text() const;

 private:
  QString m_folder;
  QTextBrowser* m_text;
  Page m_page = Page::kContents;
};

}  // namespace lumora::gui
