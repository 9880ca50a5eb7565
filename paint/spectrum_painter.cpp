#include "paint/spectrum_painter.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "core/imagefile/band_catalogue.h"
#include "core/support/string_table.h"
#include "paint/map_page_painter.h"

namespace lumora::paint {

namespace {

QFont Gothic(double pixels) {
  QFont f(QStringLiteral("IPAGothic"));
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  f.setStyleHint(QFont::SansSerif);
  return f;
}

QString Shown(const char* japanese) { return ToQ(ShownText(japanese)); }

// The colour of light of a wavelength in the visible range (0.38-0.70 µm):
// violet through blue, green and yellow to red.
QColor LightColour(double um) {
  const double t = std::clamp((um - 0.38) / (0.70 - 0.38), 0.0, 1.0);
  return QColor::fromHsvF(static_cast<float>(0.75 * (1.0 - t)), 1.0f, 1.0f);
}

// A tidy step for about `count` ticks over span: 1, 2 or 5 times a power of ten.
double NiceStep(double span, int count) {
  const double raw = span / std::max(1, count);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double m : {1.0, 2.0, 5.0})
    if (raw <= m * power) return m * power;
  return 10.0 * power;
}

struct Range {
  double lo = 0.0, hi = 255.0;
};

// The value axis: from zero (or the lowest value below it) to a tidy top.
Range ValueRange(const std::vector<SpectrumSeries>& series) {
  bool any = false;
  double lo = 0.0, hi = 0.0;
  // The lines set the scale; a shaded spread beyond it is clipped.
  for (const SpectrumSeries& s : series)
    for (const double v : s.values)
      if (std::isfinite(v)) {
        lo = any ? std::min(lo, v) : std::min(0.0, v);
        hi = any ? std::max(hi, v) : v;
        any = true;
      }
  if (!any) return {};
  if (hi <= 255.0 && lo >= 0.0) return {0.0, 255.0};  // 8-bit values compare on one scale
  const double step = NiceStep(hi - lo > 0 ? hi - lo : std::abs(hi) + 1.0, 5);
  return {std::floor(lo / step) * step, std::ceil(hi / step) * step + (hi == lo ? step : 0.0)};
}

// The parts of the spectrum a child can name, in µm.
struct Part {
  double from, to;
  const char* name;
  const char* hint;
  QColor colour;
};
const Part kParts[] = {
    {0.38, 0.70, "目に見える光", "", QColor()},
    {0.70, 1.30, "近赤外線", "（植物が明るい）", QColor(150, 40, 40)},
    {1.30, 3.00, "短波長赤外線", "（水と土の違い）", QColor(120, 90, 60)},
    {3.00, 15.0, "熱赤外線", "（あたたかさ）", QColor(200, 110, 30)},
};

QString NumberText(double v) { return ToQ(ValueText(v, 3)); }

}  // namespace

QColor PinColour(int index) {
  static const QColor kPins[6] = {QColor(0, 90, 220),   QColor(0, 160, 60),  QColor(220, 30, 30),
                                  QColor(150, 60, 200), QColor(230, 130, 0), QColor(0, 170, 190)};
  return kPins[std::clamp(index, 0, 5)];
}

QColor LiveColour() { return QColor(40, 40, 40); }

