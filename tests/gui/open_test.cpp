#include <QCheckBox>
#include <QRadioButton>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "core/support/string_table.h"
#include "gui/app/operation_dlg.h"
#include "gui/imagefile/image_create_dlg.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

class OpenTest : public StartedTest {
 protected:
  std::string TitleOfActive() {
    return View() ? View()->Frame()->windowTitle().toStdString() : std::string();
  }
};

TEST_F(OpenTest, EachPresetComposesItsBandsAndASingleBandItsRainbow) {
  struct Case {
    int sensor;
    int preset;
    const char* rgb;
    std::vector<int> offered;
  } cases[] = {
      {1, 305, "(R,G,B)=(5,4,2)", {305, 306, 307}}, {1, 306, "(R,G,B)=(4,3,2)", {305, 306, 307}},
      {1, 307, "(R,G,B)=(3,2,1)", {305, 306, 307}}, {0, 303, "(R,G,B)=(4,3,2)", {302, 303}},
      {0, 302, "(R,G,B)=(3,2,1)", {302, 303}},      {2, 304, "(R,G,B)=(3,2,1)", {304}},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string inf = WriteScene(dir, Format("p%d", n++), 12, 10, 7, c.sensor);
    std::vector<int> enabled;
    ASSERT_TRUE(Open(inf, [&](QDialog& d) {
      for (int id = 302; id <= 307; ++id)
        if (Find(d, id)->isEnabled()) enabled.push_back(id);
      Find<QAbstractButton>(d, c.preset)->click();
      return Click(d, 1);
    }));
    EXPECT_EQ(enabled, c.offered) << c.preset;
    EXPECT_NE(TitleOfActive().find(c.rgb), std::string::npos) << TitleOfActive();
  }
  EXPECT_EQ(app->Views().size(), 6u);

  // A single band in rainbow colours.
  const std::string inf = WriteScene(dir, "s", 16, 8, 3, 1);
  ASSERT_TRUE(Open(inf, [](QDialog& d) {
    Find<QRadioButton>(d, 309)->click();
    EXPECT_TRUE(Find(d, 162)->isHidden());
    EXPECT_FALSE(Find(d, 320)->isHidden());
    EXPECT_FALSE(Find(d, 307)->isEnabled());
    Find<QComboBox>(d, 159)->setCurrentIndex(1);
    Find<QCheckBox>(d, 320)->setChecked(true);
    return Click(d, 1);
  }));
  const DisplayState& s = View()->Session().State();
  EXPECT_TRUE(s.m_bSingleBand);
  EXPECT_TRUE(s.m_bRainbow);
  EXPECT_EQ(s.m_nRedBand, 1);
  EXPECT_EQ(s.m_nBlueBand, 1);
  EXPECT_TRUE(Frame().Action(32859)->isEnabled());  // rainbow reversal

  // Rainbow chosen, then back to several bands: no rainbow, and the dialog
  // on screen keeps its size.
  ASSERT_TRUE(Open(inf, [](QDialog& d) {
    d.show();
    QCoreApplication::processEvents();
    const QSize size = d.size();
    Find<QRadioButton>(d, 309)->click();
    Find<QCheckBox>(d, 320)->setChecked(true);
    QCoreApplication::processEvents();
    Find<QRadioButton>(d, 308)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(d.size(), size);
    EXPECT_TRUE(Find(d, 320)->isHidden());
    EXPECT_TRUE(Find(d, 307)->isEnabled());  // TM 3, 2, 1: bands the image has
    return Click(d, 1);
  }));
  EXPECT_FALSE(View()->Session().State().m_bRainbow);
  EXPECT_FALSE(Frame().Action(32859)->isEnabled());
}

// The open dialog starts in the samples, then where the last image came
// from; the save, export and partial-open dialogs beside the picture shown,
// never in the working folder of a processed result.
TEST_F(OpenTest, FileDialogsStartWhereThePicturesAre) {
  ui.openNames.push_back({});  // cancelled
  app->OnCommand(kCmdOpen);
  EXPECT_TRUE(ui.lastOpenFolder.endsWith("samples"));
  std::filesystem::create_directories(dir / "pupil");
  ASSERT_TRUE(OpenComposed(WriteScene(dir, "pupil/lake", 40, 30, 3, 1)));
  const QString folder = QString::fromStdString(dir / "pupil");
  ui.openNames.push_back({});
  app->OnCommand(kCmdOpen);
  EXPECT_EQ(ui.lastOpenFolder, folder);
  messenger.answers = {true};
  ui.dialogs.push_back([](QDialog& d) {
    Find<QComboBox>(d, 351)->setCurrentIndex(4);
    return Click(d, 1);
  });
  app->OnCommand(kCmdFilter);
  ASSERT_NE(View()->Session().CurrentPath(), View()->Session().OpenedPath());
  const struct {
    const char* name;
    std::function<void()> run;
  } saves[] = {
      {"save as", [this] { app->OnCommand(kCmdSaveAs); }},
      {"export", [this] { app->OnCommand(kCmdExport); }},
      {"partial open",
       [this] {
         app->OnCommand(kCmdOpenPart);
         mouse.Stroke({2, 2}, {20, 15});
       }},
  };
  for (const auto& s : saves) {
    ui.lastSaveFolder.clear();
    s.run();
    EXPECT_EQ(ui.lastSaveFolder, folder) << s.name;
  }
}

