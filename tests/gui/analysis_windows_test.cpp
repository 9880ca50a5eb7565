// The analysis windows: profiles dragged over the image and saved as text,
// and the scatter plot with its picture, saved page and printout, each
// compared with what lumora-cli writes for the same image.
#include <QScrollBar>

#include "core/support/string_table.h"
#include "gui/windows/profile_dlg.h"
#include "tests/gui/gui_harness.h"
#include "tests/support/cli_run.h"

namespace lumora::gui::test {
namespace {

using ::lumora::test::ReadFile;
using ::lumora::test::RunCli;

class AnalysisWindowsTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(Start());
    inf = dir / "tm.inf";
    const auto r = RunCli(dir, "sample --sensor tm --size 400x300 --seed 3 -o '" + inf + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(Open(inf, [](QDialog& d) { return Click(d, 1); }));
    View()->Frame()->resize(320, 240);
  }
  // The composition the window shows, as lumora-cli takes it.
  std::string RgbOption() {
    const DisplayState& s = View()->Session().State();
    return Format("--rgb %d,%d,%d", s.m_nRedBand + 1, s.m_nGreenBand + 1, s.m_nBlueBand + 1);
  }

  std::string inf;
  MouseDriver mouse{[this] { return View()->viewport(); }};
};

// Slanted drags at two zoom levels: each is held to its axis, shows its
// strip while the dialog is open, and saves what lumora-cli writes for the
// same row or column.
TEST_F(AnalysisWindowsTest, ProfileSavesWhatTheCommandLineWrites) {
  const struct {
    int level;
    QPoint scroll, from, to;
    const char* cli;  // the line in 1-based source pixels, worked by hand
  } cases[] = {
      // zoom 1: y = 40 + 1, x from 30 + 1 to 150 + 1
      {1, {0, 0}, {30, 40}, {150, 45}, "--row 41 --from 31 --to 151"},
      // zoom 2 scrolled by (100, 60): x = (20 + 100) / 2 + 1, y from 36 to (150 + 60) / 2 + 1
      {2, {100, 60}, {20, 10}, {26, 150}, "--column 61 --from 36 --to 106"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cli);
    app->OnZoomBox(c.level);
    View()->horizontalScrollBar()->setValue(c.scroll.x());
    View()->verticalScrollBar()->setValue(c.scroll.y());
    ASSERT_TRUE(Frame().Action(kCmdProfile)->isEnabled());
    Frame().Action(kCmdProfile)->trigger();
    ASSERT_EQ(View()->SelectKindArmed(), CKiriView::kSelectProfile);
    const QImage plain = View()->viewport()->grab().toImage();
    const std::string saved = dir / Format("profile%d.txt", n);
    const std::string expected = dir / Format("expected%d.txt", n++);
    bool stripShown = false;
    ui.dialogs.push_back([&](QDialog& d) {
      EXPECT_EQ(d.objectName(), QStringLiteral("395"));
      stripShown = View()->ProfileShown();
      const QImage shown = View()->viewport()->grab().toImage();
      // The strip is black where no value is plotted, over the image.
      EXPECT_EQ(shown.pixelColor(105, 105), QColor(Qt::black));
      EXPECT_NE(shown, plain);
      return Click(d, 1);
    });
    ui.saveNames.push_back(QString::fromStdString(saved));
    mouse.Drag(c.from, c.to);
    mouse.Send(QEvent::MouseButtonRelease, c.to);
    EXPECT_TRUE(stripShown);
    EXPECT_FALSE(View()->ProfileShown());
    EXPECT_EQ(View()->viewport()->grab().toImage(), plain);
    const auto r = RunCli(
        dir, "profile '" + inf + "' " + c.cli + " " + RgbOption() + " -o '" + expected + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(saved), ReadFile(expected));
  }
  EXPECT_TRUE(messenger.entries.empty());
}

}  // namespace
}  // namespace lumora::gui::test
