#include <QCheckBox>
#include <algorithm>
#include <filesystem>

#include "core/support/string_table.h"
#include "gui/analysis/ramp_legend_dlg.h"
#include "gui/app/operation_dlg.h"
#include "gui/output/add_info_dlg.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

class LegendTest : public StartedTest {
 protected:
  // A vegetation-index result with its range file.
  std::string IndexResult(const std::string& name, const std::string& range =
                                                       "The Normalized Difference Vegetation "
                                                       "Index Intro File\n0.600000,0.200000\n") {
    const std::string inf =
        WriteScene(dir, name, 16, 12, 1, 1, 1, "Rainbow = 1\nSingle_Band = 1\n");
    ::lumora::test::WriteFile(dir / (name + ".ndv"), range);
    return inf;
  }
  CRampLegendDlg* Ramp() {
    return View() ? qobject_cast<CRampLegendDlg*>(View()->LegendWindow()) : nullptr;
  }
};

TEST_F(LegendTest, IndexResultShowsItsRangeFollowsThePaletteAndUnreadableRangesGiveNone) {
  ASSERT_TRUE(Open(IndexResult("n")));
  CRampLegendDlg* legend = Ramp();
  ASSERT_NE(legend, nullptr);
  EXPECT_TRUE(legend->isVisible());
  EXPECT_EQ(legend->LabelText(345), QStringLiteral("0.60"));
  EXPECT_EQ(legend->LabelText(346), QStringLiteral("0.40"));
  EXPECT_EQ(legend->LabelText(347), QStringLiteral("0.20"));
  // Rainbow: the top of the ramp is red, the bottom near black.
  const QImage shot = legend->grab().toImage();
  const QRect ramp = legend->RampRect();
  const QColor top = shot.pixelColor(ramp.center().x(), ramp.top() + 1);
  const QColor bottom = shot.pixelColor(ramp.center().x(), ramp.bottom() - 1);
  EXPECT_TRUE(top.red() == 255 && top.green() < 20 && top.blue() == 0) << top.name().toStdString();
  EXPECT_TRUE(bottom.red() == 0 && bottom.green() == 0 && bottom.blue() <= 10)
      << bottom.name().toStdString();
  // Brightness is off while a legend is shown, and while the palette hides it.
  const int offWithLegend[] = {kCmdBrightness, kCmdSmooth, kCmdAutoBrightness};
  for (int id : offWithLegend) EXPECT_FALSE(app->IsEnabled(id)) << id;

  PressPalette(210);
  EXPECT_FALSE(legend->isVisible());
  for (int id : offWithLegend) EXPECT_FALSE(app->IsEnabled(id)) << id;
  // A second image opened while legends are hidden keeps its legend hidden.
  ASSERT_TRUE(Open(IndexResult(
      "m", "The Normalized Difference Vegetation Index Intro File\n1.000000,-1.000000\n")));
  CRampLegendDlg* second = Ramp();
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(second->isVisible());
  PressPalette(211);
  EXPECT_TRUE(legend->isVisible());
  EXPECT_TRUE(second->isVisible());

  app->Palette()->InFront()->setChecked(true);
  EXPECT_TRUE(legend->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(legend->isVisible());
  app->Palette()->InFront()->setChecked(false);
  EXPECT_FALSE(second->windowFlags() & Qt::WindowStaysOnTopHint);

  // The legend's close box ends it: the commands it kept off come back and
  // the palette's show button does not bring it back.
  QPointer<CRampLegendDlg> watched = second;
  second->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(watched.isNull());
  EXPECT_EQ(View()->LegendWindow(), nullptr);
  for (int id : offWithLegend) {
    EXPECT_TRUE(app->IsEnabled(id)) << id;
    EXPECT_TRUE(Frame().Action(id)->isEnabled()) << id;
  }
  PressPalette(211);
  EXPECT_EQ(View()->LegendWindow(), nullptr);
  // Closing the image closes its legend.
  QPointer<CRampLegendDlg> first = legend;
  View()->CloseFrame();
  EXPECT_TRUE(legend->isVisible());
  View()->CloseFrame();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull());

  // Range files that cannot be read give no legend.
  const struct {
    const char* name;
    const char* range;  // nullptr: no file
    int message;
  } cases[] = {
      {"none", nullptr, kMsgOpenFailed},
      {"short", "The Normalized Difference Vegetation Index Intro File\n", kMsgBadNdvFile},
      {"comma", "header\n0.5 0.2\n", kMsgBadNdvFile},
  };
  for (const auto& c : cases) {
    const std::string inf = WriteScene(dir, c.name, 8, 8, 1, 1, 1);
    if (c.range) ::lumora::test::WriteFile(dir / (std::string(c.name) + ".ndv"), c.range);
    messenger.entries.clear();
    ASSERT_TRUE(Open(inf)) << c.name;
    EXPECT_EQ(View()->LegendWindow(), nullptr) << c.name;
    EXPECT_EQ(messenger.LastId(), c.message) << c.name;
  }

  // A range file gone while the window shows the map page: the page is
  // painted again and again without its legend and without a message box
  // in the middle of each paint.
  ASSERT_TRUE(Open(IndexResult("gone")));
  PageSettings page;
  page.annotations.showLegend = true;
  View()->ApplyAnnotations(page);
  std::filesystem::remove(dir / "gone.ndv");
  messenger.entries.clear();
  for (int i = 0; i < 2; ++i) View()->viewport()->grab();
  EXPECT_TRUE(messenger.entries.empty());
}

}  // namespace
}  // namespace lumora::gui::test