void PaintSpectrumChart(QPainter& p, const QRectF& rect, double unit,
                        const std::vector<SpectrumBand>& bands,
                        const std::vector<SpectrumSeries>& series) {
  const double u = unit;
  const QFont tick = Gothic(12 * u), caption = Gothic(13 * u);
  const QFontMetricsF tm(tick), cm(caption);
  const SpectrumAxis axis = AxisFor(bands);
  const Range range = ValueRange(series);
  const QRectF plot(rect.left() + 62 * u, rect.top() + 12 * u, rect.width() - 80 * u,
                    rect.height() - 12 * u - (axis.byWavelength ? 100 * u : 50 * u));
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.fillRect(rect, Qt::white);
  if (plot.width() < 10 || plot.height() < 10) {
    p.restore();
    return;
  }
  auto xAt = [&](double position) { return plot.left() + position * plot.width(); };
  auto yAt = [&](double v) {
    return plot.bottom() - (v - range.lo) / (range.hi - range.lo) * plot.height();
  };

  // Value grid and labels.
  p.setFont(tick);
  const double step = NiceStep(range.hi - range.lo, 6);
  for (double v = range.lo; v <= range.hi + step * 1e-6; v += step) {
    p.setPen(QPen(QColor(225, 225, 225), u));
    p.drawLine(QPointF(plot.left(), yAt(v)), QPointF(plot.right(), yAt(v)));
    p.setPen(Qt::black);
    const QString t = NumberText(v);
    p.drawText(QPointF(plot.left() - 6 * u - tm.horizontalAdvance(t), yAt(v) + tm.ascent() / 2.5),
               t);
  }
  p.save();
  p.setFont(caption);
  p.translate(rect.left() + cm.ascent() + 2 * u, plot.center().y());
  p.rotate(-90);
  const QString valueCaption = Shown("バンドの値");
  p.drawText(QPointF(-cm.horizontalAdvance(valueCaption) / 2, 0), valueCaption);
  p.restore();

  // Wavelength (or band number) ticks.
  double below = plot.bottom() + 4 * u;
  p.setFont(tick);
  std::vector<double> ticks;
  if (axis.byWavelength && axis.logarithmic) {
    for (const double t : {0.4, 0.5, 0.7, 1.0, 1.5, 2.0, 3.0, 5.0, 7.0, 10.0, 15.0})
      if (t >= axis.lo && t <= axis.hi) ticks.push_back(t);
  } else if (axis.byWavelength) {
    const double s = NiceStep(axis.hi - axis.lo, 8);
    for (double t = std::ceil(axis.lo / s) * s; t <= axis.hi; t += s) ticks.push_back(t);
  } else {
    for (const SpectrumBand& b : bands) ticks.push_back(b.number);
  }
  for (const double t : ticks) {
    const double x = xAt(axis.PositionOfValue(t));
    p.setPen(QPen(QColor(225, 225, 225), u));
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    p.setPen(Qt::black);
    const QString label = NumberText(t);
    p.drawText(QPointF(x - tm.horizontalAdvance(label) / 2, below + tm.ascent()), label);
  }
  below += tm.height() + 4 * u;

  // The light we can see in its colours, the infrared parts in theirs, and
  // a key below naming each part in words a child knows.
  if (axis.byWavelength) {
    const double strip = 10 * u;
    double x = plot.left(), keyTop = below + strip + 4 * u;
    for (const Part& part : kParts) {
      const double from = std::max(part.from, axis.lo), to = std::min(part.to, axis.hi);
      if (to <= from) continue;
      const double x0 = xAt(axis.PositionOfValue(from)), x1 = xAt(axis.PositionOfValue(to));
      const QRectF bar(x0, below, x1 - x0, strip);
      QLinearGradient rainbow(bar.topLeft(), bar.topRight());
      for (int i = 0; i <= 10; ++i)
        rainbow.setColorAt(i / 10.0, LightColour(from + (to - from) * i / 10.0));
      const QBrush fill = part.colour.isValid() ? QBrush(part.colour) : QBrush(rainbow);
      p.fillRect(bar, fill);
      const QString text = Shown(part.name) + (*part.hint ? Shown(part.hint) : QString());
      const double w = 12 * u + tm.horizontalAdvance(text);
      if (x > plot.left() && x + w > plot.right()) {  // on to the next line
        x = plot.left();
        keyTop += tm.height();
      }
      const QRectF swatch(x, keyTop + (tm.height() - 8 * u) / 2, 8 * u, 8 * u);
      QLinearGradient small(swatch.topLeft(), swatch.topRight());
      small.setStops(rainbow.stops());
      p.fillRect(swatch, part.colour.isValid() ? fill : QBrush(small));
      p.setPen(Qt::black);
      p.drawText(QPointF(x + 11 * u, keyTop + tm.ascent()), text);
      x += w + 10 * u;
    }
    below = keyTop + tm.height() + 4 * u;
  }
  p.setFont(caption);
  const QString xCaption = axis.byWavelength
                               ? Shown(axis.logarithmic ? "波長（µm，対数目盛）" : "波長（µm）")
                               : Shown("バンド番号（波長のわからないバンドがあります）");
  p.drawText(QPointF(plot.center().x() - cm.horizontalAdvance(xCaption) / 2, below + cm.ascent()),
             xCaption);

  // The frame, then the lines in band order along the axis.
  p.setPen(QPen(Qt::black, u));
  p.setBrush(Qt::NoBrush);
  p.drawRect(plot);
  std::vector<size_t> order(bands.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return axis.PositionOf(bands[a]) < axis.PositionOf(bands[b]);
  });
  p.setClipRect(plot.adjusted(-4 * u, -4 * u, 4 * u, 4 * u));
  for (const SpectrumSeries& s : series) {
    if (s.spread.size() != s.values.size()) continue;
    QPolygonF shade;
    for (auto it = order.begin(); it != order.end(); ++it)
      if (std::isfinite(s.values[*it]))
        shade << QPointF(xAt(axis.PositionOf(bands[*it])), yAt(s.values[*it] + s.spread[*it]));
    for (auto it = order.rbegin(); it != order.rend(); ++it)
      if (std::isfinite(s.values[*it]))
        shade << QPointF(xAt(axis.PositionOf(bands[*it])), yAt(s.values[*it] - s.spread[*it]));
    QColor light = s.colour;
    light.setAlpha(60);
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawPolygon(shade);
    p.setBrush(Qt::NoBrush);
  }
  for (const SpectrumSeries& s : series) {
    QPainterPath path;
    bool open = false;
    std::vector<QPointF> dots;
    for (const size_t i : order) {
      if (i >= s.values.size() || !std::isfinite(s.values[i])) {
        open = false;
        continue;
      }
      const QPointF pt(xAt(axis.PositionOf(bands[i])), yAt(s.values[i]));
      if (open)
        path.lineTo(pt);
      else
        path.moveTo(pt);
      open = true;
      dots.push_back(pt);
    }
    p.setPen(QPen(s.colour, 2 * u));
    p.drawPath(path);
    p.setBrush(s.colour);
    p.setPen(QPen(Qt::white, u));
    for (const QPointF& d : dots) p.drawEllipse(d, 4 * u, 4 * u);
    p.setBrush(Qt::NoBrush);
  }
  p.setClipping(false);

  // Names of the lines, top right inside the plot.
  p.setFont(tick);
  double y = plot.top() + 6 * u;
  for (const SpectrumSeries& s : series) {
    if (s.name.empty()) continue;
    const QString name = ToQ(s.name);
    const double w = tm.horizontalAdvance(name);
    const QRectF box(plot.right() - w - 34 * u, y, w + 28 * u, tm.height() + 2 * u);
    p.fillRect(box, QColor(255, 255, 255, 220));
    p.setPen(QPen(s.colour, 3 * u));
    p.drawLine(QPointF(box.left() + 3 * u, box.center().y()),
               QPointF(box.left() + 19 * u, box.center().y()));
    p.setPen(Qt::black);
    p.drawText(QPointF(box.left() + 24 * u, box.top() + 1 * u + tm.ascent()), name);
    y += box.height() + 2 * u;
  }
  p.restore();
}

