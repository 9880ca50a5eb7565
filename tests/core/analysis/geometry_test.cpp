#include "core/analysis/geometry.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

// Directions and the camera's axes are checked byte for byte through the
// shading and the bird's-eye view against their plain references; what those
// never reach is here.
TEST(Geometry, InViewTestFollowsTheConeAndDegenerateCamerasAreHarmless) {
  const Camera cam(Vec3(0, 0, 10), Vec3(0, 0, 0), 100, 100, 90);  // straight down
  // At the target (depth 10) the cone's radius is 10.
  EXPECT_TRUE(cam.InView(cam.ToCamera(Vec3(9.99, 0, 0))));
  EXPECT_FALSE(cam.InView(cam.ToCamera(Vec3(10.01, 0, 0))));
  EXPECT_FALSE(cam.InView(cam.ToCamera(Vec3(0, 0, 11))));  // behind the eye
  const Camera none(Vec3(1, 2, 3), Vec3(1, 2, 3), 10, 10, 60);
  const Vec3 c = none.ToCamera(Vec3(7, 8, 9));
  EXPECT_EQ(c.x, 0.0);
  EXPECT_EQ(c.y, 0.0);
  EXPECT_EQ(c.z, 0.0);
  EXPECT_FALSE(none.InView(c));
  EXPECT_EQ(Vec3().Normalized().Length(), 0.0);
}

TEST(Geometry, PolygonInsideTestIsEvenOddAndSharesNoEdgePoint) {
  ScreenPolygon concave;  // a U shape
  for (auto [x, y] : {std::pair{0, 0}, {6, 0}, {6, 6}, {4, 6}, {4, 2}, {2, 2}, {2, 6}, {0, 6}})
    concave.Add(x, y);
  EXPECT_EQ(concave.Size(), 8);
  EXPECT_TRUE(concave.Inside(1, 4));
  EXPECT_TRUE(concave.Inside(5, 4));
  EXPECT_FALSE(concave.Inside(3, 4));  // in the notch
  EXPECT_FALSE(concave.Inside(7, 1));

  // Two quadrilaterals sharing the edge x = 2: each point on it belongs to
  // exactly one of them, and so does every point of a grid over both.
  const double ax[4] = {0, 2, 2, 0}, bx[4] = {2, 4.5, 4, 2};
  const double ay[4] = {0, 0, 3, 3}, by[4] = {0, 0.5, 3, 3};
  for (double y = 0; y < 3; y += 0.5) {
    for (double x = 0.5; x <= 3.5; x += 0.5) {
      const int claims = InsideQuad(ax, ay, x, y) + InsideQuad(bx, by, x, y);
      EXPECT_LE(claims, 1) << x << "," << y;
      if (x == 2 && y > 0.0) {
        EXPECT_EQ(claims, 1) << y;
      }
    }
  }
  ScreenPolygon many;
  for (int i = 0; i < 5000; ++i) many.Add(i, i % 2);
  EXPECT_EQ(many.Size(), 5000);
}

}  // namespace
}  // namespace lumora
