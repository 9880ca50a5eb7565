// The analysis windows: profiles dragged over the image and saved as text,
// and the scatter plot with its picture, saved page and printout, each
// compared with what lumora-cli writes for the same image.
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <sstream>

#include "core/support/string_table.h"
#include "core/windows/scatter.h"
#include "gui/radiometry/brightness_dlg.h"
#include "gui/windows/profile_dlg.h"
#include "gui/windows/region_dlg.h"
#include "gui/windows/scatter_dlg.h"
#include "gui/windows/spectrum_dlg.h"
#include "paint/map_page_painter.h"
#include "paint/scatter_page_painter.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/map_page_checks.h"

namespace lumora::gui::test {
namespace {

using ::lumora::test::ReadFile;

// The counts lumora-cli prints, one "X Y COUNT" line per cell.
ScatterCounts CountsOf(const std::string& listing) {
  ScatterCounts counts(kScatterCells, 0);
  std::istringstream in(listing);
  int x, y, n;
  while (in >> x >> y >> n) counts[x * 256 + y] = static_cast<uint16_t>(n);
  return counts;
}

bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

// The bounding box of the dark pixels in rows top .. bottom - 1.
QRect DarkBox(const QImage& image, int top, int bottom) {
  QRect box;
  for (int y = std::max(0, top); y < std::min(bottom, image.height()); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (Dark(image, x, y)) box |= QRect(x, y, 1, 1);
  return box;
}

// The scatter page of any size: the title centred at its place, the X
// caption centred under the plot, the Y caption above it from its left
// edge, and nothing dark elsewhere outside the plot's frame.
void CheckScatterPage(const QImage& page) {
  const ScatterPage l = ScatterPageFor(page.width(), page.height());
  auto u = [&](double units) { return static_cast<int>(units * l.k); };
  const int tolerance = u(3) + 1;
  const int plotCentre = l.plotLeft + l.plotSize / 2;
  const QRect title = DarkBox(page, l.titleTop - tolerance, l.titleTop + u(100));
  const QRect x = DarkBox(page, l.xCaptionTop - tolerance, l.xCaptionTop + u(40));
  const QRect y = DarkBox(page, l.yCaptionBottom - u(40), l.yCaptionBottom + tolerance);
  ASSERT_FALSE(title.isNull() || x.isNull() || y.isNull());
  EXPECT_NEAR(title.center().x(), u(500), tolerance);
  EXPECT_GT(title.height(), u(50)) << "two lines";
  EXPECT_NEAR(x.center().x(), plotCentre, tolerance);
  EXPECT_NEAR(y.left(), l.plotLeft, tolerance);
  const QRect frame(l.plotLeft - u(1) - 1, l.plotTop - u(1) - 1, l.plotSize + 2 * u(1) + 2,
                    l.plotSize + 2 * u(1) + 2);
  int stray = 0;
  for (int py = 0; py < page.height(); ++py)
    for (int px = 0; px < page.width(); ++px) {
      const QPoint p(px, py);
      if (!frame.contains(p) && !title.contains(p) && !x.contains(p) && !y.contains(p) &&
          Dark(page, px, py))
        ++stray;
    }
  EXPECT_EQ(stray, 0);
}

// Each caption at its own place: a one-letter X caption under the plot, a
// long Y caption above it.
TEST(ScatterPageTest, CaptionsKeepTheirPlaces) {
  const QImage page = paint::RenderScatterExportPage(ScatterCounts(kScatterCells, 0),
                                                     {"t", "X", "YYYYYYYYYYYYYYYY"});
  const ScatterPage l = ScatterPageFor(page.width(), page.height());
  const QRect x = DarkBox(page, l.xCaptionTop, l.xCaptionTop + 40);
  const QRect y = DarkBox(page, l.yCaptionBottom - 40, l.yCaptionBottom);
  ASSERT_FALSE(x.isNull() || y.isNull());
  EXPECT_GT(y.width(), 8 * x.width());
}

class AnalysisWindowsTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(Start());
    inf = dir / "tm.inf";
    ASSERT_TRUE(OpenTmSample(inf, "400x300", 3));
    View()->Frame()->resize(320, 240);
  }
  // The composition the window shows, as lumora-cli takes it.
  std::string RgbOption() {
    const DisplayState& s = View()->Session().State();
    return Format("--rgb %d,%d,%d", s.m_nRedBand + 1, s.m_nGreenBand + 1, s.m_nBlueBand + 1);
  }

