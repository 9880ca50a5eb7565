// What changed: the lakes and their later date open side by side; the
// change dialog offers the other window, refuses what cannot be compared,
// and the result is what lumora-cli change writes, with its areas in the
// legend.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QtTest/QTest>

#include "core/analysis/change_map.h"
#include "core/support/band_expression.h"
#include "gui/analysis/change_dlg.h"
#include "gui/analysis/ramp_legend_dlg.h"
#include "gui/view/dn_value_dlg.h"
#include "gui/view/kiri_view.h"
#include "gui/windows/compare_dlg.h"
#include "paint/compare_painter.h"
#include "tests/gui/gui_harness.h"

namespace lumora::gui::test {
namespace {

using ::lumora::test::ReadFile;

// The compare window: the handle follows a real drag, the earlier date left
// of it and the later right; blinking alternates at the pupil's speed; the
// printed page holds both pictures. Then the change between the dates.
TEST_F(StartedTest, TwoDatesCompareSwipeBlinkAndChangeAsTheCommandLineWrites) {
  const std::string earlier = dir / "tm/lakes.inf", later = dir / "tm/lakes-later.inf";
  ASSERT_TRUE(OpenTmSample(earlier, "96x64", 7));
  // Alone, there is nothing to compare with: the window says what to open.
  messenger.entries.clear();
  app->OnCommand(kCmdCompare);
  ASSERT_EQ(messenger.entries.size(), 1u);
  EXPECT_EQ(Frame().findChild<CCompareDlg*>(), nullptr);
  ASSERT_TRUE(TmSample(later, "96x64", 7, "--date 2") && OpenComposed(later));
  const QImage second = View()->Picture().convertToFormat(QImage::Format_RGB32);
  app->OnCommand(kCmdCompare);  // from the later window: the earlier still goes left
  auto* window = Frame().findChild<CCompareDlg*>();
  ASSERT_NE(window, nullptr);
  CCompareCanvas* canvas = window->Canvas();
  const QImage first = app->Views().front()->Picture().convertToFormat(QImage::Format_RGB32);
  ASSERT_NE(first, second);
  canvas->setFixedSize(first.size());  // one screen pixel per picture pixel
  window->show();
  QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(20, 40));
  for (int x = 24; x <= 72; x += 8) QTest::mouseMove(canvas, QPoint(x, 42));
  QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(72, 42));
  EXPECT_NEAR(canvas->Split(), 72.0 / 96, 1e-9);
  const QImage shown = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
  int left = 0, right = 0;
  for (int y = 30; y < 64; ++y)
    for (int x = 0; x < 96; ++x) {
      if (x >= 72 - 16 && x <= 72 + 16) continue;  // the handle and its grip
      left += x < 72 && shown.pixel(x, y) == first.pixel(x, y);
      right += x > 72 && shown.pixel(x, y) == second.pixel(x, y);
    }
  EXPECT_EQ(left, 56 * 34);
  EXPECT_EQ(right, 7 * 34);  // columns 89 to 95

  Find<QRadioButton>(*window, kCompareBlink)->click();
  ASSERT_TRUE(canvas->Blinking());
  EXPECT_EQ(window->BlinkTimer().interval(), 1200);
  Find<QSlider>(*window, kCompareSpeed)->setValue(10);
  EXPECT_EQ(window->BlinkTimer().interval(), 200);
  EXPECT_FALSE(canvas->ShowingLater());
  window->BlinkTimer().setInterval(0);
  QCoreApplication::processEvents();  // the timer's turn comes round
  EXPECT_TRUE(canvas->ShowingLater());
  Find<QRadioButton>(*window, kCompareSwipe)->click();
  EXPECT_FALSE(window->BlinkTimer().isActive());

  QImage page(1000, 1414, QImage::Format_RGB32);
  QPainter p(&page);
  window->DrawPage(p, page.width(), page.height());
  p.end();
  for (int which = 0; which < 2; ++which) {
    const QRect r = paint::ComparePictureRect(1.0, which, 96, 64).toAlignedRect();
    const QImage& picture = which == 0 ? first : second;
    // A pixel well inside each picture cell shows that picture's colour.
    const QPoint cell(40, 30);
    const QPoint at(r.left() + (cell.x() * r.width() + r.width() / 2) / 96,
                    r.top() + (cell.y() * r.height() + r.height() / 2) / 64);
    EXPECT_EQ(page.pixel(at), picture.pixel(cell)) << which;
  }
  window->close();

