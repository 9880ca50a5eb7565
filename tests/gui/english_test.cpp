// The program in English: every window of the list shows no Japanese text and
// no text cut off; a missing or damaged translation file leaves it Japanese.
// A window joins the English walk by one more entry in kWindows.
#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTextBrowser>

#include "gui/app/help_dlg.h"
#include "gui/app/operation_dlg.h"
#include "gui/app/welcome_dlg.h"
#include "gui/widgets/language.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

QString Translations() { return QCoreApplication::applicationDirPath() + "/translations"; }

bool HasJapanese(const QString& text) {
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x3000 && u <= 0x9fff) || (u >= 0xff00 && u <= 0xffef)) return true;
  }
  return false;
}

// Every text the window and its children show, with where it was found;
// texts of widgets narrower than they need are listed as cut off.
void Walk(QWidget& window, QStringList& japanese, QStringList& cutOff) {
  auto check = [&](const QString& where, const QString& text) {
    if (HasJapanese(text)) japanese << where + ": " + text;
  };
  check(window.objectName() + " title", window.windowTitle());
  QList<QWidget*> widgets = window.findChildren<QWidget*>();
  widgets.prepend(&window);
  for (QWidget* w : widgets) {
    const QString name = QString::fromLatin1(w->metaObject()->className()) + " " + w->objectName();
    check(name + " tip", w->toolTip());
    check(name + " status", w->statusTip());
    QString text;
    if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
    if (auto* browser = qobject_cast<QTextBrowser*>(w)) text = browser->toPlainText();
    check(name, text);
    if (!text.isEmpty() && !qobject_cast<QTextBrowser*>(w) && w->isVisible() &&
        w->width() < w->minimumSizeHint().width())
      cutOff << name + ": " + text;
    for (QAction* a : w->actions()) {
      check(name + " action " + a->objectName(), a->text());
      check(name + " action tip " + a->objectName(), a->toolTip());
      check(name + " action status " + a->objectName(), a->statusTip());
      if (a->menu()) check(name + " menu", a->menu()->title());
    }
  }
}

class EnglishTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(InstallTranslation(Language::kEnglish, Translations()));
  }
  void TearDown() override {
    InstallTranslation(Language::kJapanese, {});
    GuiTest::TearDown();
  }

 public:
  QWidget* MainFrame() {
    EXPECT_TRUE(Start(289));
    Frame().show();
    return &Frame();
  }
  QWidget* Help() {
    auto* help = new CHelpDlg(QCoreApplication::applicationDirPath() + "/help");
    help->setAttribute(Qt::WA_DeleteOnClose);
    help->show();
    return help;
  }
  QWidget* Welcome() {
    auto* welcome = new CWelcomeDlg(messenger, nullptr);
    welcome->setAttribute(Qt::WA_DeleteOnClose);
    welcome->show();
    return welcome;
  }
};

struct Window {
  const char* name;
  QWidget* (EnglishTest::*open)();
  bool closeAfter;  // a window of its own, not one the program keeps
};

const Window kWindows[] = {
    {"main frame and palette", &EnglishTest::MainFrame, false},
    {"help", &EnglishTest::Help, true},
    {"welcome", &EnglishTest::Welcome, true},
};

TEST_F(EnglishTest, WindowsShowNoJapaneseAndNothingCutOff) {
  for (const Window& w : kWindows) {
    QWidget* window = (this->*w.open)();
    ASSERT_NE(window, nullptr) << w.name;
    QCoreApplication::processEvents();
    QStringList japanese, cutOff;
    Walk(*window, japanese, cutOff);
    EXPECT_TRUE(japanese.isEmpty()) << w.name << "\n" << japanese.join('\n').toStdString();
    EXPECT_TRUE(cutOff.isEmpty()) << w.name << "\n" << cutOff.join('\n').toStdString();
    if (w.closeAfter) window->close();
  }
  // Messages by id follow the program's language.
  EXPECT_EQ(CurrentLanguage(), Language::kEnglish);
}

TEST(Translation, MissingOrDamagedFileLeavesTheProgramJapanese) {
  ::lumora::test::TempDir dir;
  EXPECT_FALSE(InstallTranslation(Language::kEnglish, QString::fromStdString(dir / "none")));
  EXPECT_EQ(CurrentLanguage(), Language::kJapanese);
  ::lumora::test::WriteFile(dir / "lumora_en.qm", std::string(64, '\x3c'));
  EXPECT_FALSE(InstallTranslation(Language::kEnglish, QString::fromStdString(dir.path().string())));
  EXPECT_EQ(CurrentLanguage(), Language::kJapanese);
  EXPECT_EQ(QCoreApplication::translate("CHelpDlg", "閉じる"), QStringLiteral("閉じる"));
  // A good file after a bad one still works.
  EXPECT_TRUE(InstallTranslation(Language::kEnglish, Translations()));
  EXPECT_EQ(QCoreApplication::translate("CHelpDlg", "閉じる"), QStringLiteral("Close"));
  InstallTranslation(Language::kJapanese, {});
}

}  // namespace
}  // namespace lumora::gui::test
