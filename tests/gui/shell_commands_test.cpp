#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QTranslator>

#include "core/support/string_table.h"
#include "gui/app/help_dlg.h"
#include "gui/app/qt_texts.h"
#include "gui/widgets/ui_seam.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

int HelpWindows() {
  int n = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    n += w->objectName() == QStringLiteral("help") && w->isVisible();
  return n;
}

TEST_F(StartedTest, HelpCommandsShareOneWindow) {
  struct Case {
    int id;
    CHelpDlg::Page page;
  } cases[] = {
      {57666, CHelpDlg::Page::kContents},
      {57668, CHelpDlg::Page::kUsingHelp},
      {57670, CHelpDlg::Page::kContents},
      {57669, CHelpDlg::Page::kContents},  // context help opens the contents
  };
  CHelpDlg* first = nullptr;
  for (const Case& c : cases) {
    QAction* a = Frame().Action(c.id);
    ASSERT_NE(a, nullptr) << c.id;
    a->trigger();
    CHelpDlg* help = Frame().HelpWindow();
    ASSERT_NE(help, nullptr);
    if (!first) first = help;
    EXPECT_EQ(help, first) << c.id;
    EXPECT_EQ(help->CurrentPage(), c.page) << c.id;
    EXPECT_EQ(HelpWindows(), 1) << c.id;
  }
  first->findChild<QAbstractButton*>(QStringLiteral("close"))->click();
  EXPECT_EQ(HelpWindows(), 0);
  // Opening it again after closing reuses the window; teardown checks that
  // nothing outlives the program.
  app->OnCommand(57670);
  EXPECT_EQ(Frame().HelpWindow(), first);
  EXPECT_EQ(HelpWindows(), 1);

  // About shows the program's picture in its own modal dialog.
  bool pictured = false;
  ui.dialogs.push_back([&](QDialog& d) {
    auto* picture = d.findChild<QLabel*>(QStringLiteral("picture"));
    pictured = picture && !picture->pixmap().isNull();
    return Click(d, 1);
  });
  app->OnCommand(57664);
  EXPECT_TRUE(pictured);
}

TEST_F(StartedTest, NextAndPreviousPaneCycleTheImageWindowsAndTheStatusPanesFollowTheCursor) {
  std::vector<CKiriView*> views;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(Open(WriteScene(dir, Format("w%d", i), 8, 8, 1, 1, 1)));  // processed: no dialog
    views.push_back(View());
  }
  EXPECT_TRUE(Frame().Action(57680)->isEnabled());
  const struct {
    int command;
    int expected;
  } steps[] = {{57680, 0}, {57680, 1}, {57681, 0}, {57681, 2}, {57681, 1}};
  for (const auto& s : steps) {
    app->OnCommand(s.command);
    EXPECT_EQ(View(), views[size_t(s.expected)]) << s.command << " " << s.expected;
    EXPECT_TRUE(app->ImageViewActive());
  }
  views[1]->CloseFrame();  // the active one: the next command steps from the new active view
  ASSERT_EQ(View(), views[2]);
  app->OnCommand(57680);
  EXPECT_EQ(View(), views[0]);

  // The status panes follow the cursor over an image.
  ASSERT_TRUE(OpenComposed(WriteScene(dir, "c", 40, 30, 3, 1)));
  CKiriView& v = *View();
  v.Frame()->resize(300, 200);
  auto move = [&](int x, int y) {
    QMouseEvent e(QEvent::MouseMove, QPointF(x, y), v.viewport()->mapToGlobal(QPointF(x, y)),
                  Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(v.viewport(), &e);
    return Frame().StatusText(1) + " " + Frame().StatusText(2);
  };
  ASSERT_EQ(v.ScrollPosition(), QPoint(0, 0));
  const struct {
    int enlargements;
    int x, y;
    const char* shown;
  } cases[] = {
      {0, 0, 0, "x=1 y=1"},       {0, 3, 2, "x=4 y=3"},
      {0, 250, 180, "x=40 y=30"},                        // beyond the image: its last pixel
      {0, -5, -1, "x=1 y=1"},     {1, 5, 5, "x=3 y=3"},  // 200%: two screen pixels each
      {1, 79, 59, "x=40 y=30"},
  };
  int done = 0;
  for (const auto& c : cases) {
    for (; done < c.enlargements; ++done) app->OnCommand(101);
    EXPECT_EQ(move(c.x, c.y), QString::fromUtf8(c.shown)) << c.x << "," << c.y;
  }
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(v.viewport(), &leave);
  EXPECT_EQ(Frame().StatusText(1), QString());
  EXPECT_EQ(Frame().StatusText(2), QString());
  move(3, 3);
  v.CloseFrame();
  EXPECT_EQ(Frame().StatusText(1), QString());
}

