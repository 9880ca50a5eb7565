#include <QAbstractButton>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <filesystem>

#include "core/analysis/elevation.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "gui/analysis/dem_legend_dlg.h"
#include "gui/analysis/dem_setting_dlg.h"
#include "gui/app/operation_dlg.h"
#include "paint/map_page_painter.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

namespace fs = std::filesystem;

class DemTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(Start());
    inf = dir / "tm/scene.inf";
    ASSERT_TRUE(OpenTmSample(inf, "96x64", 5));
    original = View()->Picture();
    frameSize = View()->Frame()->size();
  }
  // Replaces an angle's text by typing, as the user would.
  static void Type(QDialog& d, int id, const QString& text) {
    auto* edit = Find<CAngleEdit>(d, id);
    ASSERT_NE(edit, nullptr) << id;
    ASSERT_TRUE(edit->isEnabled()) << id;
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
  }
  std::string inf;
  QImage original;
  QSize frameSize;
};

TEST_F(DemTest, EveryKindWritesWhatTheCommandLineWritesAndUndoTakesItBack) {
  COperationDlg& palette = *app->Palette();
  const struct {
    int radio;
    const char* cli;  // lumora-cli dem options
    std::function<void(QDialog&)> setup;
  } cases[] = {
      {kDemRadioAbsolute, "--kind absolute", {}},
      {kDemRadioRelative, "--kind relative", {}},
      {kDemRadioShadeMono, "--kind shade --light-azimuth 300 --light-elevation 48",
       [](QDialog& d) {
         Type(d, kDemLightAzimuth, QStringLiteral("300"));
         // Three steps up from 45 with the arrow key.
         for (int i = 0; i < 3; ++i)
           QTest::keyClick(Find<CAngleEdit>(d, kDemLightElevation), Qt::Key_Up);
       }},
      {kDemRadioShadeAbsolute, "--kind shade-absolute --light-elevation 30",
       [](QDialog& d) { Type(d, kDemLightElevation, QStringLiteral("30")); }},
      {kDemRadioShadeRelative, "--kind shade-relative --light-azimuth 120.5",
       [](QDialog& d) { Type(d, kDemLightAzimuth, QStringLiteral("120.5")); }},
      {kDemRadioBirdsEye, "--kind birdseye --view-azimuth 200 --view-elevation 25 --exaggeration 3",
       [](QDialog& d) {
         Type(d, kDemViewAzimuth, QStringLiteral("200"));
         Type(d, kDemViewElevation, QStringLiteral("25"));
         Click(d, kDemRatio1 + 2);
       }},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cli);
    ui.dialogs.push_back([&c](QDialog& d) {
      EXPECT_TRUE(Find<QAbstractButton>(d, kDemRadioAbsolute)->isChecked());
      EXPECT_FALSE(Find<QWidget>(d, kDemLightAzimuth)->isEnabled());
      Click(d, c.radio);
      if (c.setup) c.setup(d);
      return Click(d, 1);
    });
    messenger.entries.clear();
    PressPalette(kIdPaletteDem);
    ASSERT_EQ(messenger.entries.size(), 1u);  // the question only

    const std::string cliInf = dir / Format("cli%d.inf", n++);
    Cli("dem '" + inf + "' " + c.cli + " -o '" + cliInf + "'");
    const std::string path = View()->Session().CurrentPath();
    const auto shown = SetFiles(StripExtension(path));
    const auto written = SetFiles(StripExtension(cliInf));
    EXPECT_GE(shown.size(), 4u);
    EXPECT_TRUE(shown == written);

    const bool birdsEye = c.radio == kDemRadioBirdsEye;
    auto* legend = qobject_cast<CDemLegendDlg*>(View()->LegendWindow());
    if (c.radio == kDemRadioShadeMono || birdsEye) {
      EXPECT_EQ(legend, nullptr);
    } else {
      // The legend shows the altitudes core computes for the result.
      ASSERT_NE(legend, nullptr);
      EXPECT_TRUE(legend->isVisible());
      DemLegendRange range;
      RecordingMessenger quiet;
      ASSERT_TRUE(
          ReadDemLegendRange(path, View()->Session().State().m_nFileState, 0, range, quiet));
      EXPECT_EQ(legend->LabelText(kDemLegendLow), QString::fromStdString(range.LowLabel()));
      EXPECT_EQ(legend->LabelText(kDemLegendHigh), QString::fromStdString(range.HighLabel()));
      EXPECT_NE(legend->LabelText(kDemLegendHigh), QStringLiteral("1000m"));
    }
    if (birdsEye) {
      // The window takes the 600 x 600 picture; a bird's-eye view is not
      // processed again.
      EXPECT_EQ(View()->Picture().size(), QSize(600, 600));
      EXPECT_NE(View()->Frame()->size(), frameSize);
      EXPECT_FALSE(palette.Button(kIdPaletteDem)->isEnabled());
      EXPECT_FALSE(app->IsEnabled(kCmdDem));
    }
    EXPECT_EQ(app->ToolDialog(), nullptr);

    app->OnCommand(kCmdUndo);
    EXPECT_EQ(View()->Picture(), original);
    EXPECT_EQ(View()->Frame()->size(), frameSize);
    EXPECT_EQ(View()->LegendWindow(), nullptr);
    EXPECT_EQ(View()->Session().CurrentPath(), inf);
    EXPECT_FALSE(fs::exists(path));
  }

  // A processed image may only be viewed from above, draped with its colours;
  // the view keeps the legend of what it drapes.
  ui.dialogs.push_back([](QDialog& d) {
    Click(d, kDemRadioRelative);
    return Click(d, 1);
  });
  app->OnCommand(kCmdDem);
  ASSERT_EQ(View()->Session().State().m_nFileState, 4);
  const std::string coloured = View()->Session().CurrentPath();
  auto* legend = qobject_cast<CDemLegendDlg*>(View()->LegendWindow());
  ASSERT_NE(legend, nullptr);
  const QString low = legend->LabelText(kDemLegendLow), high = legend->LabelText(kDemLegendHigh);
  // The legend as a printed page and the map page draw it.
  auto onPage = [](const CDemLegendDlg& l) {
    QImage page(400, 300, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    RecordingMessenger m;
    EXPECT_TRUE(l.DrawOnPage(p, LegendPagePlacement{200, 20, 0, 1.0}, m));
    return page;
  };
  const QImage printed = onPage(*legend);

  ui.dialogs.push_back([](QDialog& d) {
    EXPECT_TRUE(Find<QAbstractButton>(d, kDemRadioBirdsEye)->isChecked());
    for (int id :
         {kDemRadioAbsolute, kDemRadioRelative, kDemRadioShadeMono, kDemLightAzimuth, kDemRatio1})
      EXPECT_FALSE(Find<QWidget>(d, id)->isEnabled()) << id;
    EXPECT_TRUE(Find<QWidget>(d, kDemViewAzimuth)->isEnabled());
    Click(d, kDemRadioBirdsEye);
    Click(d, kDemRatio1 + 1);
    return Click(d, 1);
  });
  app->OnCommand(kCmdDem);
  ASSERT_EQ(View()->Session().State().m_nFileState, 5);
  const std::string cliInf = dir / "above.inf";
  Cli("dem '" + coloured + "' --kind birdseye --exaggeration 2 -o '" + cliInf + "'");
  EXPECT_TRUE(SetFiles(StripExtension(View()->Session().CurrentPath())) ==
              SetFiles(StripExtension(cliInf)));
  legend = qobject_cast<CDemLegendDlg*>(View()->LegendWindow());
  ASSERT_NE(legend, nullptr);
  EXPECT_TRUE(legend->isVisible());
  EXPECT_EQ(legend->LabelText(kDemLegendLow), low);
  EXPECT_EQ(legend->LabelText(kDemLegendHigh), high);
  EXPECT_EQ(onPage(*legend), printed);

  app->OnCommand(kCmdUndo);
  EXPECT_EQ(View()->Session().CurrentPath(), coloured);
  ASSERT_NE(qobject_cast<CDemLegendDlg*>(View()->LegendWindow()), nullptr);
  EXPECT_TRUE(app->IsEnabled(kCmdDem));
}

