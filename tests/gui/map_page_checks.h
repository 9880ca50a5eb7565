// Finding the map page's elements on a picture of it (an exported page, a
// rasterised PDF): the grid lines and labels, the scale bar, the north mark,
// the title and the legend, each where the layout puts them.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/imagefile/settings_file.h"
#include "core/support/messenger.h"
#include "core/view/image_session.h"
#include "paint/legend_page_painter.h"
#include "paint/map_page_painter.h"
#include "tests/support/temp_dir.h"

namespace lumora::gui::test {

inline std::string RunTool(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

// The pixels of an uncompressed one-strip RGB TIFF as the writer lays it out.
inline QImage TiffPixels(const std::string& tiff, int width, int height) {
  QImage image(width, height, QImage::Format_RGB888);
  for (int y = 0; y < height; ++y)
    std::memcpy(image.scanLine(y), tiff.data() + 192 + size_t(y) * width * 3, size_t(width) * 3);
  return image;
}

inline QImage RasterisePdf(const std::string& pdf, const std::string& prefix, int dpi) {
  RunTool("pdftoppm -r " + std::to_string(dpi) + " -singlefile -png '" + pdf + "' '" + prefix +
          "'");
  return QImage(QString::fromStdString(prefix + ".png")).convertToFormat(QImage::Format_RGB888);
}

// The page lumora-cli draws for band 4 in rainbow colours with every
// annotation on (its options in map_page_test.cpp).
inline paint::MapPage AllOnPage(const std::string& inf) {
  ImageSettings settings;
  RecordingMessenger m;
  EXPECT_TRUE(ReadSettings(inf, settings, m));
  OpenRequest request = ComposeOnOpen(inf, settings);
  request.composition = ComposeBands({}, 4, 4, 4, true);
  request.composition.rainbow = true;
  ImageSession session;
  Progress progress(nullptr);
  EXPECT_TRUE(session.Open(request, WorkingFiles{}, m, progress));
  AnnotationSettings a;
  a.showTitle = true;
  a.titleText = "東京の地図\r\n二〇二六年";
  a.showGrid = true;
  a.gridStep = kGridSteps[3].step;
  a.showScale = true;
  a.scaleKm = 15;
  a.scalePosition = 1;
  a.showNorth = true;
  a.northSize = 2;
  a.northPosition = 2;
  a.showLegend = true;
  a.legendPosition = 3;
  paint::MapPage page =
      paint::MakeMapPage(96, 96, session.Display(), session.State().m_nStep, settings,
                         session.State().m_nFileState, a, paint::LoadNorthMark());
  static RecordingMessenger legendMessages;  // outlives the painter that reports to it
  page.legend = paint::LegendOf(session.Legend(), session.State(), legendMessages);
  return page;
}

// Checks the page drawn at layout scale s (device pixels per page unit) on a
// raster with k raster pixels per device pixel, the page's corner at offset.
inline void CheckPageElements(const QImage& raster, const paint::MapPage& page, double s, double k,
                              QPoint offset) {
  paint::PageTextMeasurer measurer(page.style);
  const MapLayout l =
      LayoutMap(page.pageWidth, page.pageHeight, s, page.image, page.settings, measurer);
  auto at = [&](double x, double y) {
    return QPoint(static_cast<int>(std::lround(x * k)) + offset.x(),
                  static_cast<int>(std::lround(y * k)) + offset.y());
  };
  auto near = [&](QPoint p, auto test) {  // within a pixel of p
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (raster.rect().contains(p + QPoint(dx, dy)) &&
            test(raster.pixelColor(p + QPoint(dx, dy))))
          return true;
    return false;
  };
  auto red = [](QColor c) { return c.red() > 160 && c.green() < 110 && c.blue() < 110; };
  auto dark = [](QColor c) { return c.lightness() < 100; };
  auto white = [](QColor c) { return c.lightness() > 245; };
  auto count = [&](const PageRect& r, auto test) {
    int n = 0;
    const QRect box(at(r.left, r.top), at(r.Right(), r.Bottom()));
    for (int y = box.top(); y < box.bottom(); ++y)
      for (int x = box.left(); x < box.right(); ++x)
        if (raster.rect().contains(x, y) && test(raster.pixelColor(x, y))) ++n;
    return n;
  };
  const QRect image(at(l.image.left, l.image.top), at(l.image.Right(), l.image.Bottom()));

  // Grid: every line is red where it runs outside the image, its label too.
  const auto lines = LayoutGrid(l, page.image, page.settings, measurer);
  ASSERT_FALSE(lines.empty());
  int outside = 0;
  for (const GridLine& g : lines) {
    for (double t = 0.05; t < 1.0; t += 0.1) {
      const QPoint p = at(g.from.x + (g.to.x - g.from.x) * t, g.from.y + (g.to.y - g.from.y) * t);
      if (image.adjusted(-2, -2, 2, 2).contains(p)) continue;
      ++outside;
      EXPECT_TRUE(near(p, red)) << g.label.text << " at " << p.x() << "," << p.y();
    }
    EXPECT_GT(count(g.label.rect, red), 3) << g.label.text;
  }
  EXPECT_GT(outside, 0);

  // Scale bar: a dark line along the bar's foot, white just past its right end.
  ASSERT_EQ(l.scaleLabels.size(), 3u);
  const double foot = l.scaleBar.top + 5 * s;
  for (double t = 0.02; t < 1.0; t += 0.12) {
    const QPoint p = at(l.scaleTicks[0] + (l.scaleTicks[2] - l.scaleTicks[0]) * t, foot);
    EXPECT_TRUE(near(p, dark)) << "scale bar at " << p.x() << "," << p.y();
  }
  EXPECT_TRUE(white(raster.pixelColor(at(l.scaleTicks[2], foot) + QPoint(4, 0))));
  EXPECT_TRUE(white(raster.pixelColor(at(l.scaleTicks[0], foot) - QPoint(4, 0))));
  for (const TextBox& label : l.scaleLabels) EXPECT_GT(count(label.rect, dark), 3) << label.text;

  // North mark: dark strokes inside its box, white just outside it.
  EXPECT_GT(count(l.north, dark), 20);
  // The arrow's feet reach the box's foot: the mark fills its box's height.
  const int sole = l.north.height / 10;
  EXPECT_GT(count(PageRect{l.north.left, l.north.Bottom() - sole, l.north.width, sole}, dark), 3);
  EXPECT_TRUE(white(raster.pixelColor(at(l.north.left, l.north.top) - QPoint(3, 3))));
  EXPECT_TRUE(white(raster.pixelColor(at(l.north.Right(), l.north.Bottom()) + QPoint(3, 3))));

  // Title: dark text in its block.
  EXPECT_GT(count(l.title, dark), 20);

  if (!page.settings.showLegend) return;
  // Legend (a colour ramp at an upper corner): the ramp is coloured half way
  // down its frame, and the page is white just left of it.
  const int x0 = l.legendX + static_cast<int>(10 * s);
  const int y0 = l.legendY + static_cast<int>(100 * s);
  const QColor mid = raster.pixelColor(at(x0 + 12 * s, y0 - 50 * s));
  EXPECT_GT(mid.hsvSaturation(), 150) << "legend at " << x0 << "," << y0;
  EXPECT_TRUE(white(raster.pixelColor(at(x0, y0 - 50 * s) - QPoint(3, 0))));
}

}  // namespace lumora::gui::test
