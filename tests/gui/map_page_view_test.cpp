// The image window's map page: the annotation dialogs' flow, the page on
// screen and its export (the same bytes lumora-cli writes), the print
// preview, undo leaving the page and printing on A4 only (to a PDF through
// the print dialog).
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <filesystem>

#include "core/support/string_table.h"
#include "gui/output/add_info_dlg.h"
#include "gui/output/print_preview.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/map_page_checks.h"
#include "tests/support/cli_run.h"

namespace lumora::gui::test {
namespace {

class MapPageViewTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    m_inf = dir / "tm.inf";
    ASSERT_TRUE(TmSample(m_inf, "300x240", 5));
    ASSERT_TRUE(Start());
    ASSERT_TRUE(Open(m_inf, Answer(QDialog::Accepted)));
  }

  // Runs the annotation command: title "東京" through its text dialog,
  // grid every 5', scale bar in the centre through its place dialog, north mark.
  void AnnotateAll() {
    ui.dialogs.push_back([this](QDialog& d) {
      EXPECT_TRUE(Find<QCheckBox>(d, kIdGridShown)->isEnabled());
      EXPECT_FALSE(Find<QCheckBox>(d, kIdLegendShown)->isEnabled());  // a colour composite
      for (int id : {kIdTitleShown, kIdGridShown, kIdScaleShown, kIdNorthShown})
        Find<QCheckBox>(d, id)->setChecked(true);
      Find<QComboBox>(d, kIdGridStep)->setCurrentIndex(4);  // 5'

      ui.dialogs.push_back([](QDialog& title) {
        Find<QPlainTextEdit>(title, kIdTitleEdit)->setPlainText(QStringLiteral("東京"));
        return QDialog::Accepted;
      });
      Click(d, kIdTitleText);
      ui.dialogs.push_back([](QDialog& place) {
        place.findChild<QAbstractButton*>(QStringLiteral("place1"))->click();
        return QDialog::Accepted;
      });
      Click(d, kIdScalePlace);
      return QDialog::Accepted;
    });
    app->OnCommand(32845);
  }

  std::string m_inf;
};

TEST_F(MapPageViewTest, AnnotatedPageIsExportedAsTheCliWritesItPreviewedAndLeftByUndo) {
  const QSize plain = View()->Frame()->size();
  const bool plainBar = View()->verticalScrollBar()->isVisible();
  AnnotateAll();
  ASSERT_TRUE(View()->Session().AnnotationsShown());
  EXPECT_NE(View()->Frame()->size(), plain);  // the window takes the page's shape
  EXPECT_FALSE(View()->verticalScrollBar()->isVisible());
  const AnnotationSettings& a = View()->PageChoices().annotations;
  EXPECT_EQ(a.titleText, "東京");
  EXPECT_EQ(a.scalePosition, 1);
  EXPECT_FALSE(app->IsEnabled(kCmdEnlarge));  // zoom is off on the page
  EXPECT_TRUE(app->IsEnabled(57643));         // undo leaves the page

  const std::string program = dir / "program.tif", cli = dir / "cli.tif";
  ui.saveNames.push_back(QString::fromStdString(program));
  app->OnCommand(32830);
  ASSERT_EQ(::lumora::test::RunCli(
                dir, "page '" + m_inf +
                         "' --title 東京 --grid --grid-step 5 --scale --scale-position "
                         "centre --north -o '" +
                         cli + "'")
                .status,
            0);
  const std::string bytes = ::lumora::test::ReadFile(program);
  EXPECT_EQ(bytes.size(), 192u + 1000u * 1414u * 3u);
  EXPECT_TRUE(bytes == ::lumora::test::ReadFile(cli));

  // The preview pages and closes without changing the view.
  const QImage before = View()->ExportPage();
  bool flagged = false, annotationOff = false;
  ui.dialogs.push_back([&](QDialog& d) {
    flagged = View()->Session().PrintPreview();
    annotationOff = !app->IsEnabled(32845);
    Click(d, kIdPreviewZoomIn);
    Click(d, kIdPreviewZoomOut);
    return Click(d, kIdPreviewClose);
  });
  app->OnCommand(57609);
  EXPECT_TRUE(flagged);
  EXPECT_TRUE(annotationOff);
  EXPECT_FALSE(View()->Session().PrintPreview());
  EXPECT_EQ(View()->ExportPage(), before);
  EXPECT_TRUE(app->IsEnabled(32845));

  app->OnCommand(57643);
  EXPECT_FALSE(View()->Session().AnnotationsShown());
  EXPECT_TRUE(app->IsEnabled(kCmdEnlarge));
  EXPECT_EQ(View()->Frame()->size(), plain);  // its size and scroll bars before the page
  EXPECT_EQ(View()->verticalScrollBar()->isVisible(), plainBar);
}