// Nothing runs on an angle out of range (the dialog stays), on No (it comes
// back with its defaults) or on an elevation file one row short.
TEST_F(DemTest, NothingRunsOnABadAngleOnNoOrOnABadElevationFile) {
  messenger.answers = {false};
  QSize frameWhileAsked;
  messenger.whileAsking = [&] { frameWhileAsked = View()->Frame()->size(); };
  ui.dialogs.push_back([this](QDialog& d) {
    Click(d, kDemRadioShadeMono);
    EXPECT_FALSE(Find<QWidget>(d, kDemViewAzimuth)->isEnabled());
    Type(d, kDemLightElevation, QStringLiteral("90.5"));
    EXPECT_EQ(Click(d, 1), 0);  // still open
    EXPECT_EQ(messenger.LastId(), 0);
    EXPECT_EQ(messenger.entries.back().text, "0 から 90 までの数値を入力してください．");
    // The arrow key stops at the end of the range.
    QTest::keyClick(Find<CAngleEdit>(d, kDemLightElevation), Qt::Key_Down);
    EXPECT_EQ(Find<CAngleEdit>(d, kDemLightElevation)->text(), QStringLiteral("90"));
    Type(d, kDemLightAzimuth, QStringLiteral("-1"));
    EXPECT_EQ(Click(d, 1), 0);
    EXPECT_EQ(messenger.entries.back().text, "0 から 360 までの数値を入力してください．");
    EXPECT_EQ(messenger.entries.size(), 2u);  // no question: nothing ran
    // Changed angles and ratio, then the bird's-eye view, answered No.
    Type(d, kDemLightAzimuth, QStringLiteral("0"));
    Click(d, kDemRadioBirdsEye);
    Type(d, kDemViewAzimuth, QStringLiteral("10"));
    Click(d, kDemRatio5);
    return Click(d, 1);
  });
  ui.dialogs.push_back([](QDialog& d) {
    const struct {
      int id;
      const char* text;
    } angles[] = {{kDemLightAzimuth, "45"},
                  {kDemLightElevation, "45"},
                  {kDemViewAzimuth, "45"},
                  {kDemViewElevation, "5"}};
    for (const auto& a : angles)
      EXPECT_EQ(Find<CAngleEdit>(d, a.id)->text(), QString::fromUtf8(a.text)) << a.id;
    EXPECT_TRUE(Find<QAbstractButton>(d, kDemRadioAbsolute)->isChecked());
    EXPECT_TRUE(Find<QAbstractButton>(d, kDemRatio1)->isChecked());
    EXPECT_FALSE(Find<QWidget>(d, kDemRatio1)->isEnabled());
    return QDialog::Rejected;
  });
  app->OnCommand(kCmdDem);
  EXPECT_EQ(ui.dialogNames.count(QStringLiteral("387")), 2);
  EXPECT_TRUE(frameWhileAsked.isValid());
  EXPECT_NE(frameWhileAsked, frameSize);

  const std::string dem = StripExtension(inf) + ".dem";
  std::string codes = ::lumora::test::ReadFile(dem);
  codes.resize(codes.size() - 96);
  ::lumora::test::WriteFile(dem, codes);
  messenger.entries.clear();
  ui.dialogs.push_back([](QDialog& d) { return Click(d, 1); });
  app->OnCommand(kCmdDem);
  EXPECT_EQ(messenger.LastId(), kMsgBadDem);
  EXPECT_FALSE(messenger.Has(0));  // no question

  EXPECT_EQ(View()->Frame()->size(), frameSize);
  EXPECT_EQ(View()->Picture(), original);
  EXPECT_EQ(View()->Session().CurrentPath(), inf);
  EXPECT_FALSE(app->IsEnabled(kCmdUndo));
  EXPECT_TRUE(app->IsEnabled(kCmdDem));
  EXPECT_EQ(WorkFiles(), 0);
  EXPECT_EQ(app->ToolDialog(), nullptr);
}

}  // namespace
}  // namespace lumora::gui::test
