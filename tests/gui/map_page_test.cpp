// The annotated map page: what lumora-cli page writes (JPEG/TIFF at
// 1000 x 1414, an A4 PDF with the Japanese title font embedded), and the
// grid, scale bar, north mark and legend found on the picture where the
// layout puts them.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <filesystem>

#include "core/output/image_file_writer.h"
#include "core/support/file_set.h"
#include "paint/legend_page_painter.h"
#include "paint/map_page_painter.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/map_page_checks.h"
#include "tests/support/cli_run.h"
#include "tests/support/file_limit.h"

namespace lumora::gui::test {
namespace {

using ::lumora::test::RunCli;
using ::lumora::test::TempDir;

class MapPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_inf = m_dir / "tm.inf";
    ASSERT_EQ(RunCli(m_dir, "sample --sensor tm --size 400x300 --seed 3 -o '" + m_inf + "'").status,
              0);
  }
  std::string Page(const std::string& options, const std::string& out) const {
    return "page '" + m_inf + "' " + options + " -o '" + out + "'";
  }

  TempDir m_dir;
  std::string m_inf;
};

// Everything on, the legend of a rainbow band on the left.
constexpr const char* kAllOptions =
    "--gray 4 --rainbow --title '東京の地図\\n二〇二六年' --grid --grid-step 10 --scale "
    "--scale-km 15 --scale-position centre --north --north-size large --north-position "
    "bottom-left --legend --legend-position top-left";

TEST_F(MapPageTest, TiffPageIsTheExportedPageWithElementsWhereTheLayoutPutsThem) {
  const std::string out = m_dir / "page.tif";
  const auto r = RunCli(m_dir, Page(kAllOptions, out));
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string tiff = ::lumora::test::ReadFile(out);
  ASSERT_EQ(tiff.size(), 192u + 1000u * 1414u * 3u);
  EXPECT_EQ(tiff.substr(176, 16), std::string("\0\0\x12\x99\0\0\0\x64\0\0\x12\x98\0\0\0\x64", 16));

  paint::MapPage page = AllOnPage(m_inf);
  const QImage raster = TiffPixels(tiff, 1000, 1414);
  const double s = PageToDeviceFactor(page.pageWidth, page.pageHeight, 1000, 1414);
  CheckPageElements(raster, page, s, 1.0, {0, 0});
  // The image is drawn last: inside its rectangle the page is the picture
  // alone, the grid lines under it.
  paint::PageTextMeasurer measurer(page.style);
  const MapLayout l =
      LayoutMap(page.pageWidth, page.pageHeight, s, page.image, page.settings, measurer);
  const QRect inside(l.image.left, l.image.top, l.image.width, l.image.height);
  QImage alone(1000, 1414, QImage::Format_RGB32);
  alone.fill(Qt::white);
  {
    QPainter p(&alone);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.drawImage(inside, page.picture);
  }
  EXPECT_TRUE(raster.copy(inside) == alone.convertToFormat(QImage::Format_RGB888).copy(inside));

  // The same page drawn in this process is the same picture, pixel for pixel.
  EXPECT_EQ(raster, paint::RenderExportPage(page).convertToFormat(QImage::Format_RGB888));

  // A north mark or legend switched off leaves no trace, though the page has one.
  page.settings.showNorth = false;
  page.settings.showLegend = false;
  const QImage off = paint::RenderExportPage(page);
  page.northMark = QImage();
  page.legend = nullptr;
  EXPECT_EQ(paint::RenderExportPage(page), off);
}

TEST_F(MapPageTest, PdfPageCarriesTheJapaneseFontAndTheElementsAtTheirPlaces) {
  const std::string out = m_dir / "page.pdf";
  const auto r = RunCli(m_dir, Page(kAllOptions, out));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(RunTool("pdffonts '" + out + "'").find("IPAGothic"), std::string::npos);
  EXPECT_NE(RunTool("pdfinfo '" + out + "'").find("595 x 842 pts (A4)"), std::string::npos);
  const QImage raster = RasterisePdf(out, m_dir / "raster", 100);
  ASSERT_FALSE(raster.isNull());
  // The PDF is A4 at 1200 dots per inch from its corner; the raster 100.
  const paint::MapPage page = AllOnPage(m_inf);
  const double device = PageToDeviceFactor(page.pageWidth, page.pageHeight, 9921, 14031);
  CheckPageElements(raster, page, device, 100.0 / 1200.0, {0, 0});
}