  // What changed, from the earlier window: the later window is offered; the
  // same picture twice is refused with why; the result is lumora-cli's.
  if (!BandExpression::Available()) GTEST_SKIP() << "built without muParser";
  app->OnViewActivated(app->Views().front());
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

  const std::string cli = dir / "cli.inf";
  Cli("change '" + earlier + "' '" + later + "' --index ndvi --threshold 0.2 -o '" + cli + "'");
  const std::string result = view->Session().CurrentPath();
  ASSERT_NE(result, earlier);
  const auto base = [](const std::string& inf) { return inf.substr(0, inf.size() - 4); };
  for (const char* suffix : {".b01", ".r01", ".d01", ".ndv", ".inf"})
    EXPECT_EQ(ReadFile(base(result) + suffix), ReadFile(base(cli) + suffix)) << suffix;

  auto* legend = qobject_cast<CRampLegendDlg*>(view->LegendWindow());
  ASSERT_NE(legend, nullptr);
  ChangeCounts counts;
  ASSERT_TRUE(ParseChangeCounts(ReadFile(base(cli) + ".ndv"), counts));
  EXPECT_TRUE(Find<QLabel>(*legend, kRampChangeLabel)
                  ->text()
                  .endsWith(QString::fromStdString(
                      ChangeAreaText(counts, view->Session().Settings().lengthPerPixel))));
}

// Linked windows of one grid zoom and scroll together, and the DN readout
// shows the other date's values at the same place; alone, linking says why.
TEST_F(StartedTest, LinkedWindowsZoomScrollAndReadOutTogether) {
  const std::string earlier = dir / "tm/lakes.inf", later = dir / "tm/lakes-later.inf";
  ASSERT_TRUE(OpenTmSample(earlier, "600x500", 7));
  messenger.entries.clear();
  app->OnCommand(kCmdLink);
  EXPECT_FALSE(app->Linked());
  EXPECT_EQ(messenger.entries.size(), 1u);
  ASSERT_TRUE(TmSample(later, "600x500", 7, "--date 2") && OpenComposed(later));
  CKiriView* second = View();
  CKiriView* first = app->Views().front();
  app->OnCommand(kCmdLink);
  ASSERT_TRUE(app->Linked());
  app->OnCommand(kCmdEnlarge);
  EXPECT_EQ(first->ZoomLevel(), second->ZoomLevel());
  second->horizontalScrollBar()->setValue(second->horizontalScrollBar()->value() + 37);
  second->verticalScrollBar()->setValue(11);
  EXPECT_EQ(first->ScrollPosition(), second->ScrollPosition());
  EXPECT_NE(first->ScrollPosition(), QPoint(0, 0));

  app->OnCommand(kCmdDnValue);
  CDnValueDlg* dn = app->DnWindow();
  ASSERT_NE(dn, nullptr);
  MouseDriver mouse([&] { return second->viewport(); });
  const QPoint at(30, 20);
  mouse.Send(QEvent::MouseMove, at);
  const QString expected =
      QStringLiteral("1989-08-06: ") +
      QString::fromStdString(
          DnReadout(first->Geometry(), {at.x(), at.y()}, first->Session().Display(), nullptr, false)
              .current);
  EXPECT_EQ(dn->Linked(), expected);
  // The ruler dragged in one window is drawn in the other, and its pins too.
  const QImage plain = first->viewport()->grab().toImage();
  app->OnCommand(kCmdRuler);
  mouse.Drag(QPoint(10, 60), QPoint(150, 60));
  EXPECT_NE(first->viewport()->grab().toImage().pixel(80, 60), plain.pixel(80, 60));
  mouse.Send(QEvent::MouseButtonRelease, QPoint(150, 60));
  EXPECT_EQ(first->viewport()->grab().toImage(), plain);
  const QImage unpinned = second->viewport()->grab().toImage();
  const SourcePoint under = SourcePointAt(first->Geometry(), {40, 30});
  first->Pins().push_back(
      {static_cast<int>(under.x), static_cast<int>(under.y), 0, QStringLiteral("湖")});
  EXPECT_NE(second->viewport()->grab().toImage(), unpinned);
  app->OnCommand(kCmdLink);  // unlinked, each window goes its own way
  EXPECT_EQ(second->viewport()->grab().toImage(), unpinned);
  second->verticalScrollBar()->setValue(0);
  EXPECT_NE(first->ScrollPosition(), second->ScrollPosition());
}

}  // namespace
}  // namespace lumora::gui::test