  std::string inf;
};

// Slanted drags at two zoom levels over the display stretched by the
// automatic brightness: each is held to its axis, shows its strip while the
// dialog is open, and saves what lumora-cli writes for the same row or
// column of the same stretched display.
TEST_F(AnalysisWindowsTest, ProfileSavesWhatTheCommandLineWrites) {
  app->OnCommand(kCmdAutoBrightness);
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
    SetZoom(c.level, c.scroll);
    Frame().Action(kCmdProfile)->trigger();
    ASSERT_EQ(View()->SelectKindArmed(), CKiriView::kSelectProfile);
    const QImage plain = View()->viewport()->grab().toImage();
    const std::string saved = dir / Format("profile%d.txt", n);
    const std::string expected = dir / Format("expected%d.txt", n++);
    bool stripShown = false;
    ui.dialogs.push_back([&](QDialog& d) {
      stripShown = View()->ProfileShown();
      const QImage shown = View()->viewport()->grab().toImage();
      // The strip is black where no value is plotted, over the image.
      EXPECT_EQ(shown.pixelColor(105, 105), QColor(Qt::black));
      EXPECT_NE(shown, plain);
      return Click(d, 1);
    });
    ui.saveNames.push_back(QString::fromStdString(saved));
    mouse.Stroke(c.from, c.to);
    EXPECT_TRUE(stripShown);
    EXPECT_FALSE(View()->ProfileShown());
    EXPECT_EQ(View()->viewport()->grab().toImage(), plain);
    Cli("profile '" + inf + "' " + c.cli + " " + RgbOption() + " --stretch auto -o '" + expected +
        "'");
    EXPECT_EQ(ReadFile(saved), ReadFile(expected));
  }
  EXPECT_TRUE(messenger.entries.empty());
}