// Cancelled settings leave the plain image; fonts and colours come from
// their dialogs through the seam and stay with the window; without a geo
// reference grid and scale bar are off with empty lists.
TEST_F(MapPageViewTest, SettingsAreKeptByTheWindowAndAPageWithTheLegendIsTheCliPage) {
  ui.dialogs.push_back([](QDialog& d) {
    Find<QCheckBox>(d, kIdTitleShown)->setChecked(true);
    return QDialog::Rejected;
  });
  app->OnCommand(32845);
  EXPECT_FALSE(View()->Session().AnnotationsShown());

  ui.dialogs.push_back([this](QDialog& d) {
    Find<QCheckBox>(d, kIdTitleShown)->setChecked(true);
    ui.dialogs.push_back([](QDialog& font) {
      QFont f(QStringLiteral("IPAGothic"));
      f.setPointSize(24);
      static_cast<QFontDialog&>(font).setCurrentFont(f);
      return QDialog::Accepted;
    });
    Click(d, kIdTitleFont);
    ui.dialogs.push_back([](QDialog& colour) {
      static_cast<QColorDialog&>(colour).setCurrentColor(Qt::blue);
      return QDialog::Accepted;
    });
    Click(d, kIdGridColour);
    ui.dialogs.push_back(Answer(QDialog::Rejected));  // a cancelled font changes nothing
    Click(d, kIdScaleFont);
    return QDialog::Accepted;
  });
  app->OnCommand(32845);
  ASSERT_TRUE(View()->Session().AnnotationsShown());
  const paint::PageStyle& style = View()->PageChoices().style;
  // Points of the font dialog become page units of the screen.
  EXPECT_EQ(style.titleFont.pixelSize(), 24 * View()->logicalDpiY() / 72);
  EXPECT_EQ(style.gridColour, QColor(Qt::blue));
  EXPECT_EQ(style.scaleFont, paint::DefaultPageStyle().scaleFont);

  bool kept = false;
  ui.dialogs.push_back([&](QDialog& d) {
    kept = Find<QCheckBox>(d, kIdTitleShown)->isChecked();
    return QDialog::Rejected;
  });
  app->OnCommand(32845);
  EXPECT_TRUE(kept);

  PageSettings wanted;
  wanted.annotations.showGrid = wanted.annotations.showScale = true;
  CAddInfoDlg unreferenced(ui, wanted, false, false, 96, nullptr);
  for (int id : {kIdGridShown, kIdScaleShown, kIdLegendShown})
    EXPECT_FALSE(Find<QCheckBox>(unreferenced, id)->isEnabled()) << id;
  EXPECT_EQ(Find<QComboBox>(unreferenced, kIdGridStep)->count(), 0);
  EXPECT_EQ(Find<QComboBox>(unreferenced, kIdScaleLength)->count(), 0);
  EXPECT_FALSE(unreferenced.Settings().annotations.AnyShown());

  // A rainbow display of band 4, reversed by the command, with its ramp
  // legend at the upper left: the legend window draws its page form as
  // lumora-cli does, and the program's JPEG of the page is the file
  // lumora-cli page writes for the display opened reversed.
  OpenRequest request = ComposeOnOpen(m_inf, ImageSettings{});
  request.composition.red = request.composition.green = request.composition.blue = 4;
  request.composition.singleBand = request.composition.rainbow = true;
  app->SetReopen(request);
  app->OnCommand(32778);
  ASSERT_NE(View()->LegendWindow(), nullptr);
  app->OnCommand(kCmdReverseRainbow);
  EXPECT_FALSE(View()->LegendWindow()->isHidden());
  ShowLegendOnPage("place3");
  ASSERT_TRUE(View()->Session().AnnotationsShown());
  EXPECT_TRUE(View()->LegendWindow()->isHidden());  // drawn on the page instead

  // The ramp (saturated colours) stands in the left margin, beside the image.
  const QImage page = View()->ExportPage();
  int coloured = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < 120; ++x) {
      const QColor c = page.pixelColor(x, y);
      coloured +=
          std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 100;
    }
  EXPECT_GT(coloured, 500);

  const std::string program = dir / "program.jpg", cli = dir / "cli.jpg";
  ui.saveNames.push_back(QString::fromStdString(program));
  ui.dialogs.push_back([](QDialog& d) { return Click(d, kIdOk); });
  app->OnCommand(32830);
  Cli("page '" + m_inf + "' --gray 4 --rainbow --reverse --legend --legend-position top-left -o '" +
      cli + "'");
  const std::string bytes = ::lumora::test::ReadFile(program);
  EXPECT_GT(bytes.size(), 1000u);
  EXPECT_TRUE(bytes == ::lumora::test::ReadFile(cli));
}