QImage RenderSpectrumPicture(const std::vector<SpectrumBand>& bands,
                             const std::vector<SpectrumSeries>& series) {
  QImage out(kSpectrumPictureWidth, kSpectrumPictureHeight, QImage::Format_RGB32);
  out.fill(Qt::white);
  QPainter p(&out);
  PaintSpectrumChart(p, QRectF(0, 0, out.width(), out.height()), 1.5, bands, series);
  p.end();
  return out;
}

double PageScale(int width, int height) { return std::min(width / 1000.0, height / 1414.0); }

void PageTitle(QPainter& p, double k, const std::string& title) {
  const QFont f = Gothic(32 * k);
  const QFontMetricsF m(f);
  p.setFont(f);
  p.setPen(Qt::black);
  double y = 70 * k;
  for (const QString& line : ToQ(title).split(QStringLiteral("\r\n"))) {
    p.drawText(QPointF(500 * k - m.horizontalAdvance(line) / 2, y + m.ascent()), line);
    y += m.height();
  }
}

namespace {

// One row of texts at the given column lefts.
void TableRow(QPainter& p, const QFont& f, double y, const std::vector<double>& lefts,
              const QStringList& cells) {
  const QFontMetricsF m(f);
  p.setFont(f);
  for (qsizetype i = 0; i < cells.size() && i < static_cast<qsizetype>(lefts.size()); ++i)
    p.drawText(QPointF(lefts[static_cast<size_t>(i)], y + m.ascent()),
               m.elidedText(cells[i], Qt::ElideRight,
                            (i + 1 < static_cast<qsizetype>(lefts.size())
                                 ? lefts[static_cast<size_t>(i + 1)] - lefts[static_cast<size_t>(i)]
                                 : p.device()->width()) -
                                6));
}

}  // namespace

