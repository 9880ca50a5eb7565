#include "core/output/map_layout.h"

#include <algorithm>
#include <cmath>

#include "core/imagefile/ground_scale.h"
#include "core/support/text.h"

namespace lumora {

namespace {

constexpr const char* kSampleGridLabel = "N100ﾟ10'";
constexpr int kMaxGridLines = 4000;

std::vector<std::string> SplitTitle(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    const size_t at = text.find("\r\n", start);
    lines.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) break;
    start = at + 2;
  }
  return lines;
}

PageRect CentredAbove(const TextExtent& e, double s, double x, double bottom) {
  PageRect r;
  r.width = static_cast<int>(e.width * s);
  r.height = static_cast<int>(e.height * s);
  r.left = static_cast<int>(x - r.width * 0.5);
  r.top = static_cast<int>(bottom - r.height);
  return r;
}

// Places the image (and, when the grid is turned, its frame) in the
// available area left by the margins.
void FitImage(MapLayout& l, const MapImage& img, bool turnedFrame) {
  const double availW = static_cast<int>(l.pageWidth - l.marginLeft - l.marginRight);
  const double availH = static_cast<int>(l.pageHeight - l.marginTop - l.marginBottom);
  const double w = img.dibWidth, h = img.dibHeight;
  const double theta = img.inclination * kDegToRad;
  const PointD u{std::cos(theta), std::sin(theta)};
  const PointD v{std::cos(theta + 1.570796325), std::sin(theta + 1.570796325)};
  // Corners in display pixels relative to the image's top-left corner.
  const PointD frame[4] = {
      {0, 0}, {w * u.x, w * u.y}, {w * u.x + h * v.x, w * u.y + h * v.y}, {h * v.x, h * v.y}};
  double minX = 0, minY = 0, maxX = w, maxY = h;
  if (turnedFrame) {
    for (const PointD& p : frame) {
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y);
      maxY = std::max(maxY, p.y);
    }
  }
  const double boxW = maxX - minX, boxH = maxY - minY;
  l.f = std::min(availW / boxW, availH / boxH);
  if (turnedFrame) l.f *= 0.95;  // room for the labels
  // Margins wider than a small page leave no room rather than a mirrored image.
  if (!(l.f > 0.0)) l.f = 0.0;
  const double left = l.marginLeft + (availW - boxW * l.f) * 0.5 - minX * l.f;
  const double top = l.marginTop + (availH - boxH * l.f) * 0.5 - minY * l.f;
  l.image.left = static_cast<int>(left);
  l.image.top = static_cast<int>(top);
  l.image.width = static_cast<int>(w * l.f);
  l.image.height = static_cast<int>(h * l.f);
  for (int i = 0; i < 4; ++i) {
    const PointD& p = turnedFrame ? frame[i] : PointD{i == 1 || i == 2 ? w : 0, i >= 2 ? h : 0};
    l.frame[i] = {l.image.left + p.x * l.f, l.image.top + p.y * l.f};
  }
}

}  // namespace

bool HasMapReference(const ImageSettings& s, int shownFileState) {
  MapImage img;
  img.lengthPerPixel = s.lengthPerPixel;
  img.leftTopLon = s.leftTopLon;
  img.leftTopLat = s.leftTopLat;
  return shownFileState != kStateBirdsEye && img.HasReference();
}

FrameSize AnnotationFrameSize(int pageWidth, int pageHeight, int screenWidth, int screenHeight,
                              int borderWidth, int borderHeight) {
  const double w = std::min({static_cast<double>(pageWidth), 0.9 * screenWidth, 565.0});
  const double h = std::min({static_cast<double>(pageHeight), 0.9 * screenHeight, 800.0});
  return {static_cast<int32_t>(w) + borderWidth, static_cast<int32_t>(h) + borderHeight};
}

std::vector<std::string> ScaleLabels(int km) {
  return {"0km", km % 2 == 0 ? Format("%dkm", km / 2) : Format("%4.1lfkm", km * 0.5),
          Format("%dkm", km)};
}

std::string GridLabel(bool longitude, int minutes) {
  const char sign = minutes == 0 ? ' '
                    : longitude  ? (minutes > 0 ? 'E' : 'W')
                                 : (minutes > 0 ? 'N' : 'S');
  const int a = std::abs(minutes);
  return Format("%c%3dﾟ%02d", sign, a / 60, a % 60);
}

