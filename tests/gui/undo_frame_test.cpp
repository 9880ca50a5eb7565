// Every step a pupil can take back: the result is shown while the program
// asks, is what lumora-cli writes for the same choice, and undo leaves the
// image window as it was (picture, place, size, scroll bars, commands) and
// takes the working files away.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>

#include "core/support/file_set.h"
#include "gui/analysis/land_cover_dlg.h"
#include "gui/analysis/ndvi_dlg.h"
#include "gui/app/operation_dlg.h"
#include "gui/radiometry/brightness_dlg.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/map_page_checks.h"

namespace lumora::gui::test {
namespace {

class UndoFrameTest : public GuiTest {
 protected:
  struct Shape {
    QRect frame;
    bool horizontal = false, vertical = false;
    QPoint scroll;
    QList<bool> enabled;
    bool operator==(const Shape&) const = default;
  };
  Shape Now() {
    CKiriView& v = *View();
    QList<bool> enabled;
    for (int id : Frame().CommandIds()) enabled << app->IsEnabled(id);
    return {v.Frame()->geometry(), v.horizontalScrollBar()->isVisible(),
            v.verticalScrollBar()->isVisible(), v.ScrollPosition(), enabled};
  }
};

TEST_F(UndoFrameTest, EveryStepIsWhatTheCommandLineWritesAndUndoKeepsTheWindow) {
  ASSERT_TRUE(Start());
  const std::string inf = dir / "tm/scene.inf";
  ASSERT_TRUE(OpenTmSample(inf, "320x240", 5));
  // Classes to train with, found beside the image when the dialog opens.
  ::lumora::test::WriteFile(dir / "tm/scene.mlk",
                            "1\n2\n3\n2\n1\n2\n2\n255   0 128    10    60    80    20 forest\n"
                            "  0   0 255     1     9     9     1 lake\n");
  View()->Frame()->resize(260, 180);
  View()->horizontalScrollBar()->setValue(30);
  View()->verticalScrollBar()->setValue(20);
  const QImage original = View()->Picture();
  COperationDlg& palette = *app->Palette();

  const struct {
    const char* name;
    std::function<void()> run;
    const char* command;  // what lumora-cli writes for it; compose gives the picture shown
    const char* options;
  } steps[] = {
      {"filter",
       [this] {
         ui.dialogs.push_back([](QDialog& d) {
           Find<QComboBox>(d, 351)->setCurrentIndex(4);
           return Click(d, 1);
         });
         app->OnCommand(kCmdFilter);
       },
       "filter", "--kind median"},
      {"vegetation index",
       [&] {
         ui.dialogs.push_back([](QDialog& d) {
           EXPECT_FALSE(Find<QWidget>(d, kNdviAsterButton)->isEnabled());
           EXPECT_FALSE(Find<QWidget>(d, kNdviMssButton)->isEnabled());
           Click(d, kNdviTmButton);
           EXPECT_EQ(Find<QComboBox>(d, kNdviXCombo)->currentData().toInt(), 4);
           EXPECT_EQ(Find<QComboBox>(d, kNdviYCombo)->currentData().toInt(), 3);
           Find<QCheckBox>(d, kNdviRainbowBox)->setChecked(true);
           return Click(d, 1);
         });
         PressPalette(289);
         ASSERT_NE(View()->LegendWindow(), nullptr);
         EXPECT_TRUE(View()->LegendWindow()->isVisible());
         EXPECT_FALSE(palette.Button(289)->isEnabled());  // a result is not indexed again
       },
       "ndvi", "--x 4 --y 3 --rainbow"},
      {"classification",
       [this] {
         app->OnCommand(kCmdClassify);
         ASSERT_NE(View()->LandCoverDialog(), nullptr);
         Click(*View()->LandCoverDialog(), 1);
         QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
       },
       nullptr, nullptr},
      {"brightness",
       [this] {
         ui.dialogs.push_back([](QDialog& d) {
           auto* edit = Find<QLineEdit>(d, kInputHighEdit);
           edit->setText(QStringLiteral("120"));
           emit edit->editingFinished();
           return Click(d, 1);
         });
         app->OnCommand(kCmdBrightness);
       },
       nullptr, nullptr},
      {"equalise", [this] { Frame().Action(kCmdSmooth)->trigger(); }, "compose",
       "--rgb 3,2,1 --stretch equalize"},
      {"automatic", [this] { Frame().Action(kCmdAutoBrightness)->trigger(); }, "compose",
       "--rgb 3,2,1 --stretch auto"},
  };
  int n = 0;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    const Shape before = Now();
    const int files = WorkFiles();
    ASSERT_TRUE(before.horizontal && before.vertical);
    // While the program asks, the result is shown and only the zoom works.
    int asked = 0, enabledWhileAsking = 0;
    messenger.whileAsking = [&] {
      ++asked;
      EXPECT_NE(View()->Picture(), original);
      for (int id :
           {int(kCmdFilter), int(kCmdExport), int(kCmdUndo), int(kCmdReverseRainbow), 101, 102})
        enabledWhileAsking += app->IsEnabled(id);
    };
    messenger.answers = {true};
    step.run();
    ASSERT_NE(View()->Picture(), original);
    EXPECT_EQ(enabledWhileAsking, 2 * asked);
    EXPECT_EQ(app->ToolDialog(), nullptr);
    const std::string result = View()->Session().CurrentPath();
    if (step.command) {
      const bool picture = std::string(step.command) == "compose";
      const std::string out = dir / Format("cli%d.%s", n++, picture ? "tif" : "inf");
      Cli(Format("%s '%s' %s -o '%s'", step.command, inf.c_str(), step.options, out.c_str()));
      if (picture) {
        EXPECT_EQ(View()->Picture().convertToFormat(QImage::Format_RGB888),
                  TiffPixels(::lumora::test::ReadFile(out), 320, 240));
      } else {
        EXPECT_GT(WorkFiles(), files);
        EXPECT_EQ(SetFiles(StripExtension(result)), SetFiles(StripExtension(out)));
      }
    }
    Shape after = Now();
    after.enabled = before.enabled;  // the result's commands are its own
    EXPECT_EQ(after, before);
    ASSERT_TRUE(app->IsEnabled(kCmdUndo));
    app->OnCommand(kCmdUndo);
    EXPECT_EQ(View()->Picture(), original);
    EXPECT_EQ(Now(), before);  // place, size, both scroll bars, their position, the commands
    EXPECT_EQ(View()->Session().CurrentPath(), inf);
    EXPECT_EQ(View()->LegendWindow(), nullptr);
    EXPECT_EQ(WorkFiles(), files);
  }
}

}  // namespace
}  // namespace lumora::gui::test