void PaintSpectrumPage(QPainter& p, int width, int height, const std::string& title,
                       const std::vector<SpectrumBand>& bands,
                       const std::vector<SpectrumSeries>& series) {
  const double k = PageScale(width, height);
  p.save();
  p.fillRect(QRectF(0, 0, 1000 * k, 1414 * k), Qt::white);
  PageTitle(p, k, title);
  PaintSpectrumChart(p, QRectF(60 * k, 180 * k, 880 * k, 600 * k), 1.6 * k, bands, series);
  // The values below: a row per band, a column per line.
  const QFont f = Gothic(16 * k);
  const double rowHeight = QFontMetricsF(f).height() + 4 * k;
  std::vector<double> lefts = {60 * k, 130 * k, 480 * k};
  const double columns = std::max<size_t>(1, series.size());
  for (size_t i = 0; i < series.size(); ++i) lefts.push_back((580 + i * 360.0 / columns) * k);
  double y = 820 * k;
  QStringList head = {Shown("バンド"), Shown("説明"), Shown("波長（µm）")};
  for (const SpectrumSeries& s : series) head << ToQ(s.name);
  p.setPen(Qt::black);
  TableRow(p, f, y, lefts, head);
  y += rowHeight;
  p.drawLine(QPointF(60 * k, y - 2 * k), QPointF(940 * k, y - 2 * k));
  for (size_t b = 0; b < bands.size() && y < 1360 * k; ++b, y += rowHeight) {
    QStringList row = {QString::number(bands[b].number),
                       ToQ(ShownBandDescription(bands[b].description)),
                       ToQ(WavelengthText(bands[b].wavelength))};
    for (const SpectrumSeries& s : series)
      row << (b < s.values.size() ? ToQ(ValueText(s.values[b], 4)) : QString());
    TableRow(p, f, y, lefts, row);
  }
  p.restore();
}

void PaintHistogram(QPainter& p, const QRectF& rect, const std::array<int64_t, kRegionBins>& bins,
                    const QColor& colour) {
  const int64_t top = *std::max_element(bins.begin(), bins.end());
  p.save();
  p.fillRect(rect, QColor(248, 248, 248));
  const double w = rect.width() / kRegionBins;
  for (int i = 0; i < kRegionBins && top > 0; ++i) {
    const double h = rect.height() * static_cast<double>(bins[static_cast<size_t>(i)]) / top;
    p.fillRect(QRectF(rect.left() + i * w, rect.bottom() - h, std::max(w - 0.5, 0.5), h), colour);
  }
  p.setPen(QPen(Qt::gray, 0));
  p.drawLine(rect.bottomLeft(), rect.bottomRight());
  p.restore();
}