MapLayout LayoutMap(int pageWidth, int pageHeight, double s, const MapImage& img,
                    const AnnotationSettings& a, TextMeasurer& measurer) {
  MapLayout l;
  l.s = s;
  l.pageWidth = static_cast<int>(pageWidth * s);
  l.pageHeight = static_cast<int>(pageHeight * s);
  l.marginTop = l.marginBottom = l.marginLeft = l.marginRight = 10 * s;
  if (img.dibWidth < 1 || img.dibHeight < 1) return l;

  if (a.showTitle) {
    int blockW = 0, blockH = 0;
    std::vector<TextExtent> sizes;
    const auto lines = SplitTitle(a.titleText);
    for (const auto& line : lines) {
      sizes.push_back(measurer.Measure(TextRole::kTitle, line));
      blockW = std::max(blockW, sizes.back().width);
      blockH += sizes.back().height;
    }
    l.title.left = static_cast<int>((pageWidth * s - blockW * s) * 0.5);
    l.title.top = static_cast<int>(l.marginTop);
    l.title.width = static_cast<int>(blockW * s);
    l.title.height = static_cast<int>(blockH * s);
    double y = l.marginTop;
    for (size_t i = 0; i < lines.size(); ++i) {
      y += sizes[i].height * s;
      l.titleLines.push_back({lines[i], CentredAbove(sizes[i], s, l.pageWidth * 0.5, y)});
    }
    l.marginTop += blockH * s;
  }
  if (a.showLegend) {
    if (a.legendPosition == 0 || a.legendPosition == 1)
      l.marginRight += 100 * s;
    else
      l.marginLeft += 100 * s;
  }
  const bool grid = a.showGrid && img.HasReference();
  if (grid) {
    l.gridLabel = measurer.Measure(TextRole::kGridLabel, kSampleGridLabel);
    l.marginLeft += l.gridLabel.width * s;
    l.marginRight += l.gridLabel.width * s;
  }
  const bool turned = grid && img.inclination != 0.0;
  if (a.showNorth) {
    const double factor = (a.northSize + 1) * 0.2 * s;
    const double boxW = factor * img.northBitmapWidth + 5 * s;
    const double boxH = factor * img.northBitmapHeight + 5 * s;
    const bool right = a.northPosition == 0 || a.northPosition == 1;
    const bool top = a.northPosition == 0 || a.northPosition == 3;
    const double edge = 10 * s;
    l.north.width = static_cast<int>(boxW);
    l.north.height = static_cast<int>(boxH);
    l.north.left = static_cast<int>(right ? l.pageWidth - edge - boxW : edge);
    l.north.top = static_cast<int>(top ? edge : l.pageHeight - edge - boxH);
    FitImage(l, img, turned);  // provisional
    const double freeX = right ? l.pageWidth - edge - l.image.Right() : l.image.left - edge;
    const double freeY = top ? l.image.top - edge : l.pageHeight - edge - l.image.Bottom();
    const double shortX = boxW - freeX, shortY = boxH - freeY;
    if (shortX > 0 && shortY > 0) {
      if (shortX <= shortY)
        (right ? l.marginRight : l.marginLeft) += shortX;
      else
        (top ? l.marginTop : l.marginBottom) += shortY;
    }
  }
  const bool scale = a.showScale && img.HasReference();
  if (scale) l.marginBottom += static_cast<int>(100 * s);

  FitImage(l, img, turned);

  if (scale) {
    l.scaleLength = (a.scaleKm / img.lengthPerPixel / std::max(1, img.step)) * l.f;
    const double width = l.pageWidth;
    const double left = a.scalePosition == 0   ? width - 50 * s - l.scaleLength
                        : a.scalePosition == 1 ? (width - l.scaleLength) * 0.5
                                               : 50 * s;
    l.scaleBar = {static_cast<int>(left), static_cast<int>(l.pageHeight - 100 * s),
                  static_cast<int>(l.scaleLength), 5};
    const double ticks[3] = {left, left + l.scaleLength * 0.5, left + l.scaleLength};
    const auto texts = ScaleLabels(a.scaleKm);
    for (int i = 0; i < 3; ++i) {
      l.scaleTicks[i] = static_cast<int>(ticks[i]);
      l.scaleLabels.push_back(
          {texts[i], CentredAbove(measurer.Measure(TextRole::kScaleLabel, texts[i]), s, ticks[i],
                                  l.scaleBar.top - 10 * s)});
    }
    // Over a short bar the end labels move outwards, 4 s clear of the middle one.
    const int clear = static_cast<int>(4 * s);
    PageRect& first = l.scaleLabels[0].rect;
    PageRect& middle = l.scaleLabels[1].rect;
    PageRect& last = l.scaleLabels[2].rect;
    first.left = std::min(first.left, middle.left - clear - first.width);
    last.left = std::max(last.left, middle.Right() + clear);
  }
  if (a.showLegend) {
    const double g = grid ? l.gridLabel.width * s : 0.0;
    const bool right = a.legendPosition == 0 || a.legendPosition == 1;
    const bool upper = a.legendPosition == 0 || a.legendPosition == 3;
    l.legendX = right ? l.image.Right() : static_cast<int>(l.image.left - 100 * s - g);
    l.legendY = upper ? l.image.top : l.image.Bottom();
  }
  return l;
}

