#include "core/analysis/geometry.h"

#include <gtest/gtest.h>

namespace lumora {
namespace {

TEST(Geometry, DirectionsFollowCompassAndElevation) {
  struct Case {
    float az, el;
    Vec3 want;
  } cases[] = {
      {0, 0, {0, -1, 0}},   // north: towards row 0
      {90, 0, {1, 0, 0}},   // east: towards higher columns
      {180, 0, {0, 1, 0}},  // south
      {270, 0, {-1, 0, 0}}, {45, 90, {0, 0, 1}},
  };
  for (const auto& c : cases) {
    const Vec3 d = DirectionFromAngles(c.az, c.el);
    EXPECT_NEAR(d.x, c.want.x, 1e-8) << c.az;
    EXPECT_NEAR(d.y, c.want.y, 1e-8) << c.az;
    EXPECT_NEAR(d.z, c.want.z, 1e-8) << c.az;
  }
  // An elevation of 90 degrees stays just short of straight up, so a
  // camera on that line still has a yaw.
  EXPECT_GT(DirectionFromAngles(0, 90).LengthXY(), 0.0);
}

TEST(Geometry, CameraAxesAreOrthonormalAndTheTargetSitsOnTheAxis) {
  const Vec3 target(10, 20, 0);
  const Vec3 eye = target + Vec3(3, -4, 12);  // distance 13
  const Camera cam(eye, target, 600, 600, 60);
  EXPECT_DOUBLE_EQ(cam.Distance(), 13.0);
  for (const Vec3& a : {cam.E1(), cam.E2(), cam.F()}) EXPECT_NEAR(a.Length(), 1.0, 1e-12);
  EXPECT_NEAR(cam.E1().Dot(cam.E2()), 0.0, 1e-12);
  EXPECT_NEAR(cam.E1().Dot(cam.F()), 0.0, 1e-12);
  EXPECT_NEAR(cam.E2().Dot(cam.F()), 0.0, 1e-12);
  EXPECT_NEAR(cam.E1().Cross(cam.E2()).Dot(cam.F()), 1.0, 1e-12);  // f points to the eye
  const Vec3 t = cam.ToCamera(target);
  EXPECT_DOUBLE_EQ(cam.Depth(t), 13.0);
  EXPECT_EQ(cam.ForwardAxis().z, -13.0);
  const Vec3 e = cam.ToCamera(eye);
  EXPECT_NEAR(e.z, -13.0, 1e-12);
  EXPECT_FALSE(cam.InView(e));  // depth 0
  // e2 is "up" on the picture: a point above the target has positive y.
  EXPECT_GT(cam.ToCamera(target + Vec3(0, 0, 1)).y, 0.0);
}

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