TEST_F(OpenTest, NothingOpensOnCancelOrBadFilesAndAShortBandAsks) {
  ui.openNames.push_back({});  // the file dialog is cancelled
  app->OnCommand(32778);
  const std::string inf = WriteScene(dir, "x", 8, 8, 3, 1);
  EXPECT_FALSE(Open(inf, Answer(QDialog::Rejected)));
  EXPECT_FALSE(Open(dir / "missing.inf"));
  EXPECT_EQ(messenger.LastId(), kMsgOpenFailed);
  ::lumora::test::WriteFile(dir / "bad.inf", "LINE = 8\nPIXEL = 8\nLeftTop_Lat = 95\n");
  EXPECT_FALSE(Open(dir / "bad.inf"));
  EXPECT_EQ(messenger.LastId(), kMsgBadInf);
  ::lumora::test::WriteFile(dir / "empty.inf", "LINE = 0\nPIXEL = 8\n");
  EXPECT_FALSE(Open(dir / "empty.inf"));
  EXPECT_EQ(messenger.LastId(), kMsgBadImageSize);
  // A processed image whose band file is gone opens no empty window.
  const std::string gone = WriteScene(dir, "g", 8, 8, 3, 1, 2);
  std::remove((dir / "g.b02").c_str());
  EXPECT_FALSE(Open(gone));
  EXPECT_EQ(messenger.LastId(), kMsgOpenFailed);
  // A band the image lacks shows as unknown; OK names its file and stays open.
  EXPECT_FALSE(Open(WriteScene(dir, "two", 8, 8, 2, 1), [&](QDialog& d) {
    auto* red = Find<QComboBox>(d, 162);
    EXPECT_EQ(red->currentIndex(), -1);  // band 3 is not there
    EXPECT_EQ(red->placeholderText(), QStringLiteral("UNKOWN BAND"));
    EXPECT_EQ(Click(d, 1), QDialog::Rejected);
    EXPECT_EQ(messenger.entries.back().text,
              std::string(MessageText(kMsgOpenFailed)) + "\n" + (dir / "two.b03"));
    return Click(d, 2);
  }));
  // A band of the wrong size asks once: No keeps the dialog open, Yes opens.
  const std::string shortBand = WriteScene(dir, "short", 8, 8, 3, 1);
  ::lumora::test::WriteFile(dir / "short.b02", std::string(63, '\x10'));
  messenger.answers = {false};
  EXPECT_FALSE(Open(shortBand, [&](QDialog& d) {
    EXPECT_EQ(Click(d, 1), QDialog::Rejected);
    return Click(d, 2);
  }));
  EXPECT_EQ(messenger.LastId(), kMsgSizeMismatch);
  EXPECT_TRUE(app->Views().empty());
  EXPECT_EQ(Frame().MenuId(), 254);
  messenger.entries.clear();
  messenger.answers = {true};
  ASSERT_TRUE(OpenComposed(shortBand));
  EXPECT_EQ(messenger.entries.size(), 1u);
}

// A reopen takes the stored path and composition without asking; the
// commands follow the active image.
TEST_F(OpenTest, ReopenTakesItsCompositionAndCommandsFollowTheActiveImage) {
  const std::string inf = WriteScene(dir, "part", 10, 6, 5, 1);
  OpenRequest request = ComposeOnOpen(inf, ImageSettings{});
  request.composition.red = 5;
  request.composition.green = 4;
  request.composition.blue = 2;
  request.rainbowReversed = true;
  app->SetReopen(request);
  app->OnCommand(32778);
  ASSERT_NE(View(), nullptr);  // no composition dialog: teardown counts any
  EXPECT_NE(TitleOfActive().find("(1,1)-(10,6) (R,G,B)=(5,4,2)"), std::string::npos);
  EXPECT_TRUE(View()->Session().State().m_bRainbowReversed);
  // The next open asks again.
  EXPECT_TRUE(OpenComposed(inf));
  EXPECT_FALSE(View()->Session().State().m_bRainbowReversed);

  // The commands follow the active image.
  EXPECT_TRUE(Frame().Action(32798)->isEnabled());   // filter
  EXPECT_TRUE(Frame().Action(32830)->isEnabled());   // export
  EXPECT_FALSE(Frame().Action(57643)->isEnabled());  // undo right after opening
  app->SetToolDialog(&Frame());
  EXPECT_FALSE(Frame().Action(32798)->isEnabled());
  EXPECT_TRUE(Frame().Action(101)->isEnabled());  // zoom stays
  app->SetToolDialog(nullptr);
  // A click on the palette makes it the active window: the image commands
  // wait (the DN window's does not ask for it) until the image is clicked.
  for (QWidget* target :
       {static_cast<QWidget*>(app->Palette()), static_cast<QWidget*>(app->Palette()->InFront())}) {
    QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_FALSE(app->ImageViewActive());
    EXPECT_FALSE(Frame().Action(32798)->isEnabled());
    EXPECT_FALSE(Frame().Action(32830)->isEnabled());
    EXPECT_TRUE(Frame().Action(32775)->isEnabled());
    QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_TRUE(app->ImageViewActive());
    EXPECT_TRUE(Frame().Action(32798)->isEnabled());
  }
  app->Palette()->InFront()->setChecked(false);
  app->CloseAllViews();
  EXPECT_FALSE(Frame().Action(32798)->isEnabled());
  EXPECT_EQ(app->ActiveView(), nullptr);
}

}  // namespace
}  // namespace lumora::gui::test
