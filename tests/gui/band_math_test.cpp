#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QtTest/QTest>

#include "core/support/band_expression.h"
#include "core/view/rainbow.h"
#include "gui/analysis/band_math_dlg.h"
#include "gui/analysis/ramp_legend_dlg.h"
#include "gui/app/operation_dlg.h"
#include "gui/widgets/bitmap_button.h"
#include "gui/widgets/control_ids.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

class BandMathTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    if (!BandExpression::Available()) GTEST_SKIP() << "built without muParser";
    ASSERT_TRUE(Start());
    inf = dir / "tm/scene.inf";
    ASSERT_TRUE(OpenTmSample(inf, "96x64", 3));
  }
  std::string inf;
};

TEST_F(BandMathTest, TypedFormulaIsCheckedAndTheWaterIndexIsWhatTheCommandLineWrites) {
  ASSERT_TRUE(app->IsEnabled(kCmdBandMath));
  ui.dialogs.push_back([](QDialog& d) {
    auto* edit = Find<QLineEdit>(d, kMathFormulaEdit);
    auto* error = Find<QLabel>(d, kMathErrorLabel);
    // The vegetation preset is there at the start, with a preview and its range.
    EXPECT_EQ(edit->text(), QStringLiteral("(B4-B3)/(B4+B3)"));
    EXPECT_FALSE(Find<QLabel>(d, kMathPreview)->pixmap().isNull());
    EXPECT_TRUE(error->text().isEmpty());
    // Typed key by key: an open bracket, then a band the image lacks.
    edit->clear();
    QTest::keyClicks(edit, "(B2 - B4");
    EXPECT_EQ(error->text(), QStringLiteral("1文字目：かっこが閉じていません．"));
    EXPECT_TRUE(Find<QLabel>(d, kMathPreview)->pixmap().isNull());
    QTest::keyClicks(edit, ") / B9");
    EXPECT_EQ(error->text(), QStringLiteral("13文字目：この画像にバンド9はありません．"));
    Click(d, 1);  // OK with a bad formula keeps the dialog
    EXPECT_EQ(d.result(), 0);
    // A band button inserts its name at the cursor.
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClick(edit, Qt::Key_Backspace);
    Click(d, kMathBandFirst + 5);
    EXPECT_EQ(edit->text(), QStringLiteral("(B2 - B4) / B5"));
    EXPECT_TRUE(error->text().isEmpty());
    EXPECT_FALSE(Find<QLabel>(d, kMathRangeLabel)->text().isEmpty());
    Click(d, kMathPresetFirst + kMathNdwi);
    EXPECT_EQ(edit->text(), QStringLiteral("(B2-B4)/(B2+B4)"));
    Find<QComboBox>(d, kMathColours)->setCurrentIndex(2);  // blue, white, green
    return Click(d, 1);
  });
  // The palette's picture button sends the command on the press.
  CMyBitmapButton* button = app->Palette()->Button(kIdPaletteBandMath);
  PressPalette(kIdPaletteBandMath);
  ASSERT_EQ(messenger.entries.size(), 1u);  // the Yes/No question only

  const std::string cliInf = dir / "cliout.inf";
  Cli("math '" + inf + "' --preset ndwi --colours diverging -o '" + cliInf + "'");
  const std::string base = View()->Session().CurrentPath();
  ASSERT_NE(base, inf);
  for (const char* suffix : {".b01", ".r01", ".d01", ".ndv", ".inf"})
    EXPECT_EQ(::lumora::test::ReadFile(base.substr(0, base.size() - 4) + suffix),
              ::lumora::test::ReadFile(cliInf.substr(0, cliInf.size() - 4) + suffix))
        << suffix;

  auto* legend = qobject_cast<CRampLegendDlg*>(View()->LegendWindow());
  ASSERT_NE(legend, nullptr);
  EXPECT_TRUE(legend->isVisible());
  EXPECT_EQ(legend->windowTitle(), QStringLiteral("(B2-B4)/(B2+B4)"));
  EXPECT_TRUE(Find<QLabel>(*legend, kRampNoValueLabel)->isVisible());
  // The picture and the legend's ramp show the diverging colours: white at 0.
  const QImage shown = View()->Picture().convertToFormat(QImage::Format_RGB32);
  QSet<QRgb> divergingColours;
  for (const RainbowEntry& e : Diverging()) divergingColours.insert(qRgb(e.red, e.green, e.blue));
  int bluish = 0, greenish = 0;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x) {
      const QRgb c = shown.pixel(x, y);
      ASSERT_TRUE(divergingColours.contains(c)) << x << "," << y;
      bluish += qBlue(c) > qGreen(c);
      greenish += qGreen(c) > qBlue(c);
    }
  EXPECT_GT(bluish, 0);
  EXPECT_GT(greenish, 0);
  const QImage ramp = legend->grab().toImage();
  const QRect frame = Find<QWidget>(*legend, kRampFrame)->geometry();
  const auto at = [&](int y) { return ramp.pixelColor(frame.center().x(), y); };
  EXPECT_GE(at(frame.center().y()).lightness(), 250);                        // 0: white
  EXPECT_GT(at(frame.top() + 4).green(), at(frame.top() + 4).blue());        // top: green
  EXPECT_GT(at(frame.bottom() - 4).blue(), at(frame.bottom() - 4).green());  // bottom: blue
  EXPECT_FALSE(app->IsEnabled(kCmdBandMath));  // a result is not computed on again
  EXPECT_FALSE(button->isEnabled());
}

}  // namespace
}  // namespace lumora::gui::test