// Bands 3 and 4 of the TM sample: the window's picture is lumora-cli's
// counts in core's colours, its saved JPEG and TIFF pages are the files
// lumora-cli writes, and its printout is the same page on A4.
TEST_F(AnalysisWindowsTest, ScatterWindowAgreesWithTheCommandLine) {
  const std::string listing = Cli("scatter '" + inf + "' --x 3 --y 4 --counts");
  Dib expected;
  ASSERT_TRUE(
      RenderScatterPlot(CountsOf(listing), CScatterPlot::kSize, CScatterPlot::kSize, expected));
  for (const char* kind : {"jpg", "tif"}) {
    const std::string out = dir / Format("cli.%s", kind);
    Cli("scatter '" + inf + "' --x 3 --y 4 -o '" + out + "'");
  }
  QPrinter& printer = PrintToPdf(dir / "printed.pdf");
  printer.setFullPage(true);

  ui.dialogs.push_back([&](QDialog& d) {
    EXPECT_EQ(app->AnalysisWindow(), &d);
    EXPECT_TRUE(d.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(Find<QWidget>(d, kIdScatterSave)->isEnabled());
    EXPECT_FALSE(Find<QWidget>(d, kIdScatterPrint)->isEnabled());
    Click(d, kIdScatterShow);  // no bands chosen: nothing happens
    EXPECT_FALSE(Find<QWidget>(d, kIdScatterSave)->isEnabled());
    auto* x = Find<QComboBox>(d, kIdScatterX);
    EXPECT_EQ(x->count(), 7);
    x->setCurrentIndex(2);
    Find<QComboBox>(d, kIdScatterY)->setCurrentIndex(3);
    Click(d, kIdScatterShow);
    auto* plot = Find<CScatterPlot>(d, kIdScatterPlot);
    EXPECT_EQ(plot->grab().toImage().convertToFormat(QImage::Format_RGB888),
              paint::PictureOf(expected).convertToFormat(QImage::Format_RGB888));
    // JPEG asks for the compression first; the slider's default is the
    // ratio lumora-cli takes.
    for (const char* kind : {"jpg", "tif"}) {
      ui.saveNames.push_back(QString::fromStdString(dir / Format("saved.%s", kind)));
      if (std::string(kind) == "jpg") ui.dialogs.push_back(Answer(QDialog::Accepted));
      Click(d, kIdScatterSave);
    }
    // Letter paper is refused; A4 prints.
    printer.setPageSize(QPageSize(QPageSize::Letter));
    ui.dialogs.push_back(Answer(QDialog::Accepted));
    Click(d, kIdScatterPrint);
    EXPECT_EQ(messenger.LastId(), kMsgA4Only);
    EXPECT_FALSE(::lumora::test::FileExists(dir / "printed.pdf"));
    printer.setPageSize(QPageSize(QPageSize::A4));
    ui.dialogs.push_back(Answer(QDialog::Accepted));
    Click(d, kIdScatterPrint);
    return Click(d, kIdOk);
  });
  Frame().Action(kCmdScatter)->trigger();
  EXPECT_EQ(app->AnalysisWindow(), nullptr);
  for (const char* kind : {"jpg", "tif"})
    EXPECT_EQ(ReadFile(dir / Format("saved.%s", kind)), ReadFile(dir / Format("cli.%s", kind)))
        << kind;
  // The page's plot and its frame are core's page picture of the same counts.
  Dib cells;
  ASSERT_TRUE(RenderScatterPage(CountsOf(listing), cells));
  const ScatterPage l = ScatterPageFor(kScatterPageWidth, kScatterPageHeight);
  const QRect frame(l.plotLeft - 1, l.plotTop - 1, l.plotSize + 2, l.plotSize + 2);
  EXPECT_EQ(
      TiffPixels(ReadFile(dir / "cli.tif"), kScatterPageWidth, kScatterPageHeight).copy(frame),
      paint::PictureOf(cells).convertToFormat(QImage::Format_RGB888).copy(frame));
  EXPECT_EQ(messenger.entries.size(), 1u);
  const QImage printed = RasterisePdf(dir / "printed.pdf", dir / "printed", 100);
  ASSERT_FALSE(printed.isNull());
  CheckScatterPage(printed);
}

// The spectrum window follows the mouse and pins clicked pixels: its
// numbers are lumora-cli's for the same pixels, pins keep their place on the
// image through a zoom, six at most, each removable.
TEST_F(AnalysisWindowsTest, SpectrumWindowAgreesWithTheCommandLine) {
  Frame().Action(kCmdSpectrum)->trigger();
  CSpectrumDlg* window = SpectrumWindow(*app);
  ASSERT_TRUE(window && window->isVisible());
  // Zoom 1, not scrolled: client points are 0-based source pixels.
  mouse.Send(QEvent::MouseMove, {25, 37});
  EXPECT_EQ(window->Csv(), Cli("spectrum '" + inf + "' --at 25,37"));
  ASSERT_EQ(window->LiveValues().size(), 7u);

  mouse.Send(QEvent::MouseButtonPress, {120, 80});
  mouse.Send(QEvent::MouseButtonRelease, {121, 81});
  ASSERT_EQ(View()->Pins().size(), 1u);
  window->findChild<QLineEdit*>(QStringLiteral("pinName"))->setText(QStringLiteral("lake"));
  std::string expected = Cli("spectrum '" + inf + "' --at 120,80");
  expected.replace(expected.find("x=120 y=80"), 10, "lake");
  EXPECT_EQ(window->Csv(), expected);
  ui.saveNames.push_back(QString::fromStdString(dir / "chart.png"));
  window->findChild<QPushButton*>(QStringLiteral("savePicture"))->click();
  EXPECT_EQ(QImage(QString::fromStdString(dir / "chart.png")).size(),
            QSize(paint::kSpectrumPictureWidth, paint::kSpectrumPictureHeight));

  // The marker stays on its pixel at zoom 2: the dot's colour around (241, 161).
  SetZoom(2);
  const QImage shown = View()->viewport()->grab().toImage();
  int dot = 0;
  for (int y = 155; y <= 167; ++y)
    for (int x = 235; x <= 247; ++x) dot += shown.pixelColor(x, y) == paint::PinColour(0);
  EXPECT_GT(dot, 30);
  SetZoom(1);

  // A drag pins nothing; six pins at most.
  mouse.Stroke({10, 10}, {40, 40});
  EXPECT_EQ(View()->Pins().size(), 1u);
  for (int i = 0; i < 6; ++i) mouse.Click({10 + 20 * i, 200});
  EXPECT_EQ(View()->Pins().size(), 6u);
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(window->Series().size(), 7u);  // the live line and six pins
  window->findChildren<QToolButton*>(QStringLiteral("removePin")).front()->click();
  QCoreApplication::processEvents();
  ASSERT_EQ(View()->Pins().size(), 5u);
  EXPECT_EQ(View()->Pins().front().y, 200);  // the lake went
  EXPECT_TRUE(messenger.entries.empty());

  // A click beside the picture is refused with a message; a closed image
  // window takes its pins and line out of the chart.
  View()->Pins().pop_back();
  SetZoom(-1);  // 200 x 150 in a larger window
  mouse.Click({250, 60});
  EXPECT_EQ(messenger.entries.size(), 1u);
  EXPECT_EQ(View()->Pins().size(), 4u);
  ui.dialogs.push_back(Answer(QMessageBox::No));
  View()->CloseFrame();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window->Series().empty());
}

