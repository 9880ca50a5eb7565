#include "paint/legend_page_painter.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "core/analysis/class_areas.h"
#include "core/analysis/class_legend.h"
#include "core/analysis/dem_legend.h"
#include "core/analysis/elevation.h"
#include "core/analysis/vegetation_index.h"
#include "core/support/file_set.h"

namespace lumora::paint {

namespace {

QString ToQ(const std::string& utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Text with its top-left corner at (x, y), the font's size times s.
void DrawText(QPainter& p, int x, int y, const std::string& text, double s) {
  const QFont font = LegendFont();
  p.save();
  p.translate(x, y);
  p.scale(s, s);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(QPointF(0, QFontMetrics(font).ascent()), ToQ(text));
  p.restore();
}

int TextHeight(double s) { return static_cast<int>(QFontMetrics(LegendFont()).height() * s); }

QRect Normalised(int left, int top, int right, int bottom) {
  return QRect(QPoint(std::min(left, right), std::min(top, bottom)),
               QPoint(std::max(left, right) - 1, std::max(top, bottom) - 1));
}

bool PaintRamp(QPainter& p, const DisplayState& state, int x, int y, int corner, double s,
               Messenger& messenger, bool fromRangeFile) {
  RampLegend legend;
  const bool rainbow = state.m_bRainbow;
  if (fromRangeFile) {
    if (!FillRampFromRangeFile(state.m_strSettingsPath, rainbow, legend, messenger)) return false;
  } else {
    FillRampFromNumbers(state.m_fDispMax, state.m_fDispMin, rainbow, legend);
  }
  RampPageLayout l;
  if (!LayoutRampOnPage(legend, state.m_strSettingsPath, state.m_fDispMin, state.m_fDispMax,
                        rainbow, state.m_bRainbowReversed, x, y, corner, s, l, messenger))
    return false;
  for (size_t k = 0; k < l.steps.size(); ++k) {
    const auto& r = l.steps[k];
    const RainbowEntry c = l.colours[k];
    // A step at least one unit tall, so that small scales leave no gaps.
    QRect box = Normalised(r.left, r.top, r.right, r.bottom);
    if (box.height() < 1) box.setHeight(1);
    p.fillRect(box, QColor(c.red, c.green, c.blue));
  }
  p.setPen(QPen(Qt::black, std::max(1, static_cast<int>(s))));
  p.setBrush(Qt::NoBrush);
  p.drawRect(Normalised(l.frame.left, l.frame.top, l.frame.right, l.frame.bottom));
  for (const PageLabel& label : l.labels) DrawText(p, label.x, label.y, label.text, s);
  return true;
}

bool PaintClasses(QPainter& p, const DisplayState& state, int x, int y, int corner, double s,
                  Messenger& messenger, bool classAreas) {
  std::vector<LegendItem> items;
  if (!LoadClassLegendForPage(StripExtension(state.m_strSettingsPath) + ".mlk", items, messenger))
    return false;
  if (classAreas) {
    std::vector<ClassArea> areas;
    if (!ComputeClassAreas(state.m_strSettingsPath, areas, messenger)) return false;
    // The last row counts the pixels of no class; the window leaves it out
    // too. Pixels, area and share go on lines of their own, to fit the margin.
    for (size_t i = 0; i < items.size() && i + 1 < areas.size(); ++i) {
      const std::string text = ClassAreaText(areas[i]);
      for (size_t from = 0; from <= text.size();) {
        const size_t comma = std::min(text.find(", ", from), text.size());
        items[i].notes.push_back(text.substr(from, comma - from));
        from = comma + 2;
      }
    }
  }
  const QFontMetrics m(LegendFont());
  const ClassPageLayout l =
      LayoutClassLegendOnPage(items, x, y, corner, s, [&](const std::string& text) {
        return TextSize{static_cast<int>(m.horizontalAdvance(ToQ(text)) * s),
                        static_cast<int>(m.height() * s)};
      });
  for (size_t i = 0; i < l.swatches.size(); ++i) {
    const auto& r = l.swatches[i];
    PaintSwatch(p, Normalised(r.left, r.top, r.right, r.bottom),
                QColor(l.colours[i].red, l.colours[i].green, l.colours[i].blue),
                std::max(1, static_cast<int>(s)));
  }
  for (const PageLabel& line : l.lines) DrawText(p, line.x, line.y, line.text, s);
  return true;
}

void FillBand(QPainter& p, const LegendBand& b) {
  QRect box = Normalised(b.left, b.top, b.right, b.bottom);
  if (box.height() < 1) box.setHeight(1);
  p.fillRect(box, QColor(b.colour[2], b.colour[1], b.colour[0]));
}

bool PaintElevation(QPainter& p, const DisplayState& state, int x, int y, int corner, double s,
                    Messenger& messenger) {
  DemLegendRange range;
  if (!ReadDemLegendRange(state.m_strSettingsPath, state.m_nFileState,
                          ElevationLegendHint(state.m_strSettingsPath, state.m_nFileState), range,
                          messenger))
    return false;
  const DemPrintLegend l = DemLegendOnPage(corner, x, y, s);
  for (const LegendBand& b : l.bar) FillBand(p, b);
  p.fillRect(Normalised(l.sea.left, l.sea.top, l.sea.right, l.sea.bottom), QColor(0, 0, 255));
  const int h = TextHeight(s);
  DrawText(p, l.labelX, l.lowLabelY - h, range.LowPrintLabel(), s);
  DrawText(p, l.labelX, l.highLabelY - h, range.HighPrintLabel(), s);
  DrawText(p, l.labelX, l.seaLabelY, "海", s);
  return true;
}

}  // namespace

void PaintSwatch(QPainter& p, const QRect& box, const QColor& colour, int frame) {
  p.fillRect(box, QColor(64, 64, 64));
  const QRect inside = box.adjusted(frame, frame, -frame, -frame);
  if (inside.isValid()) p.fillRect(inside, colour);
}

QFont LegendFont() {
  QFont f(QStringLiteral("IPAGothic"));
  f.setPixelSize(12);
  f.setStyleHint(QFont::SansSerif);
  return f;
}

bool PaintLegend(QPainter& p, LegendKind kind, const DisplayState& state, int x, int y, int corner,
                 double s, Messenger& messenger, bool classAreas) {
  p.save();
  bool drawn = false;
  switch (kind) {
    case LegendKind::kNone: break;
    case LegendKind::kVegetation:
      drawn = PaintRamp(p, state, x, y, corner, s, messenger, true);
      break;
    case LegendKind::kColourRamp:
      drawn = PaintRamp(p, state, x, y, corner, s, messenger, false);
      break;
    case LegendKind::kClass:
      drawn = PaintClasses(p, state, x, y, corner, s, messenger, classAreas);
      break;
    case LegendKind::kElevation:
      drawn = PaintElevation(p, state, x, y, corner, s, messenger);
      break;
  }
  p.restore();
  return drawn;
}

LegendPainter LegendOf(LegendKind kind, const DisplayState& state, Messenger& messenger,
                       bool classAreas) {
  if (kind == LegendKind::kNone) return {};
  return [kind, state, &messenger, classAreas](QPainter& p, int x, int y, int corner, double s) {
    PaintLegend(p, kind, state, x, y, corner, s, messenger, classAreas);
  };
}

}  // namespace lumora::paint