// A print dialog answer: the paper, the PDF file, and OK or cancel.
DialogScript PrintAnswer(QPageSize::PageSizeId paper, const std::string& pdf, int result) {
  return [=](QDialog& d) {
    QPrinter* printer = static_cast<QPrintDialog&>(d).printer();
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(QString::fromStdString(pdf));
    printer->setPageSize(QPageSize(paper));
    return result;
  };
}

TEST_F(MapPageViewTest, PrintedPageHasItsElementsWhereTheLayoutPutsThemAndNeverGoesThroughALink) {
  AnnotateAll();
  const std::string pdf = dir / "page.pdf";
  // Other paper is refused and the dialog comes again.
  ui.dialogs.push_back(PrintAnswer(QPageSize::Letter, pdf, QDialog::Accepted));
  ui.dialogs.push_back(PrintAnswer(QPageSize::A4, pdf, QDialog::Accepted));
  app->OnCommand(57607);
  EXPECT_EQ(messenger.LastId(), kMsgA4Only);
  ASSERT_TRUE(::lumora::test::FileExists(pdf));
  EXPECT_NE(RunTool("pdffonts '" + pdf + "'").find("IPAGothic"), std::string::npos);
  const QImage raster = RasterisePdf(pdf, dir / "printed", 100);
  ASSERT_FALSE(raster.isNull());
  QPrinter& printer = app->Printer();
  const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
  const double k = 100.0 / printer.resolution();
  const paint::MapPage page = View()->MapPage();
  const double s = PageToDeviceFactor(page.pageWidth, page.pageHeight, area.width(), area.height());
  CheckPageElements(raster, page, s, k,
                    QPoint(static_cast<int>(std::lround(area.left() * k)),
                           static_cast<int>(std::lround(area.top() * k))));
  // Printed to a file it is written beside and renamed: never through a link
  // onto a file of the image, and a link elsewhere is replaced.
  namespace fs = std::filesystem;
  const std::string band = dir / "tm.b01", elsewhere = dir / "elsewhere";
  ::lumora::test::WriteFile(elsewhere, "elsewhere");
  const std::string bandBefore = ::lumora::test::ReadFile(band);
  fs::remove(pdf);
  for (const std::string& target : {band, elsewhere}) {
    fs::create_symlink(target, pdf);
    messenger.entries.clear();
    ui.dialogs.push_back(PrintAnswer(QPageSize::A4, pdf, QDialog::Accepted));
    app->OnCommand(57607);
    EXPECT_EQ(messenger.Has(kMsgWorkingFileInUse), target == band) << target;
    EXPECT_EQ(fs::is_symlink(pdf), target == band) << target;
    fs::remove(pdf);
  }
  EXPECT_EQ(::lumora::test::ReadFile(band), bandBefore);
  EXPECT_EQ(::lumora::test::ReadFile(elsewhere), "elsewhere");
}

}  // namespace
}  // namespace lumora::gui::test
