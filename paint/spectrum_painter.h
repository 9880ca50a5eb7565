// Draws spectra (a band value against wavelength, one line per pixel) and
// the statistics of a region with QtGui alone, so that the program's
// windows, their printouts and saved pictures, and lumora-cli agree.
#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <string>
#include <vector>

#include "core/analysis/accuracy.h"
#include "core/windows/region_stats.h"
#include "core/windows/spectrum.h"

class QPainter;

namespace lumora::paint {

struct SpectrumSeries {
  std::string name;
  QColor colour;
  std::vector<double> values;  // one per band; NaN breaks the line
  // Optional, one per band: a band of values ± spread is shaded behind the
  // line (a class's mean spectrum ± one standard deviation).
  std::vector<double> spread;
};

// The colour of pin i (0..5) and of the spectrum that follows the mouse.
QColor PinColour(int index);
QColor LiveColour();

// The chart inside rect: axes, the visible light in rainbow colours under
// the wavelength axis with the infrared parts named, the lines with a dot
// per band and their names. unit: device pixels per chart unit (the
// window's pixel ratio on screen, larger on paper).
void PaintSpectrumChart(QPainter& p, const QRectF& rect, double unit,
                        const std::vector<SpectrumBand>& bands,
                        const std::vector<SpectrumSeries>& series);

// A printed page of 1000 x 1414 units on a device of width x height pixels:
// the device pixels of a unit, and the title centred at its top (lines
// parted by "\r\n").
double PageScale(int width, int height);
void PageTitle(QPainter& p, double k, const std::string& title);

// The saved picture of the chart.
inline constexpr int kSpectrumPictureWidth = 900;
inline constexpr int kSpectrumPictureHeight = 600;
QImage RenderSpectrumPicture(const std::vector<SpectrumBand>& bands,
                             const std::vector<SpectrumSeries>& series);

// The printed A4 page (1000 x 1414 units scaled onto width x height): the
// title, the chart and a table of the values.
void PaintSpectrumPage(QPainter& p, int width, int height, const std::string& title,
                       const std::vector<SpectrumBand>& bands,
                       const std::vector<SpectrumSeries>& series);

// A small histogram filling rect: bars in colour, a baseline.
void PaintHistogram(QPainter& p, const QRectF& rect, const std::array<int64_t, kRegionBins>& bins,
                    const QColor& colour);

// The printed A4 page of a region's statistics: title, pixel count, area,
// perimeter and a row per band with its numbers and histogram.
void PaintRegionPage(QPainter& p, int width, int height, const std::string& title,
                     const RegionStats& stats, const GroundMeasure& measure);

// The printed A4 page of a classification's accuracy: title, the sentence,
// the confusion matrix with each class's producer's and user's accuracy,
// overall accuracy and kappa.
void PaintAccuracyPage(QPainter& p, int width, int height, const std::string& title,
                       const Accuracy& accuracy);

// A picture encoded as PNG (or another format Qt writes); empty on failure.
std::string EncodePicture(const QImage& picture, const char* format);

}  // namespace lumora::paint
