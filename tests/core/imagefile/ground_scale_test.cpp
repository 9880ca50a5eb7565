#include "core/imagefile/ground_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace lumora {
namespace {

// A corner moved exactly onto the pole is still on the globe: straight up
// (top < 0, no inclination) the move is T / pixels per degree exactly, so a
// start latitude is searched for whose sum is 90 to the last bit.
TEST(GroundScale, WindowCornerMayLandOnThePole) {
  const int top = -500;
  const double lpp = 0.03;
  double lat0 = 90.0 - 500 / ComputeGroundScale(89.9, lpp).pixelsPerDegLat;
  for (int k = 0; k < 4; ++k) lat0 = 90.0 - 500 / ComputeGroundScale(lat0, lpp).pixelsPerDegLat;
  const auto moved = [&](double start) {
    return start + 500 / ComputeGroundScale(start, lpp).pixelsPerDegLat;
  };
  bool found = false;
  for (double up = lat0, down = lat0; !found && up - down < 1e-10;
       up = std::nextafter(up, 90.0), down = std::nextafter(down, 0.0))
    for (const double start : {up, down})
      if (!found && moved(start) == 90.0) {
        double lon = 0, lat = 0;
        EXPECT_TRUE(WindowCorner(10.0, start, 0.0, lpp, 0, top, lon, lat)) << start;
        EXPECT_EQ(lat, 90.0);
        found = true;
      }
  EXPECT_TRUE(found);
}

TEST(GroundScale, ScaleByHandAndWindowCornerStaysOnTheGlobeOrIsRefused) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  // About 90.48 km a degree of longitude and 110.96 km of latitude at 36
  // degrees, 111.69 km of latitude near the pole.
  struct Case {
    double lon, lat, incl, lpp;
    int left, top;
    bool ok;
    double newLon, newLat;  // checked when ok
  } cases[] = {
      {139.0, 36.0, 12.0, 0.03, 0, 0, true, 139.0, 36.0},  // the corner itself never moves
      {139.0, 36.0, 0.0, 0.03, 100, 0, true, 139.0 + 3 / 90.477, 36.0},
      {139.0, 36.0, 0.0, 0.03, 0, 100, true, 139.0, 36.0 - 3 / 110.96},   // lower rows lie south
      {139.0, 36.0, 90.0, 0.03, 100, 0, true, 139.0, 36.0 + 3 / 110.96},  // turned: right is north
      {179.999, 36.0, 0.0, 0.03, 1000, 0, true, 179.999 + 30 / 90.477 - 360.0, 36.0},
      {-179.999, 36.0, 180.0, 0.03, 1000, 0, true, -179.999 - 30 / 90.477 + 360.0, 36.0},
      {139.0, 36.0, 0.0, inf, 10, 10, false, 0.0, 0.0},
      {139.0, 36.0, 0.0, nan, 10, 10, false, 0.0, 0.0},  // no number is no more a length than inf
      {139.0, 90.0, 0.0, 0.03, 10, 0, false, 0.0, 0.0},  // no longitude at the pole
      {139.0, -90.0, 0.0, 0.03, 0, 10, false, 0.0, 0.0},
      {139.0, 89.99, 0.0, 0.03, 0, 0, true, 139.0, 89.99},  // the corner itself is always fine
      {139.0, 89.99, 0.0, 0.03, 0, 2000, true, 139.0, 89.99 - 60 / 111.69},
      {139.0, 89.99, 180.0, 0.03, 0, 2000, false, 0.0, 0.0},  // over the pole
  };
  for (const Case& c : cases) {
    double lon = -1, lat = -1;
    EXPECT_EQ(WindowCorner(c.lon, c.lat, c.incl, c.lpp, c.left, c.top, lon, lat), c.ok)
        << c.lon << " " << c.lat << " " << c.top;
    if (c.ok) {
      EXPECT_NEAR(lon, c.newLon, 1e-3) << c.lon << " " << c.lat << " " << c.top;
      EXPECT_NEAR(lat, c.newLat, 1e-3) << c.lon << " " << c.lat << " " << c.top;
    }
  }
  // At the equator W = 1: a and a(1 - e^2) times the degree factor.
  GroundScale g = ComputeGroundScale(0.0, 0.03);
  EXPECT_DOUBLE_EQ(g.kmPerDegLon, 6378.136 * 0.0174532925);
  EXPECT_DOUBLE_EQ(g.kmPerDegLat, 6335.43775989208 * 0.0174532925);
  EXPECT_DOUBLE_EQ(g.pixelsPerDegLon, g.kmPerDegLon / 0.03);

  // At 36 degrees the longitude term divides by W squared (90.477 km), not
  // its root (90.165 km).
  g = ComputeGroundScale(36.0, 0.0285);
  EXPECT_NEAR(g.kmPerDegLon, 90.477, 0.001);
  EXPECT_NEAR(g.kmPerDegLat, 110.96, 0.01);
}

}  // namespace
}  // namespace lumora
