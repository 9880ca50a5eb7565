#include "core/analysis/geometry.h"

#include <algorithm>

namespace lumora {

namespace {
constexpr double kRadiansPerDegree = 0.017453292500000002;
constexpr double kHalfRadiansPerDegree = 0.008726646259969445;
}  // namespace

Vec3 DirectionFromAngles(float azimuth, float elevation) {
  const double b = static_cast<float>(90 - azimuth) * kRadiansPerDegree;
  const double e = elevation * kRadiansPerDegree;
  return {std::cos(e) * std::cos(b), -std::cos(e) * std::sin(b), std::sin(e)};
}

Camera::Camera(const Vec3& eye, const Vec3& target, int viewportWidth, int viewportHeight,
               double viewAngle)
    : m_target(target), m_viewportWidth(viewportWidth), m_viewportHeight(viewportHeight) {
  m_tanHalfAngle = std::tan(viewAngle * kHalfRadiansPerDegree);
  const Vec3 w = eye - target;
  m_distance = w.Length();
  if (m_distance == 0.0) return;  // no direction: every point maps to the origin
  const double h = w.LengthXY();
  // Looking straight down has no yaw; take it as facing along x.
  const double cY = h == 0.0 ? 1.0 : w.x / h;
  const double sY = h == 0.0 ? 0.0 : w.y / h;
  const double cP = h / m_distance;
  const double sP = w.z / m_distance;
  m_f = {cY * cP, sY * cP, sP};
  m_e1 = {-sY, cY, 0.0};
  m_e2 = {-cY * sP, -sY * sP, cP};
}

void ScreenPolygon::Add(double x, double y) {
  if (m_x.size() == m_x.capacity()) {
    // Grow by an eighth, at least 4 and at most 1024 points at a time.
    const size_t step = std::clamp<size_t>(m_x.size() / 8, 4, 1024);
    m_x.reserve(m_x.size() + step);
    m_y.reserve(m_y.size() + step);
  }
  m_x.push_back(x);
  m_y.push_back(y);
}

namespace {
bool InsideEvenOdd(const double* xs, const double* ys, int n, double x, double y) {
  bool inside = false;
  for (int i = 0, j = n - 1; i < n; j = i++) {
    if ((ys[i] > y) != (ys[j] > y) && x < (xs[j] - xs[i]) * (y - ys[i]) / (ys[j] - ys[i]) + xs[i])
      inside = !inside;
  }
  return inside;
}
}  // namespace

bool ScreenPolygon::Inside(double x, double y) const {
  return InsideEvenOdd(m_x.data(), m_y.data(), Size(), x, y);
}

bool InsideQuad(const double* xs, const double* ys, double x, double y) {
  return InsideEvenOdd(xs, ys, 4, x, y);
}

}  // namespace lumora
