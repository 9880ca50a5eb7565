#include "core/analysis/shading.h"

#include <gtest/gtest.h>

#include <mutex>
#include <random>

#include "tests/support/dem_reference.h"

namespace lumora {
namespace {

// A hilly model with a sea bay and single land pixels in the sea.
ElevationModel Hills(int w, int h, unsigned seed) {
  ElevationModel m;
  m.pixels = w;
  m.lines = h;
  m.range = {120, 2660, 1, 255};
  m.metresPerCode = MetresPerCode(120, 2660);
  std::mt19937 rng(seed);
  m.codes.resize(size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int c = 60 + int(50 * std::sin(x * 0.4) + 40 * std::cos(y * 0.3)) + int(rng() % 25);
      if (x + y < 5 || (x > w / 2 && y > h / 2 && rng() % 3 == 0)) c = 0;
      m.codes[size_t(y) * w + x] = uint8_t(std::clamp(c, 0, 255));
    }
  }
  m.rangeBottom = TruncToInt(m.range.minAltitude);
  m.rangeTop = TruncToInt(254 * m.metresPerCode + m.range.minAltitude);
  return m;
}

ElevationModel Flat(int w, int h, uint8_t code) {
  ElevationModel m;
  m.pixels = w;
  m.lines = h;
  m.range = {0, 2540, 1, 255};
  m.metresPerCode = 10.0;
  m.rangeTop = 2540;
  m.codes.assign(size_t(w) * h, code);
  return m;
}

ColourPlanes Shade(const ElevationModel& m, int kind, double lpp, float az, float el) {
  ColourPlanes out;
  RecordingMessenger msg;
  Progress progress;
  EXPECT_TRUE(ShadeElevation(m, {kind, lpp, az, el}, out, msg, progress));
  return out;
}

// Codes anywhere in 0..255 from pixel to pixel (every pair of differences),
// a fifth of them sea.
ElevationModel Rough(int w, int h, unsigned seed) {
  ElevationModel m = Hills(w, h, seed);
  std::mt19937 rng(seed);
  for (auto& c : m.codes) c = rng() % 5 == 0 ? 0 : uint8_t(rng() % 256);
  return m;
}

TEST(Shading, MatchesThePlainRulesByteForByte) {
  struct Angles {
    float az, el;
  } angles[] = {{45, 45}, {0, 0}, {360, 90}, {200, 10}, {90, 30}, {271.5f, 3}};
  // Odd sizes down to one pixel, and rows that are no whole number of blocks
  // of sixteen; the largest is shaded in two bands at once.
  const ElevationModel models[] = {Hills(37, 23, 5), Hills(1, 1, 1),  Hills(2, 3, 2),
                                   Hills(7, 9, 3),   Rough(35, 6, 4), Rough(300, 230, 6)};
  for (const ElevationModel& m : models) {
    // 0.03 km is an ordinary scene; 3e-5 km a steep one; 1e-7 km piles the
    // relief so high that parts of it stand behind the light.
    for (double lpp : {0.03, 3e-5, 1e-7}) {
      for (int kind : {6, 7, 8}) {
        for (const auto& a : angles) {
          if (m.pixels > 100 && (a.az != 200 || lpp == 1e-7)) continue;  // the slow reference
          const ColourPlanes got = Shade(m, kind, lpp, a.az, a.el);
          const auto want = test::ReferenceShading(m, kind, lpp, a.az, a.el);
          ASSERT_EQ(got.count, int(want.size()));
          for (int p = 0; p < got.count; ++p) {
            EXPECT_EQ(got.plane[p], want[p])
                << m.pixels << "x" << m.lines << " kind " << kind << " plane " << p << " az "
                << a.az << " el " << a.el << " lpp " << lpp;
          }
        }
      }
    }
  }
}

// Told block by block, the rows come out as the whole planes do: blocks of
// two rows of 400000 pixels, each band's last one shorter.
TEST(Shading, BlocksAddUpToTheWholePlanes) {
  const ElevationModel m = Rough(400000, 9, 7);
  const size_t w = 400000;
  for (int kind : {6, 8}) {
    const ColourPlanes whole = Shade(m, kind, 0.03, 45, 45);
    std::vector<std::vector<uint8_t>> got(whole.count, std::vector<uint8_t>(w * 9, 7));
    std::mutex lock;
    int blocks = 0;
    RecordingMessenger msg;
    Progress progress;
    const auto put = [&](int32_t from, int32_t to, const std::array<const uint8_t*, 3>& rows) {
      const std::lock_guard<std::mutex> hold(lock);
      ++blocks;
      for (int p = 0; p < whole.count; ++p)
        std::copy(rows[p], rows[p] + (to - from) * w, got[p].begin() + from * w);
    };
    ASSERT_TRUE(ShadeElevationRows(m, {kind, 0.03, 45, 45}, put, msg, progress));
    EXPECT_EQ(blocks, 5) << kind;  // rows 0-1, 2-3 | 4-5, 6-7, 8
    for (int p = 0; p < whole.count; ++p) EXPECT_EQ(got[p], whole.plane[p]) << kind;
  }
}

// Pixels whose brightness lies within rounding of a change of the output: a
// luma of 170 or just below, and a brightness of -5.6e-17 or 0.
TEST(Shading, BrightnessOnAnOutputStepMatchesThePlainRules) {
  const struct {
    float az, el;
    uint8_t up, left, down, right;
  } cases[] = {{90, 0, 93, 105, 105, 93}, {270, 45, 101, 100, 98, 94}};
  for (const auto& c : cases) {
    // Wide enough for the fast rows, which need every point in the light;
    // the pixel twice, where rows go two at a time and at an odd row's end.
    ElevationModel m = Flat(65, 3, 100);
    for (int x : {32, 63}) {
      m.codes[x] = c.up;
      m.codes[65 + x - 1] = c.left;
      m.codes[65 + x + 1] = c.right;
      m.codes[130 + x] = c.down;
    }
    // Lit at luma 0 or unlit is the same grey, not the same colour.
    for (int kind : {6, 7}) {
      const ColourPlanes got = Shade(m, kind, 0.03, c.az, c.el);
      const auto want = test::ReferenceShading(m, kind, 0.03, c.az, c.el);
      for (int p = 0; p < got.count; ++p) EXPECT_EQ(got.plane[p], want[p]) << c.az << " " << kind;
    }
  }
}

TEST(Shading, FlatModelIsEvenExceptCornersAndIslands) {
  ElevationModel m = Flat(6, 5, 100);
  m.codes[3 * 6 + 3] = 0;  // a sea pixel inside
  const ColourPlanes grey = Shade(m, 6, 0.03, 45, 45);
  ASSERT_EQ(grey.count, 1);
  // sin 45 degrees of white: every pixel with three or four land neighbours.
  EXPECT_EQ(grey.plane[0][1 * 6 + 1], 180);
  EXPECT_EQ(grey.plane[0][0 * 6 + 2], 180);
  EXPECT_EQ(grey.plane[0][2 * 6 + 3], 180);
  // Corners have two land neighbours whose cross products cancel.
  EXPECT_EQ(grey.plane[0][0], 0);
  EXPECT_EQ(grey.plane[0][4 * 6 + 5], 0);
  EXPECT_EQ(grey.plane[0][3 * 6 + 3], 0);  // sea is black in grey

  // Colours: the sea stays blue.
  const ColourPlanes colour = Shade(m, 7, 0.03, 45, 45);
  ASSERT_EQ(colour.count, 3);
  EXPECT_EQ(colour.plane[0][3 * 6 + 3], 255);
  EXPECT_EQ(colour.plane[1][3 * 6 + 3], 0);
  EXPECT_EQ(colour.plane[2][3 * 6 + 3], 0);

  // A land pixel alone in the sea is black.
  ElevationModel island = Flat(3, 3, 0);
  island.codes[4] = 50;
  EXPECT_EQ(Shade(island, 6, 0.03, 45, 45).plane[0][4], 0);
}

}  // namespace
}  // namespace lumora
