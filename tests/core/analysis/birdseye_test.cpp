#include "core/analysis/birdseye.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <random>

#include "tests/support/dem_reference.h"

namespace lumora {
namespace {

ElevationModel Hills(int w, int h, unsigned seed) {
  ElevationModel m;
  m.pixels = w;
  m.lines = h;
  m.range = {0, 2540, 20, 250};
  m.metresPerCode = 10.0;
  std::mt19937 rng(seed);
  m.codes.resize(size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int c = 120 + int(80 * std::sin(x * 0.3) * std::cos(y * 0.25)) + int(rng() % 9);
      if (x < 4 && y > h / 2) c = 0;  // a bay of sea
      m.codes[size_t(y) * w + x] = uint8_t(c);
    }
  }
  return m;
}

std::vector<std::vector<uint8_t>> RandomBands(const ElevationModel& m, int count, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::vector<uint8_t>> bands(count, std::vector<uint8_t>(m.codes.size()));
  for (auto& band : bands)
    for (auto& v : band) v = uint8_t(rng());
  return bands;
}

ColourPlanes Render(const ElevationModel& m, const std::vector<std::vector<uint8_t>>& bands,
                    double lpp, float az, float el, double exaggeration) {
  int32_t lastRow = -1;
  const DrapeRowReader reader = [&](int band, int32_t row, uint8_t* dst) {
    EXPECT_GE(row, band == 0 ? lastRow + 1 : lastRow);  // rows come in order
    lastRow = row;
    std::copy_n(&bands[band][size_t(row) * m.pixels], m.pixels, dst);
  };
  BirdsEyeRequest request{lpp, az, el, exaggeration, int(bands.size())};
  ColourPlanes out;
  RecordingMessenger msg;
  Progress progress;
  EXPECT_TRUE(RenderBirdsEye(m, request, reader, out, msg, progress));
  return out;
}

TEST(BirdsEye, MatchesThePlainRulesByteForByte) {
  const ElevationModel m = Hills(41, 29, 3);
  const auto colour = RandomBands(m, 3, 9);
  const auto grey = RandomBands(m, 1, 10);
  struct View {
    float az, el;
    double exaggeration;
  } views[] = {{45, 5, 1}, {135, 30, 2}, {180, 45, 1}, {225, 10, 5}, {300, 60, 3},
               {0, 5, 1},  {90, 89, 1},  {270, 20, 4}, {360, 90, 1}, {180.5f, 0, 1}};
  for (const auto& v : views) {
    for (const auto* bands : {&colour, &grey}) {
      const ColourPlanes got = Render(m, *bands, 0.03, v.az, v.el, v.exaggeration);
      const auto want = test::ReferenceBirdsEye(m, 0.03, v.az, v.el, v.exaggeration, *bands);
      ASSERT_EQ(got.count, int(want.size()));
      ASSERT_EQ(got.width, 600);
      ASSERT_EQ(got.height, 600);
      for (int p = 0; p < got.count; ++p)
        EXPECT_EQ(got.plane[p], want[p]) << "az " << v.az << " el " << v.el << " plane " << p;
    }
  }
}

TEST(BirdsEye, SouthernViewerSeesEastOnTheRightAndNorthAtTheTop) {
  ElevationModel m = Hills(40, 40, 1);
  std::fill(m.codes.begin(), m.codes.end(), 50);
  std::vector<std::vector<uint8_t>> bands(1, std::vector<uint8_t>(m.codes.size()));
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x)
      bands[0][y * 40 + x] = uint8_t((x < 20 ? 10 : 100) + (y < 20 ? 0 : 50));
  const ColourPlanes out = Render(m, bands, 0.03, 180, 45, 1);
  // Where each quarter of the image lands: mean picture column and row.
  std::map<int, std::array<double, 3>> at;  // value -> count, sum x, sum y
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 600; ++x) {
      auto& a = at[out.plane[0][y * 600 + x]];
      a[0] += 1, a[1] += x, a[2] += y;
    }
  }
  auto meanX = [&](int v) { return at[v][1] / at[v][0]; };
  auto meanY = [&](int v) { return at[v][2] / at[v][0]; };
  for (int v : {10, 100, 60, 150}) ASSERT_GT(at[v][0], 1000) << v;
  EXPECT_LT(meanX(10), meanX(100));  // west left of east
  EXPECT_LT(meanX(60), meanX(150));
  EXPECT_LT(meanY(10), meanY(60));  // north above south
  EXPECT_LT(meanY(100), meanY(150));
  EXPECT_EQ(out.plane[0][0], 0);  // background outside the surface
}

TEST(BirdsEye, TinyAndSeaOnlyModelsRenderWithoutHarm) {
  for (auto [w, h] : {std::pair{1, 1}, {1, 5}, {5, 1}, {2, 2}}) {
    ElevationModel m = Hills(w, h, 2);
    const auto bands = RandomBands(m, 3, 4);
    const ColourPlanes got = Render(m, bands, 0.03, 45, 5, 1);
    EXPECT_EQ(got.plane[2], test::ReferenceBirdsEye(m, 0.03, 45, 5, 1, bands)[2]) << w << "x" << h;
  }
  ElevationModel sea = Hills(20, 10, 2);
  std::fill(sea.codes.begin(), sea.codes.end(), 0);
  const auto bands = RandomBands(sea, 1, 5);
  EXPECT_EQ(Render(sea, bands, 0.03, 200, 30, 2).plane[0],
            test::ReferenceBirdsEye(sea, 0.03, 200, 30, 2, bands)[0]);
}

}  // namespace
}  // namespace lumora