// With the default fonts and the small north mark, the marks are large
// enough to read on the printed sheet (1000 pixels across 210 mm): the north
// mark at least 8 mm tall, the scale's figures at least 2.7 mm.
TEST_F(MapPageTest, DefaultMarksAreLargeEnoughToReadOnPaperAndAJpegPageIsA4) {
  const std::string out = m_dir / "small.tif";
  ASSERT_EQ(RunCli(m_dir, Page("--scale --north", out)).status, 0);
  const QImage raster = TiffPixels(::lumora::test::ReadFile(out), 1000, 1414);
  paint::MapPage map;
  map.image = {400, 300, 1, 0.0285, 139.8, 35.3, 0.0, 0, 0};
  map.style = paint::DefaultPageStyle();
  map.settings.showScale = map.settings.showNorth = true;
  const QImage mark = paint::LoadNorthMark();
  map.image.northBitmapWidth = mark.width();
  map.image.northBitmapHeight = mark.height();
  paint::PageTextMeasurer measurer(map.style);
  const double s = PageToDeviceFactor(794, 1123, 1000, 1414);
  const MapLayout l = LayoutMap(794, 1123, s, map.image, map.settings, measurer);
  // Rows holding dark pixels inside a rectangle of the page.
  auto inkHeight = [&](const PageRect& r) {
    int top = -1, bottom = -1;
    for (int y = r.top; y < r.Bottom(); ++y)
      for (int x = r.left; x < r.Right(); ++x)
        if (raster.rect().contains(x, y) && raster.pixelColor(x, y).lightness() < 100) {
          if (top < 0) top = y;
          bottom = y;
        }
    return top < 0 ? 0 : bottom - top + 1;
  };
  EXPECT_GE(inkHeight(l.north), 38);
  ASSERT_EQ(l.scaleLabels.size(), 3u);
  EXPECT_GE(inkHeight(l.scaleLabels[0].rect), 13);  // "0km"

  // A JPEG page has the A4 size.
  const std::string jpg = m_dir / "page.jpg";
  ASSERT_EQ(RunCli(m_dir, Page("--title 'x' --north", jpg)).status, 0);
  const QImage jpeg(QString::fromStdString(jpg));
  EXPECT_EQ(jpeg.size(), QSize(1000, 1414));
  EXPECT_EQ(jpeg.dotsPerMeterX(), 4724);  // 120 dots per inch as JFIF keeps it
}