void PaintRegionPage(QPainter& p, int width, int height, const std::string& title,
                     const RegionStats& stats, const GroundMeasure& measure) {
  const double k = PageScale(width, height);
  p.save();
  p.fillRect(QRectF(0, 0, 1000 * k, 1414 * k), Qt::white);
  PageTitle(p, k, title);
  const QFont f = Gothic(17 * k);
  const double line = QFontMetricsF(f).height() + 6 * k;
  double y = 190 * k;
  p.setPen(Qt::black);
  const std::vector<double> two = {60 * k, 240 * k};
  TableRow(p, f, y, two, {Shown("画素の数"), QString::number(stats.pixels)});
  TableRow(p, f, y += line, two, {Shown("面積"), ToQ(AreaText(measure))});
  TableRow(p, f, y += line, two, {Shown("周囲の長さ"), ToQ(PerimeterText(measure))});
  y += 2 * line;
  // The last column (the histogram's caption) runs to the page's edge.
  const std::vector<double> lefts = {60 * k, 125 * k, 400 * k, 460 * k, 520 * k, 600 * k, 700 * k};
  TableRow(p, f, y, lefts,
           {Shown("バンド"), Shown("説明"), Shown("最小"), Shown("最大"), Shown("平均"),
            Shown("標準偏差"), Shown("ヒストグラム")});
  y += line;
  p.drawLine(QPointF(60 * k, y - 3 * k), QPointF(940 * k, y - 3 * k));
  const double rowHeight = 44 * k;
  for (const BandStats& s : stats.bands) {
    if (y + rowHeight > 1380 * k) break;
    QStringList row = {QString::number(s.band.number),
                       ToQ(ShownBandDescription(s.band.description))};
    if (s.count)
      row << ToQ(ValueText(s.min, 3)) << ToQ(ValueText(s.max, 3)) << ToQ(ValueText(s.mean, 2))
          << ToQ(ValueText(s.stddev, 2));
    TableRow(p, f, y + 8 * k, lefts, row);
    PaintHistogram(p, QRectF(700 * k, y, 240 * k, rowHeight - 8 * k), s.histogram,
                   QColor(70, 110, 170));
    y += rowHeight;
  }
  p.restore();
}

void PaintAccuracyPage(QPainter& p, int width, int height, const std::string& title,
                       const Accuracy& a) {
  const double k = PageScale(width, height);
  p.save();
  p.fillRect(QRectF(0, 0, 1000 * k, 1414 * k), Qt::white);
  PageTitle(p, k, title);
  const QFont f = Gothic(17 * k);
  const double line = QFontMetricsF(f).height() + 6 * k;
  p.setFont(f);
  p.setPen(Qt::black);
  QRectF sentence(60 * k, 180 * k, 880 * k, 120 * k);
  p.drawText(sentence, Qt::TextWordWrap, ToQ(AccuracySentence(a)), &sentence);
  double y = sentence.bottom() + 2 * line;
  // Columns: the check class, the computer's classes, not classified, producer's accuracy.
  const int n = a.Count();
  const double first = 60 * k, name = 170 * k, last = 110 * k;
  const double cell = std::max(40 * k, (880 * k - name - last) / (n + 1));
  std::vector<double> lefts = {first};
  for (int c = 0; c <= n + 1; ++c) lefts.push_back(first + name + c * cell);
  QStringList header = {Shown("正解＼答え")};
  for (const auto& t : a.titles) header << ToQ(t);
  header << Shown("分類なし") << Shown("作成者精度");
  TableRow(p, f, y, lefts, header);
  y += line;
  p.drawLine(QPointF(60 * k, y - 3 * k), QPointF(940 * k, y - 3 * k));
  const auto percent = [](double v) {
    return std::isnan(v) ? QStringLiteral("-")
                         : ToQ(ValueText(v * 100.0, 1)) + QStringLiteral(" %");
  };
  for (int t = 0; t < n && y + line < 1300 * k; ++t) {
    QStringList row = {ToQ(a.titles[size_t(t)])};
    for (int c = 0; c <= n; ++c) row << QString::number(a.At(t, c));
    row << percent(a.producers[size_t(t)]);
    TableRow(p, f, y, lefts, row);
    y += line;
  }
  QStringList users = {Shown("ユーザー精度")};
  for (int c = 0; c < n; ++c) users << percent(a.users[size_t(c)]);
  TableRow(p, f, y, lefts, users);
  y += 2 * line;
  const std::vector<double> two = {60 * k, 300 * k};
  TableRow(p, f, y, two, {Shown("全体の正確さ"), percent(a.overall)});
  TableRow(p, f, y + line, two,
           {Shown("カッパ係数"),
            std::isnan(a.kappa) ? QStringLiteral("-") : ToQ(ValueText(a.kappa, 3))});
  p.restore();
}

std::string EncodePicture(const QImage& picture, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, format)) return {};
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace lumora::paint
