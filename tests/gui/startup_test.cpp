#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <filesystem>

#include "core/support/string_table.h"
#include "gui/app/operation_dlg.h"
#include "gui/app/welcome_dlg.h"
#include "gui/widgets/bitmap_button.h"
#include "gui/widgets/progress_dlg.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

QStringList MenuTitles(CMainFrame& frame) {
  QStringList titles;
  for (QAction* a : frame.menuBar()->actions()) titles << a->text();
  return titles;
}

TEST_F(GuiTest, WelcomeChoiceFixesTheModeAndItsMenusAndItsButtonsTakeOnlyTheMouse) {
  const std::string inf = WriteScene(dir, "s", 8, 6, 3, 1);
  struct Case {
    int answer;
    int mode;
    const char* paletteTitle;
  } cases[] = {{CWelcomeDlg::kElementary, 252, "画像をみる"},
               {CWelcomeDlg::kJunior, 253, "画像を処理する"},
               {QDialog::Rejected, 253, "画像を処理する"}};  // closing the dialog: junior
  for (const Case& c : cases) {
    ASSERT_TRUE(Start(c.answer));
    EXPECT_EQ(app->Mode(), c.mode);
    const QWidget* paletteFrame = app->Palette()->parentWidget();
    while (paletteFrame && paletteFrame->objectName() != QStringLiteral("CMaindlgFrame"))
      paletteFrame = paletteFrame->parentWidget();
    ASSERT_NE(paletteFrame, nullptr);
    EXPECT_EQ(paletteFrame->windowTitle(), QString::fromUtf8(c.paletteTitle));
    EXPECT_EQ(ui.dialogNames.last(), QStringLiteral("250"));
    EXPECT_EQ(Frame().MenuId(), 254);
    // With an image open the menus follow the mode.
    ASSERT_TRUE(OpenComposed(inf));
    const bool junior = c.mode == 253;
    EXPECT_EQ(Frame().MenuId(), c.mode);
    EXPECT_EQ(MenuTitles(Frame()).contains(QStringLiteral("処理(&P)")), junior);
    EXPECT_EQ(Frame().Action(32769)->text(), junior
                                                 ? QStringLiteral("部分指定で開く(&N)...\tCtrl+N")
                                                 : QStringLiteral("部分読み込み(&N)..."));
    app->CloseAllViews();
    EXPECT_EQ(Frame().MenuId(), 254);
    EXPECT_FALSE(Frame().ZoomBox()->isEnabled());
    app.reset();
  }

  // Each picture button of the welcome dialog answers a real click of the
  // mouse, never the keyboard.
  CWelcomeDlg dialog(messenger);
  ASSERT_NE(dialog.Button(287), nullptr);
  ASSERT_NE(dialog.Button(288), nullptr);
  EXPECT_FALSE(messenger.Has(61292));  // every picture is there
  // Each picture button answers a real click of the mouse.
  for (int id : {287, 288}) {
    dialog.setResult(0);
    QTest::mouseClick(dialog.Button(id), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_EQ(dialog.result(), id);
  }
  // The picture buttons cannot be worked from the keyboard.
  dialog.setResult(0);
  QTest::keyClick(dialog.Button(288), Qt::Key_Space);
  EXPECT_EQ(dialog.result(), 0);
}

TEST_F(StartedTest, SecondCopyReportsAndLeavesTheFirstAlone) {
  RecordingMessenger secondMessages;
  ScriptedUi secondUi;
  {
    CKiriApp second(secondMessages, secondUi);
    EXPECT_FALSE(second.InitInstance(Options()));
    EXPECT_EQ(secondMessages.LastId(), kMsgAlreadyRunning);
    EXPECT_EQ(secondUi.dialogNames.size(), 0);  // no welcome for the second copy
  }
  // The first still holds the lock and keeps working.
  const std::string inf = WriteScene(dir, "s", 8, 6, 3, 1);
  EXPECT_TRUE(OpenComposed(inf));
  CKiriApp third(secondMessages, secondUi);
  EXPECT_FALSE(third.InitInstance(Options()));
  app.reset();
  // Once the first ends, a new copy starts.
  secondUi.dialogs.push_back(Answer(288));
  CKiriApp fourth(secondMessages, secondUi);
  EXPECT_TRUE(fourth.InitInstance(Options()));
}

TEST_F(GuiTest, WorkingFolderThatIsALinkIsRefused) {
  std::filesystem::create_directories(dir / "elsewhere");
  ::lumora::test::WriteFile(dir / "elsewhere/precious.txt", "mine");
  std::filesystem::create_directories(dir / "cache/lumora");
  std::filesystem::create_directory_symlink(dir / "elsewhere", dir / "cache/lumora/temp");
  EXPECT_FALSE(Start());
  EXPECT_TRUE(messenger.Has(kMsgUnsafeWorkDir));
  EXPECT_TRUE(::lumora::test::FileExists(dir / "elsewhere/precious.txt"));
}

TEST_F(StartedTest, MainFrameLayoutAndPalette) {
  CMainFrame& f = Frame();
  EXPECT_EQ(f.size(), QSize(320, 230));
  EXPECT_EQ(f.minimumSize(), f.maximumSize());
  EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(MenuTitles(f), (QStringList{"ファイル(&F)", "ヘルプ(&H)"}));

  // Every button and the zoom box find room in the frame's fixed width.
  auto* analysis = f.findChild<QToolBar*>(QString::number(kIdToolBarAnalysis));
  ASSERT_NE(analysis, nullptr);
  f.show();
  QCoreApplication::processEvents();
  EXPECT_LE(analysis->geometry().right(), f.width());
  EXPECT_EQ(analysis->geometry().top(), f.ToolBar(0)->geometry().top());
  EXPECT_TRUE(f.ZoomBox()->isVisible());
  EXPECT_FALSE(f.ZoomBox()->isEnabled());
  EXPECT_FALSE(f.ZoomLabel()->isEnabled());
  EXPECT_EQ(f.ZoomBox()->currentIndex(), -1);

  // No image: only the always-enabled commands.
  for (int id : f.CommandIds()) {
    const bool always = id == 32778 || id == 32870 || id == 57665 || id == 57664 || id == 57606 ||
                        id == 32890 || (id >= 57666 && id <= 57670);  // lessons, help
    EXPECT_EQ(f.Action(id)->isEnabled(), always) << id;
  }

  // A long prompt does not push the coordinate panes off the frame, and
  // each shows its widest text whole, inside the status bar.
  f.SetStatusText(0, QStringLiteral("選択した画像の明るさを自動的に調整します．長い説明文です．"));
  const QString widest[] = {QStringLiteral("X=5555.5"), QStringLiteral("y=99999")};
  for (int pane = 1; pane <= 2; ++pane) {
    auto* label = f.findChild<QLabel*>(QStringLiteral("pane%1").arg(pane));
    for (const QString& text : widest) {
      label->setText(text);
      f.statusBar()->layout()->activate();
      EXPECT_GE(label->contentsRect().width() - label->indent(),
                label->fontMetrics().horizontalAdvance(text));
      const QRect inBar(label->mapTo(f.statusBar(), QPoint(0, 0)), label->size());
      EXPECT_LT(inBar.right(), f.statusBar()->width() - 1) << pane;
      EXPECT_EQ(f.statusBar()->mapTo(&f, QPoint(f.statusBar()->width(), 0)).x(), f.width());
    }
  }

  // The palette: its buttons wait for an image; the legends start shown.
  f.SetStatusText(0, QString());
  COperationDlg& palette = *app->Palette();
  EXPECT_FALSE(messenger.Has(kMsgResourceFailed));
  for (int id : {289, 290, 291, 210, 211}) EXPECT_FALSE(palette.Button(id)->isEnabled()) << id;
  EXPECT_TRUE(palette.Button(211)->Latched());  // legends start shown
  EXPECT_TRUE(app->LegendVisible());

  ASSERT_TRUE(OpenComposed(WriteScene(dir, "p", 8, 8, 3, 1)));
  EXPECT_TRUE(palette.Button(210)->isEnabled());
  PressPalette(210);
  EXPECT_FALSE(app->LegendVisible());
  EXPECT_TRUE(palette.Button(210)->Latched());
  EXPECT_FALSE(palette.Button(211)->Latched());
  EXPECT_EQ(palette.Button(211)->CurrentPicture(), 'U');

  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(palette.Button(291), &enter);
  EXPECT_EQ(Frame().StatusText(0), QStringLiteral("DEMを用いて各種処理をします．"));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(palette.Button(291), &leave);
  EXPECT_EQ(Frame().StatusText(0), QString());

  palette.InFront()->setChecked(true);
  EXPECT_TRUE(Frame().windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(Frame().size(), QSize(320, 230));  // still fixed
}

TEST_F(StartedTest, RecentFilesKeepFourNewestFirst) {
  std::vector<std::string> scenes;
  for (int i = 0; i < 5; ++i) {
    scenes.push_back(WriteScene(dir, Format("r%d", i), 4, 4, 1, 1, 1));
    ASSERT_TRUE(Open(scenes.back()));  // processed: no dialog
  }
  const QStringList recent = Frame().RecentFiles();
  ASSERT_EQ(recent.size(), 4);
  EXPECT_TRUE(recent[0].endsWith("r4.inf"));
  EXPECT_TRUE(recent[3].endsWith("r1.inf"));
  app.reset();
  ASSERT_TRUE(Start());  // read back from the settings
  EXPECT_EQ(Frame().RecentFiles(), recent);
  Frame().findChild<QAction*>(QStringLiteral("57619"))->trigger();
  ASSERT_NE(View(), nullptr);
  EXPECT_EQ(View()->Session().OpenedPath(), recent[3].toStdString());
}

// Where the program looks for its sample scenes and help pages: below the
// install prefix when installed, beside itself in the build tree.
TEST(DataFolder, InstalledBelowThePrefixElseBesideTheProgram) {
  ::lumora::test::TempDir dir;
  std::filesystem::create_directories(dir.path() / "usr/bin");
  std::filesystem::create_directories(dir.path() / "usr/share/lumora/help/ja");
  std::filesystem::create_directories(dir.path() / "build/bin/help");
  // An installed tree without help pages is not taken for the data folder.
  std::filesystem::create_directories(dir.path() / "half/bin");
  std::filesystem::create_directories(dir.path() / "half/share/lumora/samples");
  const QString data = QStringLiteral("../share/lumora");
  struct Case {
    std::string program;
    QString fromProgram;
    std::string expected;
  } cases[] = {
      {"usr/bin", data, "usr/share/lumora"},
      {"build/bin", data, "build/bin"},
      {"half/bin", data, "half/bin"},
      {"usr/bin", QString(), "usr/bin"},
  };
  for (const Case& c : cases) {
    const QString program = QString::fromStdString(dir / c.program);
    EXPECT_EQ(StartupOptions::DataFolder(program, c.fromProgram).toStdString(), dir / c.expected)
        << c.program;
  }
}

TEST(ProgressWindow, RepaintsOnlyWhenTheNumberOrTheBarMoves) {
  CProgressDlg dialog;
  Progress progress(&dialog);
  progress.Create(0, "フィルタリング中");
  EXPECT_TRUE(dialog.isVisible());
  const int rows = 20000;
  for (int r = 0; r < rows; ++r) progress.SetProgress(static_cast<float>(r) / rows);
  // A percentage step or a bar pixel each: far fewer than one per row.
  EXPECT_LT(dialog.Repaints(), 400);
  EXPECT_GE(dialog.Repaints(), 99);
  EXPECT_EQ(dialog.Percentage(), QStringLiteral(" 99"));
  EXPECT_GT(dialog.Fraction(), 0.999f);  // the bar keeps the exact value
  // A new action text shows even when the number stays.
  const int before = dialog.Repaints();
  progress.Create(0, "書き込み中");
  progress.SetProgress(0.0f);
  progress.SetProgress(0.0f);
  EXPECT_EQ(dialog.ActionText(), QStringLiteral("書き込み中"));
  EXPECT_EQ(dialog.Percentage(), QStringLiteral("  0"));
  EXPECT_LE(dialog.Repaints(), before + 1);
  progress.Close();
  EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace lumora::gui::test
