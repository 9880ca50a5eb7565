// What changed: the lakes and their later date open side by side; the
// change dialog offers the other window, refuses what cannot be compared,
// and the result is what lumora-cli change writes, with its areas in the
// legend; undo takes it back.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <filesystem>

#include "core/analysis/change_map.h"
#include "core/support/band_expression.h"
#include "gui/analysis/change_dlg.h"
#include "gui/analysis/ramp_legend_dlg.h"
#include "gui/view/kiri_view.h"
#include "tests/gui/gui_harness.h"
#include "tests/support/cli_run.h"

namespace lumora::gui::test {
namespace {

namespace fs = std::filesystem;
using ::lumora::test::ReadFile;
using ::lumora::test::RunCli;

TEST_F(GuiTest, ChangeBetweenTwoDatesIsWhatTheCommandLineWritesAndUndoTakesItBack) {
  if (!BandExpression::Available()) GTEST_SKIP() << "built without muParser";
  ASSERT_TRUE(Start());
  const std::string earlier = dir / "tm/lakes.inf", later = dir / "tm/lakes-later.inf";
  ASSERT_EQ(
      RunCli(dir, "sample --sensor tm --size 96x64 --seed 7 --date 2 -o '" + later + "'").status,
      0);
  ASSERT_TRUE(Open(later, [](QDialog& d) { return Click(d, 1); }));
  ASSERT_TRUE(OpenTmSample(earlier, "96x64", 7));
  CKiriView* view = View();
  ASSERT_TRUE(app->IsEnabled(kCmdChange));

  // The later window is offered; the same picture twice is refused with why.
  ui.dialogs.push_back([&](QDialog& d) {
    auto* laterBox = Find<QComboBox>(d, kChangeLater);
    auto* why = Find<QLabel>(d, kChangeWhy);
    EXPECT_EQ(laterBox->count(), 1);
    EXPECT_TRUE(laterBox->currentText().contains(QStringLiteral("2009-08-01")));
    EXPECT_TRUE(why->text().isEmpty()) << why->text().toStdString();
    ui.openNames.push_back(QString::fromStdString(earlier));
    Click(d, kChangeChooseFile);
    EXPECT_EQ(laterBox->count(), 2);
    EXPECT_FALSE(why->text().isEmpty());
    Click(d, 1);  // OK keeps the dialog
    EXPECT_EQ(d.result(), 0);
    laterBox->setCurrentIndex(0);
    EXPECT_TRUE(why->text().isEmpty());
    Find<QDoubleSpinBox>(d, kChangeThreshold)->setValue(0.2);
    return Click(d, 1);
  });
  app->OnCommand(kCmdChange);
  ASSERT_EQ(ui.dialogNames.last(), QString::number(kChangeTemplate));

  const std::string cli = dir / "cli.inf";
  const auto run = RunCli(dir, "change '" + earlier + "' '" + later +
                                   "' --index ndvi --threshold 0.2 -o '" + cli + "'");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string shown = view->Session().CurrentPath();
  ASSERT_NE(shown, earlier);
  const auto base = [](const std::string& inf) { return inf.substr(0, inf.size() - 4); };
  for (const char* suffix : {".b01", ".r01", ".d01", ".ndv", ".inf"})
    EXPECT_EQ(ReadFile(base(shown) + suffix), ReadFile(base(cli) + suffix)) << suffix;

  auto* legend = qobject_cast<CRampLegendDlg*>(view->LegendWindow());
  ASSERT_NE(legend, nullptr);
  ChangeCounts counts;
  ASSERT_TRUE(ParseChangeCounts(ReadFile(base(cli) + ".ndv"), counts));
  EXPECT_TRUE(Find<QLabel>(*legend, kRampChangeLabel)
                  ->text()
                  .endsWith(QString::fromStdString(
                      ChangeAreaText(counts, view->Session().Settings().lengthPerPixel))));

  app->OnCommand(57643);  // undo
  EXPECT_EQ(view->Session().CurrentPath(), earlier);
  EXPECT_EQ(view->LegendWindow(), nullptr);
  EXPECT_FALSE(fs::exists(shown));
}

}  // namespace
}  // namespace lumora::gui::test
