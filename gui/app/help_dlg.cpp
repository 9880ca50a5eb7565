#include "gui/app/help_dlg.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "gui/widgets/language.h"

namespace lumora::gui {

CHelpDlg::CHelpDlg(const QString& helpFolder, QWidget* parent)
    : QDialog(parent), m_folder(helpFolder) {
  setObjectName(QStringLiteral("help"));
  setWindowTitle(translate("CHelpDlg", "Lumora Zud's ヘルプ"));
  setModal(false);
  m_text = new QTextBrowser(this);
  m_text->setOpenLinks(false);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* close =
      buttons->addButton(translate("CHelpDlg", "閉じる"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("close"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_text);
  layout->addWidget(buttons);
  resize(480, 600);
  ShowPage(Page::kContents);
}

void CHelpDlg::ShowPage(Page page) {
  m_page = page;
  const QString name =
      page == Page::kContents ? QStringLiteral("contents.html") : QStringLiteral("using.html");
  // The page in the program's language, else the Japanese one.
  QString path = m_folder + QStringLiteral("/en/") + name;
  if (CurrentLanguage() != Language::kEnglish || !QFile::exists(path))
    path = m_folder + QStringLiteral("/ja/") + name;
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) {
    m_text->setHtml(QString::fromUtf8(file.readAll()));
  } else {
    // Said in the window itself: the help is what the user asked for.
    m_text->setPlainText(translate("CHelpDlg", "ヘルプのページが見つかりません．") +
                         QLatin1Char('\n') + path);
  }
}

QString CHelpDlg::Text() const { return m_text->toPlainText(); }

}  // namespace lumora::gui
