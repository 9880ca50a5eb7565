// A small geometry toolkit for the relief renderers: three-component vectors
// of doubles, a camera that turns world points into its own axes, and a
// screen polygon with an inside test.
#pragma once

#include <cmath>
#include <vector>

namespace lumora {

struct Vec3 {
  double x = 0.0, y = 0.0, z = 0.0;

  constexpr Vec3() = default;
  constexpr Vec3(double ax, double ay, double az) : x(ax), y(ay), z(az) {}

  Vec3 operator+(const Vec3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vec3 operator-(const Vec3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vec3 operator*(double k) const { return {x * k, y * k, z * k}; }
  Vec3& operator+=(const Vec3& o) {
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
  }
  double Dot(const Vec3& o) const { return x * o.x + y * o.y + z * o.z; }
  Vec3 Cross(const Vec3& o) const {
    return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
  }
  double Length() const { return std::sqrt(x * x + y * y + z * z); }
  double LengthXY() const { return std::sqrt(x * x + y * y); }
  // The unit vector in the same direction; a zero vector stays zero.
  Vec3 Normalized() const {
    const double len = Length();
    if (len == 0.0) return {};
    return {x / len, y / len, z / len};
  }
};

// The unit direction from the scene towards a light or an eye given by an
// azimuth (degrees clockwise from north, north being row 0) and an elevation
// above the horizontal (degrees).
Vec3 DirectionFromAngles(float azimuth, float elevation);

class Camera {
 public:
  Camera() = default;
  Camera(const Vec3& eye, const Vec3& target, int viewportWidth, int viewportHeight,
         double viewAngle);

  // World point to camera axes: (e1 . q, e2 . q, -f . q) with q = p - target.
  Vec3 ToCamera(const Vec3& p) const {
    const Vec3 q = p - m_target;
    return {m_e1.Dot(q), m_e2.Dot(q), -m_f.Dot(q)};
  }
  // Distance of a camera point in front of the eye along the viewing axis.
  double Depth(const Vec3& c) const { return c.z + m_distance; }
  // Inside the view cone and in front of the eye.
  bool InView(const Vec3& c) const {
    const double depth = Depth(c);
    return depth >= 1e-10 && c.LengthXY() / depth <= m_tanHalfAngle;
  }
  // The camera's forward axis in its own coordinates; points towards the eye.
  Vec3 ForwardAxis() const { return {0.0, 0.0, -m_distance}; }

  double Distance() const { return m_distance; }
  double TanHalfAngle() const { return m_tanHalfAngle; }
  const Vec3& E1() const { return m_e1; }
  const Vec3& E2() const { return m_e2; }
  const Vec3& F() const { return m_f; }
  const Vec3& Target() const { return m_target; }
  int ViewportWidth() const { return m_viewportWidth; }
  int ViewportHeight() const { return m_viewportHeight; }

 private:
  Vec3 m_target;
  int m_viewportWidth = 0, m_viewportHeight = 0;
  double m_tanHalfAngle = 0.0;
  double m_distance = 0.0;
  Vec3 m_f, m_e1, m_e2;
};

// A polygon in screen coordinates.
class ScreenPolygon {
 public:
  void Clear() {
    m_x.clear();
    m_y.clear();
  }
  void Add(double x, double y);
  int Size() const { return static_cast<int>(m_x.size()); }
  // Even-odd rule. A point on an edge counts on one side only (inside when
  // the polygon lies towards higher x, or higher y, of it), so polygons that
  // share an edge never both claim a point on it.
  bool Inside(double x, double y) const;

 private:
  std::vector<double> m_x, m_y;
};

// The even-odd inside test of a quadrilateral given by its corner arrays;
// the same rule as ScreenPolygon::Inside, without building a polygon.
bool InsideQuad(const double* xs, const double* ys, double x, double y);

}  // namespace lumora
