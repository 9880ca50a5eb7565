#include "core/imagefile/ground_scale.h"

#include <cmath>

namespace lumora {

namespace {
constexpr double kSemiMajorKm = 6378.136;
constexpr double kMeridianKm = 6335.43775989208;  // a (1 - e^2)
constexpr double kEccentricitySq = 0.00669447;
}  // namespace

GroundScale ComputeGroundScale(double latitudeDeg, double lengthPerPixelKm) {
  const double phi = latitudeDeg * kDegToRad;
  const double sinPhi = std::sin(phi);
  const double w = 1.0 - kEccentricitySq * sinPhi * sinPhi;
  GroundScale g;
  g.kmPerDegLon = kSemiMajorKm * std::cos(phi) / (w * w) * kDegToRad;
  g.kmPerDegLat = kMeridianKm / std::pow(w, 1.5) * kDegToRad;
  g.pixelsPerDegLon = g.kmPerDegLon / lengthPerPixelKm;
  g.pixelsPerDegLat = g.kmPerDegLat / lengthPerPixelKm;
  return g;
}

bool WindowCorner(double leftTopLon, double leftTopLat, double inclinationDeg,
                  double lengthPerPixelKm, int left, int top, double& newLon, double& newLat) {
  newLon = leftTopLon;
  newLat = leftTopLat;
  if (left == 0 && top == 0) return true;
  // A length that is no number says as little as an infinite one.
  if (std::isnan(lengthPerPixelKm)) return false;
  // Without a ground length the pixels per degree are infinite and the
  // corner cannot move; avoid 0 / 0 further down.
  if (!(lengthPerPixelKm > 0.0)) return true;
  if (!std::isfinite(lengthPerPixelKm) || !(std::fabs(leftTopLat) < 90.0)) return false;
  const GroundScale g = ComputeGroundScale(leftTopLat, lengthPerPixelKm);
  const double x = left, y = top;
  const double r = std::sqrt(x * x + y * y);
  const double alpha = std::atan2(y, x) - inclinationDeg * kDegToRad;
  double lon = leftTopLon + r * std::cos(alpha) / g.pixelsPerDegLon;
  const double lat = leftTopLat - r * std::sin(alpha) / g.pixelsPerDegLat;
  if (!std::isfinite(lon) || !(lat >= -90.0 && lat <= 90.0)) return false;
  if (lon < -180.0 || lon > 180.0) {
    lon = std::remainder(lon, 360.0);  // exact, and within -180..180
    if (!std::isfinite(lon)) return false;
  }
  newLon = lon;
  newLat = lat;
  return true;
}

GroundMeasure MeasureRegion(int64_t pixels, double perimeterPixels, double lengthPerPixelKm) {
  GroundMeasure m;
  if (!(lengthPerPixelKm > 0.0) || !std::isfinite(lengthPerPixelKm)) return m;
  const double metres = lengthPerPixelKm * 1000.0;
  m.measurable = true;
  m.areaM2 = static_cast<double>(pixels) * metres * metres;
  m.perimeterM = perimeterPixels * metres;
  return m;
}

}  // namespace lumora