// Sets the trial printer's paper in the page dialog and answers it.
DialogScript PageSetup(QPageSize::PageSizeId paper, QPageLayout::Orientation orientation,
                       int answer) {
  return [=](QDialog& d) {
    auto* dialog = qobject_cast<QPageSetupDialog*>(&d);
    EXPECT_NE(dialog, nullptr);
    if (!dialog) return int(QDialog::Rejected);
    dialog->printer()->setPageSize(QPageSize(paper));
    dialog->printer()->setPageOrientation(orientation);
    return answer;
  };
}

TEST_F(StartedTest, PrinterSetupKeepsOnlyAnA4Choice) {
  EXPECT_EQ(app->Printer().pageLayout().pageSize().id(), QPageSize::A4);
  EXPECT_EQ(app->Printer().pageLayout().orientation(), QPageLayout::Portrait);

  // Letter is refused and the dialog comes again; the A4 choice is kept.
  ui.dialogs.push_back(PageSetup(QPageSize::Letter, QPageLayout::Landscape, QDialog::Accepted));
  ui.dialogs.push_back(PageSetup(QPageSize::A4, QPageLayout::Landscape, QDialog::Accepted));
  app->OnCommand(57606);
  EXPECT_EQ(ui.dialogNames.count(QStringLiteral("printSetup")), 2);
  EXPECT_EQ(messenger.LastId(), kMsgA4Only);
  EXPECT_EQ(app->Printer().pageLayout().pageSize().id(), QPageSize::A4);
  EXPECT_EQ(app->Printer().pageLayout().orientation(), QPageLayout::Landscape);

  // A cancel after trying other paper changes nothing; the dialog starts
  // from the kept settings.
  QPageLayout::Orientation seen = QPageLayout::Portrait;
  ui.dialogs.push_back([&seen](QDialog& d) {
    QPrinter* trial = qobject_cast<QPageSetupDialog*>(&d)->printer();
    seen = trial->pageLayout().orientation();
    trial->setPageSize(QPageSize(QPageSize::Letter));
    trial->setPageOrientation(QPageLayout::Portrait);
    return int(QDialog::Rejected);
  });
  EXPECT_FALSE(app->OnPrintSetup());
  EXPECT_EQ(seen, QPageLayout::Landscape);
  EXPECT_EQ(app->Printer().pageLayout().pageSize().id(), QPageSize::A4);
  EXPECT_EQ(app->Printer().pageLayout().orientation(), QPageLayout::Landscape);
}

// The north mark is loaded at the start (the pages' tests find it drawn) or
// the program does not start.
TEST_F(StartedTest, NorthMarkIsLoadedAtStartOrEndsIt) {
  EXPECT_FALSE(app->NorthMark().Empty());
  app.reset();

  app = std::make_unique<CKiriApp>(messenger, ui);
  StartupOptions o = Options();
  o.northMarkPicture = QStringLiteral("no_such_picture");
  EXPECT_FALSE(app->InitInstance(o));
  EXPECT_EQ(messenger.LastId(), kMsgResourceFailed);
  EXPECT_EQ(ui.dialogNames.count(QStringLiteral("250")), 1);  // no welcome the second time
}

