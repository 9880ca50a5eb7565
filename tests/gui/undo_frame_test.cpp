// Undo after any step a pupil can take back leaves the image window as it
// was: its place, its size and its scroll bars.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>

#include "gui/analysis/land_cover_dlg.h"
#include "gui/analysis/ndvi_dlg.h"
#include "gui/radiometry/brightness_dlg.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

class UndoFrameTest : public GuiTest {
 protected:
  struct Shape {
    QRect frame;
    bool horizontal = false, vertical = false;
    QPoint scroll;
    bool operator==(const Shape&) const = default;
    friend void PrintTo(const Shape& s, std::ostream* os) {
      *os << s.frame.x() << "," << s.frame.y() << " " << s.frame.width() << "x" << s.frame.height()
          << " bars " << s.horizontal << s.vertical << " at " << s.scroll.x() << ","
          << s.scroll.y();
    }
  };
  Shape Now() {
    CKiriView& v = *View();
    return {v.Frame()->geometry(), v.horizontalScrollBar()->isVisible(),
            v.verticalScrollBar()->isVisible(), v.ScrollPosition()};
  }
};

TEST_F(UndoFrameTest, EveryStepUndoneKeepsTheWindowsSizeAndScrollBars) {
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

  const struct {
    const char* name;
    std::function<void()> run;
  } steps[] = {
      {"filter",
       [this] {
         ui.dialogs.push_back([](QDialog& d) {
           Find<QComboBox>(d, 351)->setCurrentIndex(4);
           return Click(d, 1);
         });
         app->OnCommand(kCmdFilter);
       }},
      {"vegetation index",
       [this] {
         ui.dialogs.push_back([](QDialog& d) {
           Click(d, kNdviTmButton);
           return Click(d, 1);
         });
         app->OnCommand(kCmdVegetation);
       }},
      {"classification",
       [this] {
         app->OnCommand(kCmdClassify);
         ASSERT_NE(View()->LandCoverDialog(), nullptr);
         Click(*View()->LandCoverDialog(), 1);
         QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
       }},
      {"brightness",
       [this] {
         ui.dialogs.push_back([](QDialog& d) {
           auto* edit = Find<QLineEdit>(d, kInputHighEdit);
           edit->setText(QStringLiteral("120"));
           emit edit->editingFinished();
           return Click(d, 1);
         });
         app->OnCommand(kCmdBrightness);
       }},
      {"equalise", [this] { app->OnCommand(kCmdSmooth); }},
      {"automatic", [this] { app->OnCommand(kCmdAutoBrightness); }},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    const Shape before = Now();
    ASSERT_TRUE(before.horizontal && before.vertical);
    messenger.answers = {true};
    step.run();
    ASSERT_NE(View()->Picture(), original);
    EXPECT_EQ(Now(), before);
    ASSERT_TRUE(app->IsEnabled(kCmdUndo));
    app->OnCommand(kCmdUndo);
    EXPECT_EQ(View()->Picture(), original);
    EXPECT_EQ(Now(), before);  // place, size, both scroll bars and their position
    EXPECT_FALSE(app->IsEnabled(kCmdUndo));
  }
}

}  // namespace
}  // namespace lumora::gui::test