// Rectangles and polygons drawn with the region tool give the statistics
// lumora-cli gives for the same corners; the status bar shows the area as
// the figure grows; Backspace takes a corner back, Esc cancels, and a
// polygon of two corners is refused with a message.
TEST_F(AnalysisWindowsTest, RegionToolAgreesWithTheCommandLineAndLinkedViewsMarkIt) {
  Frame().Action(kCmdRegion)->trigger();
  ASSERT_TRUE(View()->RegionArmed());
  mouse.Click({10, 10});
  mouse.Click({200, 30});
  mouse.Click({150, 150});  // taken back
  QTest::keyClick(View(), Qt::Key_Backspace);
  mouse.Click({60, 180});
  mouse.Send(QEvent::MouseMove, {5, 100});
  EXPECT_TRUE(Frame().StatusText(0).contains(QStringLiteral("m²"))) << FromQ(Frame().StatusText(0));
  mouse.Click({5, 100});
  mouse.Send(QEvent::MouseButtonDblClick, {5, 100});
  mouse.Send(QEvent::MouseButtonRelease, {5, 100});
  EXPECT_FALSE(View()->RegionArmed());
  CRegionDlg* window = RegionWindow(*app);
  ASSERT_TRUE(window && window->isVisible());
  EXPECT_EQ(window->Csv(), Cli("stats '" + inf + "' --polygon 10,10,200,30,60,180,5,100"));
  EXPECT_EQ(window->Table()->rowCount(), 7);

  // A drag is a rectangle.
  Frame().Action(kCmdRegion)->trigger();
  mouse.Stroke({30, 20}, {130, 70});
  const std::string rectangle = Cli("stats '" + inf + "' --area 30,20,100,50");
  EXPECT_EQ(window->Csv(), rectangle);
  EXPECT_EQ(window->Stats().pixels, 5000);

  Frame().Action(kCmdRegion)->trigger();
  mouse.Click({10, 10});
  QTest::keyClick(View(), Qt::Key_Escape);
  EXPECT_FALSE(View()->RegionArmed());
  EXPECT_TRUE(messenger.entries.empty());
  Frame().Action(kCmdRegion)->trigger();
  mouse.Click({10, 10});
  mouse.Click({50, 50});
  mouse.Send(QEvent::MouseButtonDblClick, {50, 50});
  EXPECT_EQ(messenger.entries.size(), 1u);
  EXPECT_EQ(window->Csv(), rectangle);  // the last region's numbers stay
  // A band file gone since the image was opened is missed, not left out.
  std::filesystem::rename(dir / "tm.b05", dir / "gone.b05");
  Frame().Action(kCmdRegion)->trigger();
  mouse.Stroke({30, 20}, {50, 40});
  EXPECT_EQ(messenger.entries.size(), 2u);
  EXPECT_EQ(window->Csv(), rectangle);
  std::filesystem::rename(dir / "gone.b05", dir / "tm.b05");

  // Saved as lumora-cli writes it; printed on A4.
  ui.saveNames.push_back(QString::fromStdString(dir / "region.csv"));
  window->findChild<QPushButton*>(QStringLiteral("saveCsv"))->click();
  EXPECT_EQ(ReadFile(dir / "region.csv"), rectangle);
  PrintToPdf(dir / "region.pdf");
  ui.dialogs.push_back(Answer(QDialog::Accepted));
  window->findChild<QPushButton*>(QStringLiteral("print"))->click();
  EXPECT_FALSE(RasterisePdf(dir / "region.pdf", dir / "region", 50).isNull());

  // Linked views: the scatter plot lights up the cells of the region window's
  // pixels and crosses the pinned pixel's cell in the pin's colour; the
  // brightness dialog's histogram marks the pinned pixel's value.
  messenger.entries.clear();
  Frame().Action(kCmdSpectrum)->trigger();
  mouse.Click({200, 100});
  Frame().Action(kCmdRegion)->trigger();
  mouse.Stroke({20, 20}, {60, 50});
  // Bands 3 and 4 of a pixel, as lumora-cli reads them.
  auto bands34 = [&](const char* at) {
    std::vector<int> v;
    std::istringstream lines(Cli("spectrum '" + inf + "' --at " + at));
    for (std::string line; std::getline(lines, line);)
      v.push_back(std::atoi(line.substr(line.rfind(',') + 1).c_str()));
    return std::pair{v.at(3), v.at(4)};
  };
  const std::pair<int, int> inside = bands34("30,30");  // inside the region
  const std::pair<int, int> pinned = bands34("200,100");
  ui.dialogs.push_back([&](QDialog& d) {
    Find<QComboBox>(d, kIdScatterX)->setCurrentIndex(2);
    Find<QComboBox>(d, kIdScatterY)->setCurrentIndex(3);
    Click(d, kIdScatterShow);
    const QImage plot = Find<CScatterPlot>(d, kIdScatterPlot)->grab().toImage();
    const int k = CScatterPlot::kSize;
    const CellRect lit = ScreenCell(inside.first, inside.second, 0, k, k, k);
    EXPECT_EQ(plot.pixelColor(lit.left, lit.top), QColor(255, 0, 255));
    const CellRect pin = ScreenCell(pinned.first, pinned.second, 0, k, k, k);
    const QPoint arm(pin.left + pin.width / 2 + 5, pin.top + pin.height / 2);
    EXPECT_TRUE(plot.pixelColor(arm) == paint::PinColour(0) ||
                plot.pixelColor(arm - QPoint(0, 1)) == paint::PinColour(0));
    return Click(d, kIdOk);
  });
  Frame().Action(kCmdScatter)->trigger();

  // The brightness dialog marks the pin's display byte of the channel shown.
  const QColor shown = View()->Picture().pixelColor(200, 100);  // zoom 1: the pinned pixel
  ui.dialogs.push_back([&](QDialog& d) {
    auto* panel = d.findChild<QWidget*>(QString::number(kHistogramPanel));
    EXPECT_NE(panel, nullptr);
    if (!panel) return QDialog::Rejected;
    const QImage histogram = panel->grab().toImage();
    const auto* dialog = static_cast<CBrightnessDlg*>(&d);
    const int channel = dialog->State().Channel();
    const int value = channel == 0 ? shown.blue() : channel == 1 ? shown.green() : shown.red();
    const int x = LevelX(value, {0, 0, histogram.width(), histogram.height()});
    int marked = 0;
    for (int y = 0; y < histogram.height(); ++y)
      marked += histogram.pixelColor(x, y) == paint::PinColour(0);
    EXPECT_GT(marked, histogram.height() / 4) << "channel " << channel << " value " << value;
    return QDialog::Rejected;
  });
  Frame().Action(kCmdBrightness)->trigger();
  EXPECT_TRUE(messenger.entries.empty());
}

}  // namespace
}  // namespace lumora::gui::test