TEST_F(GuiTest, ImageWindowsOpenBelowTheMainFrameAndStayOnScreen) {
  ASSERT_TRUE(Start());
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  std::vector<QRect> placed;
  for (int i = 0; i < 2; ++i) {
    // Larger than the screen: the window is fitted into the room left.
    ASSERT_TRUE(Open(WriteScene(dir, Format("b%d", i), 1000, 1000, 1, 1, 1)));
    placed.push_back(View()->Frame()->frameGeometry());
  }
  EXPECT_GT(placed[0].top(), Frame().frameGeometry().bottom());
  EXPECT_EQ(placed[0].left(), Frame().frameGeometry().left());
  EXPECT_EQ(placed[1].topLeft() - placed[0].topLeft(), QPoint(24, 24));
  for (const QRect& r : placed) {
    EXPECT_LE(r.bottom(), screen.bottom()) << r.height();
    EXPECT_LE(r.right(), screen.right()) << r.width();
  }
  // Moved to the bottom edge (or beyond), a refit keeps a usable window,
  // moved back onto the screen. Far off to the left or top, it is never
  // larger than the screen.
  const struct {
    int x, y;
  } corners[] = {{screen.left(), screen.bottom() - 10},
                 {screen.left(), screen.bottom() + 500},
                 {screen.left() - 2000, screen.top() - 2000}};
  for (const auto& c : corners) {
    View()->Frame()->move(c.x, c.y);
    View()->FitFrame();
    const QSize size = View()->Frame()->size();
    EXPECT_TRUE(screen.contains(View()->Frame()->geometry())) << c.x << "," << c.y;
    EXPECT_GE(size.height(), screen.height() / 2 - 40) << c.x << "," << c.y;
    EXPECT_LE(size.height(), screen.height() - 40) << c.x << "," << c.y;
    EXPECT_LE(size.width(), screen.width() - 40) << c.x << "," << c.y;
  }
}

TEST_F(GuiTest, ImageWindowsTakeExactlyTheirPicture) {
  ASSERT_TRUE(Start());
  ASSERT_TRUE(OpenComposed(WriteScene(dir, "fit", 300, 250, 3, 1)));
  CKiriView& v = *View();
  EXPECT_EQ(v.Frame()->size(), QSize(300, 250));
  EXPECT_EQ(v.viewport()->size(), QSize(300, 250));
  EXPECT_FALSE(v.horizontalScrollBar()->isVisible());
  EXPECT_FALSE(v.verticalScrollBar()->isVisible());
  // No white strip: the window shows the picture and nothing else.
  EXPECT_EQ(v.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32),
            v.Picture().convertToFormat(QImage::Format_RGB32));
  // Scroll bars come only when the picture outgrows the window.
  app->OnCommand(kCmdEnlarge);
  EXPECT_TRUE(v.horizontalScrollBar()->isVisible());
  EXPECT_TRUE(v.verticalScrollBar()->isVisible());
  app->OnCommand(kCmdReduce);
  EXPECT_FALSE(v.horizontalScrollBar()->isVisible());
  EXPECT_FALSE(v.verticalScrollBar()->isVisible());
}

TEST(QtDialogs, TheSaveDialogProposesTheSuffixOfItsFilterAndTheDialogsSpeakJapanese) {
  QFileDialog dialog(nullptr, QString(), QString(),
                     QStringLiteral("Jpeg Files (*.jpg);;Tiff Files (*.tif)"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  PrepareSaveDialog(dialog);
  EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("jpg"));
  auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  ASSERT_NE(types, nullptr);
  for (const auto& [index, suffix] : {std::pair{1, "tif"}, std::pair{0, "jpg"}}) {
    // What the box emits when the user picks an entry.
    types->setCurrentIndex(index);
    emit types->activated(index);
    emit types->textActivated(types->itemText(index));
    EXPECT_EQ(dialog.defaultSuffix(), QString::fromLatin1(suffix)) << index;
  }
  EXPECT_EQ(SuffixOfFilter(QStringLiteral("All (*)")), QString());

  // Qt's own dialogs speak Japanese (where Qt's translation is installed).
  QTranslator* translator = InstallJapaneseQtTexts();
  if (!translator) GTEST_SKIP() << "Qt's Japanese translation is not installed";
  EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
  // The kind of a folder in the file list, which Qt's own translation lacks.
  EXPECT_EQ(
      QCoreApplication::translate("QAbstractFileIconProvider", "Folder", "All other platforms"),
      QStringLiteral("フォルダ"));
  QCoreApplication::removeTranslator(translator);
  delete translator;
}

}  // namespace
}  // namespace lumora::gui::test
