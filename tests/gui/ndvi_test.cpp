#include <QCheckBox>
#include <QComboBox>
#include <QMouseEvent>
#include <filesystem>

#include "gui/analysis/ndvi_dlg.h"
#include "gui/analysis/ramp_legend_dlg.h"
#include "gui/app/operation_dlg.h"
#include "gui/widgets/bitmap_button.h"
#include "tests/gui/gui_harness.h"
#include "tests/support/cli_run.h"

namespace lumora::gui::test {
namespace {

namespace fs = std::filesystem;

class NdviTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(Start());
    inf = dir / "tm/scene.inf";
    ASSERT_TRUE(OpenTmSample(inf, "96x64", 3));
    original = View()->Picture();
  }
  // The TM preset in rainbow colours, then OK.
  static DialogScript ChooseTm() {
    return [](QDialog& d) {
      EXPECT_FALSE(Find<QWidget>(d, kNdviAsterButton)->isEnabled());
      EXPECT_FALSE(Find<QWidget>(d, kNdviMssButton)->isEnabled());
      EXPECT_TRUE(Find<QWidget>(d, kNdviTmButton)->isEnabled());
      Click(d, kNdviTmButton);
      EXPECT_EQ(Find<QComboBox>(d, kNdviXCombo)->currentData().toInt(), 4);
      EXPECT_EQ(Find<QComboBox>(d, kNdviYCombo)->currentData().toInt(), 3);
      Find<QCheckBox>(d, kNdviRainbowBox)->setChecked(true);
      return Click(d, 1);
    };
  }
  std::string inf;
  QImage original;
};

TEST_F(NdviTest, PaletteRunWritesWhatTheCommandLineWritesAndUndoTakesItBack) {
  COperationDlg& palette = *app->Palette();
  ASSERT_TRUE(palette.Button(289)->isEnabled());
  ui.dialogs.push_back(ChooseTm());
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(palette.Button(289), &press);
  ASSERT_EQ(ui.dialogNames.last(), QStringLiteral("267"));
  ASSERT_EQ(messenger.entries.size(), 1u);  // the Yes/No question only
  EXPECT_EQ(messenger.entries[0].title, "確認");

  const std::string cliInf = dir / "cliout.inf";
  const auto run =
      ::lumora::test::RunCli(dir, "ndvi '" + inf + "' --x 4 --y 3 --rainbow -o '" + cliInf + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string base = View()->Session().CurrentPath();
  ASSERT_NE(base, inf);
  for (const char* suffix : {".b01", ".d01", ".ndv", ".inf"})
    EXPECT_EQ(::lumora::test::ReadFile(base.substr(0, base.size() - 4) + suffix),
              ::lumora::test::ReadFile(cliInf.substr(0, cliInf.size() - 4) + suffix))
        << suffix;

  EXPECT_EQ(View()->Session().State().m_nFileState, 1);
  auto* legend = qobject_cast<CRampLegendDlg*>(View()->LegendWindow());
  ASSERT_NE(legend, nullptr);
  EXPECT_TRUE(legend->isVisible());
  EXPECT_FALSE(palette.Button(289)->isEnabled());  // a result is not indexed again
  EXPECT_EQ(app->ToolDialog(), nullptr);

  app->OnCommand(57643);
  EXPECT_EQ(View()->Picture(), original);
  EXPECT_EQ(View()->LegendWindow(), nullptr);
  EXPECT_EQ(View()->Session().CurrentPath(), inf);
  EXPECT_FALSE(fs::exists(base));
  EXPECT_TRUE(palette.Button(289)->isEnabled());
}

}  // namespace
}  // namespace lumora::gui::test