TEST_F(MapPageTest, BadChoicesAreRefusedAndWriteNothing) {
  const std::string plain = WriteScene(m_dir, "flat", 20, 10, 3, 1);  // no geo reference, no legend
  const std::string out = m_dir / "x.tif";
  // A ground length that is no number places nothing, as an infinite one.
  std::string settings = ::lumora::test::ReadFile(m_inf);
  const size_t at = settings.find("LengthPerPixel");
  settings.replace(at, settings.find('\n', at) - at, "LengthPerPixel = nan");
  const std::string nan = m_dir / "nan.inf";
  ::lumora::test::WriteFile(nan, settings);
  for (int b = 1; b <= 7; ++b)
    std::filesystem::copy_file(m_dir / Format("tm.b%02d", b), m_dir / Format("nan.b%02d", b));
  const std::string birdsEye = m_dir / "above.inf";
  ASSERT_EQ(RunCli(m_dir, "dem '" + m_inf + "' --kind birdseye -o '" + birdsEye + "'").status, 0);
  struct Case {
    std::string args;
    int status;
  } cases[] = {
      {Page("--grid-step 20", out), 2},
      {Page("--scale-km 7", out), 2},
      {Page("--north-position middle", out), 2},
      {"page '" + m_inf + "' -o '" + (m_dir / "x.png") + "'", 2},
      {"page '" + m_inf + "'", 2},
      {Page("--legend", out), 1},  // a colour composite has no legend
      {"page '" + plain + "' --grid -o '" + out + "'", 1},
      {"page '" + plain + "' --scale -o '" + out + "'", 1},
      {"page '" + nan + "' --grid -o '" + out + "'", 1},
      {"page '" + nan + "' --scale -o '" + out + "'", 1},
      // A bird's-eye view is a perspective: no grid, no scale bar.
      {"page '" + birdsEye + "' --grid -o '" + out + "'", 1},
      {"page '" + birdsEye + "' --scale -o '" + out + "'", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(RunCli(m_dir, c.args).status, c.status) << c.args;
  EXPECT_FALSE(::lumora::test::FileExists(out));
  EXPECT_EQ(RunCli(m_dir, "page '" + plain + "' --north --title t -o '" + out + "'").status, 0);
  EXPECT_EQ(RunCli(m_dir, "page '" + birdsEye + "' --north --title t -o '" + out + "'").status, 0);
}

// A PDF goes in place whole, as the pictures do: a link at its name to a
// file of the image is refused (the other links and a failed write are the
// pictures' cases).
TEST_F(MapPageTest, PdfIsNeverWrittenThroughALink) {
  const std::string out = m_dir / "p.pdf", band = m_dir / "tm.b01";
  const std::string before = ::lumora::test::ReadFile(band);
  std::filesystem::create_symlink(band, out);
  EXPECT_EQ(RunCli(m_dir, Page("--north", out)).status, 1);
  EXPECT_EQ(::lumora::test::ReadFile(band), before);
  EXPECT_TRUE(std::filesystem::is_symlink(out));
}

// The colour ramp at scale 1 (corner 0, anchored at 0,0): its steps fill
// x 11..33 under y 100, a white gap at 34, the frame's sides at 10 and 35;
// red at the top, near black at the foot.
TEST(MapPageLegend, RampStepsStopOnePixelInsideTheFrame) {
  DisplayState state;
  state.m_bRainbow = state.m_bSingleBand = true;
  state.m_fDispMin = 0.0f;
  state.m_fDispMax = 255.0f;
  QImage page(120, 120, QImage::Format_RGB32);
  page.fill(Qt::white);
  RecordingMessenger messenger;
  {
    QPainter p(&page);
    ASSERT_TRUE(paint::PaintLegend(p, LegendKind::kColourRamp, state, 0, 0, 0, 1.0, messenger));
  }
  const int y = 50;
  EXPECT_EQ(page.pixelColor(10, y), QColor(Qt::black));
  EXPECT_NE(page.pixelColor(11, y), QColor(Qt::white));
  EXPECT_NE(page.pixelColor(33, y), QColor(Qt::white));
  EXPECT_EQ(page.pixelColor(34, y), QColor(Qt::white));
  EXPECT_EQ(page.pixelColor(35, y), QColor(Qt::black));
  const QColor top = page.pixelColor(22, 1), foot = page.pixelColor(22, 99);
  EXPECT_TRUE(top.red() == 255 && top.green() < 30 && top.blue() == 0) << top.name().toStdString();
  EXPECT_LT(std::max({foot.red(), foot.green(), foot.blue()}), 16);
}

// Grid labels name the hemisphere of each line, west and south too.
TEST(MapPageGrid, LabelsCarryTheirHemisphere) {
  const struct {
    double lon, lat;
    char lonSign, latSign;
  } cases[] = {{-70.52, -33.38, 'W', 'S'},
               {139.7, 35.8, 'E', 'N'},
               {-0.5, 51.6, 'W', 'N'},
               {18.3, -33.8, 'E', 'S'}};
  for (const auto& c : cases) {
    paint::MapPage page;
    page.image = {600, 600, 1, 0.03, c.lon, c.lat, 0.0, 80, 100};
    page.settings.showGrid = true;
    page.settings.gridStep = kGridSteps[3].step;  // 10'
    page.style = paint::DefaultPageStyle();
    paint::PageTextMeasurer measurer(page.style);
    const MapLayout l = LayoutMap(794, 1123, 1.0, page.image, page.settings, measurer);
    const auto lines = LayoutGrid(l, page.image, page.settings, measurer);
    int meridians = 0, parallels = 0;
    for (const GridLine& g : lines) {
      const char want = g.meridian ? c.lonSign : c.latSign;
      EXPECT_EQ(g.label.text[0], want) << c.lon << "," << c.lat << " " << g.label.text;
      (g.meridian ? meridians : parallels)++;
    }
    EXPECT_GT(meridians, 0);
    EXPECT_GT(parallels, 0);
  }
}

}  // namespace
}  // namespace lumora::gui::test