std::vector<GridLine> LayoutGrid(const MapLayout& l, const MapImage& img,
                                 const AnnotationSettings& a, TextMeasurer& measurer) {
  std::vector<GridLine> lines;
  if (!a.showGrid || !img.HasReference() || img.dibWidth < 1 || img.dibHeight < 1) return lines;
  const GroundScale g = ComputeGroundScale(img.leftTopLat, img.lengthPerPixel);
  const double perPixel = l.f / std::max(1, img.step);
  const double lonUnits = g.pixelsPerDegLon * perPixel;  // page units per degree
  const double latUnits = g.pixelsPerDegLat * perPixel;
  if (!(lonUnits > 0.0) || !(latUnits > 0.0)) return lines;
  const double theta = img.inclination * kDegToRad;
  const PointD u{std::cos(theta), std::sin(theta)};
  const PointD v{std::cos(theta + 1.570796325), std::sin(theta + 1.570796325)};
  const double frameW = img.dibWidth * l.f, frameH = img.dibHeight * l.f;
  const PointD corner = l.frame[0];
  const int stepMinutes = std::max(1, static_cast<int>(a.gridStep * 0.6 + 0.5));

  // Longitudes grow to the right of the corner, latitudes fall below it;
  // all in minutes, the first multiple past the corner first.
  const double lon0 = img.leftTopLon * 60, lon1 = lon0 + frameW / lonUnits * 60;
  const double lat0 = img.leftTopLat * 60, lat1 = lat0 - frameH / latUnits * 60;
  const double firstLon = std::floor(lon0 / stepMinutes) + 1;
  const double lastLon = std::floor(lon1 / stepMinutes);
  const double firstLat = std::ceil(lat0 / stepMinutes) - 1;
  const double lastLat = std::ceil(lat1 / stepMinutes);
  if (lastLon - firstLon + firstLat - lastLat > kMaxGridLines) return lines;

  // Labels keep clear of the frame's edge and of the image drawn over it.
  const double gap = 4 * l.s;
  const double labelBottom = l.image.top - gap, labelRight = l.image.left - gap;
  for (double k = firstLon; k <= lastLon; ++k) {
    const int minutes = static_cast<int>(k) * stepMinutes;
    const double along = (minutes - lon0) / 60 * lonUnits;
    GridLine line;
    line.meridian = true;
    line.from = {corner.x + along * u.x, corner.y + along * u.y};
    line.to = {line.from.x + frameH * v.x, line.from.y + frameH * v.y};
    line.label.text = GridLabel(true, minutes);
    line.label.rect = CentredAbove(measurer.Measure(TextRole::kGridLabel, line.label.text), l.s,
                                   line.from.x, std::min(line.from.y - gap, labelBottom));
    lines.push_back(std::move(line));
  }
  for (double k = firstLat; k >= lastLat; --k) {
    const int minutes = static_cast<int>(k) * stepMinutes;
    const double down = (lat0 - minutes) / 60 * latUnits;
    GridLine line;
    line.from = {corner.x + down * v.x, corner.y + down * v.y};
    line.to = {line.from.x + frameW * u.x, line.from.y + frameW * u.y};
    line.label.text = GridLabel(false, minutes);
    const TextExtent e = measurer.Measure(TextRole::kGridLabel, line.label.text);
    PageRect& r = line.label.rect;
    r.width = static_cast<int>(e.width * l.s);
    r.height = static_cast<int>(e.height * l.s);
    r.left = static_cast<int>(std::min(line.from.x - gap, labelRight) - r.width);
    r.top = static_cast<int>(line.from.y - r.height * 0.5);
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace lumora
