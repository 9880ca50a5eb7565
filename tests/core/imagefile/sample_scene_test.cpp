#include "core/imagefile/sample_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include "core/analysis/elevation.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct Rendered {
  std::vector<SampleRow> rows;
};

Rendered Render(const SampleSceneOptions& o) {
  SampleScene scene(o);
  Rendered r;
  SampleRow row;
  while (scene.NextRow(row)) r.rows.push_back(row);
  return r;
}

// Index of the band with this number in the sensor's list.
size_t BandIndex(int sensor, int number) {
  const auto bands = SampleBands(sensor);
  for (size_t i = 0; i < bands.size(); ++i)
    if (bands[i].number == number) return i;
  ADD_FAILURE() << "no band " << number;
  return 0;
}

TEST(SampleScene, OtherSeedOtherScene) {
  const SampleSceneOptions a{1, 97, 61, 42};
  const Rendered first = Render(a);
  ASSERT_EQ(first.rows.size(), 61u);
  // Every bit of the seed counts, the high ones too.
  for (uint64_t seed : {uint64_t{43}, uint64_t{42} ^ (uint64_t{1} << 32) ^ 1, uint64_t{42} << 40}) {
    SampleSceneOptions b = a;
    b.seed = seed;
    const Rendered other = Render(b);
    size_t differing = 0;
    for (size_t y = 0; y < first.rows.size(); ++y)
      differing += first.rows[y].dem != other.rows[y].dem;
    EXPECT_GT(differing, 30u) << seed;
  }
}

struct SensorCase {
  int sensor;
  int bandCount;
  double lengthPerPixel;
};

class SampleFileSet : public ::testing::TestWithParam<SensorCase> {};

TEST_P(SampleFileSet, IsCompleteAndReadable) {
  const SensorCase c = GetParam();
  TempDir dir;
  RecordingMessenger m;
  const std::string inf = dir / "new/folder/scene.inf";
  const int w = 70, h = 45;
  ASSERT_TRUE(WriteSampleScene(inf, {c.sensor, w, h, 5}, m));
  EXPECT_TRUE(m.entries.empty());
  // One seed, the same files byte for byte: bands, descriptions, .dem, .lev, .inf.
  ASSERT_TRUE(WriteSampleScene(dir / "again/scene.inf", {c.sensor, w, h, 5}, m));
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path() / "again")) {
    const std::string name = e.path().filename().string();
    EXPECT_EQ(ReadFile(dir / ("again/" + name)), ReadFile(dir / ("new/folder/" + name))) << name;
    ++files;
  }
  EXPECT_EQ(files, 2u * c.bandCount + 3);

  ImageSettings s;
  ASSERT_TRUE(ReadSettings(inf, s, m));
  EXPECT_EQ(s.lines, h);
  EXPECT_EQ(s.pixels, w);
  EXPECT_EQ(s.sensor, c.sensor);
  EXPECT_EQ(s.fileState, 0);
  EXPECT_DOUBLE_EQ(s.lengthPerPixel, c.lengthPerPixel);
  EXPECT_GT(s.leftTopLon, 128.0);
  EXPECT_LT(s.leftTopLon, 146.0);
  EXPECT_GT(s.leftTopLat, 30.0);
  EXPECT_LT(s.leftTopLat, 45.0);
  EXPECT_NE(s.inclination, 0.0);
  EXPECT_LE(std::abs(s.inclination), 15.0);

  const std::string base = dir / "new/folder/scene";
  const auto expected = SampleBands(c.sensor);
  ASSERT_EQ(static_cast<int>(expected.size()), c.bandCount);
  const auto listed = ListBands(inf, true, 7);
  ASSERT_EQ(listed.size(), expected.size());
  for (size_t i = 0; i < listed.size(); ++i) {
    EXPECT_EQ(listed[i].number, expected[i].number);
    EXPECT_EQ(listed[i].sampleType, expected[i].sampleType);
    EXPECT_EQ(listed[i].text, Format("%02d : ", expected[i].number) + expected[i].description);
    EXPECT_EQ(ReadFile(BandFilePath(base, expected[i].sampleType, expected[i].number)).size(),
              static_cast<size_t>(w * h * SampleBytes(expected[i].sampleType)));
  }

  // Elevation codes and their range file agree; the codes convert back to
  // the altitudes they were made from.
  const std::string dem = ReadFile(base + ".dem");
  ASSERT_EQ(dem.size(), static_cast<size_t>(w * h));
  int lo = 255, hi = 0;
  for (unsigned char code : dem) {
    if (code) lo = std::min<int>(lo, code);
    hi = std::max<int>(hi, code);
  }
  const std::string levText = ReadFile(base + ".lev");
  ElevationRange lev;
  ParseElevationRange(levText, lev);
  EXPECT_EQ(levText, Format("MIN_VAL = %d\nMIN_ALTITUDE = %d\nMAX_VAL = %d\nMAX_ALTITUDE = %d\n",
                            hi == 0 ? 1 : lo, lev.minAltitude, hi == 0 ? 1 : hi, lev.maxAltitude));
  EXPECT_LT(lev.minAltitude, lev.maxAltitude);

  const Rendered r = Render({c.sensor, w, h, 5});
  const double step = (lev.maxAltitude - lev.minAltitude) / 254.0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int code = static_cast<unsigned char>(dem[static_cast<size_t>(y * w + x)]);
      const float alt = r.rows[static_cast<size_t>(y)].altitude[static_cast<size_t>(x)];
      if (code == 0) continue;
      EXPECT_NEAR((code - 1) * step + lev.minAltitude, alt, step / 2 + 1e-3) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Sensors, SampleFileSet,
                         ::testing::Values(SensorCase{0, 14, 0.015}, SensorCase{1, 7, 0.0285},
                                           SensorCase{2, 4, 0.057}));

// Band numbers of green, red and near infrared per sensor.
struct Relations {
  int sensor, green, red, nir;
};

class SampleSpectra : public ::testing::TestWithParam<Relations> {};

// Plants are dark in the red and bright in the near infrared, water dark in
// the infrared. A scatter plot of red against near infrared shows each cover
// of plants, soil and towns as a cloud, not a line: bands vary independently
// within a cover, and neighbouring pixels of one cover differ. (Bare rock and
// snow vary mostly with the light, as they do.)
TEST_P(SampleSpectra, CoversKeepTheirRelationsAndSpreadIntoClouds) {
  const Relations c = GetParam();
  const Rendered r = Render({c.sensor, 384, 384, 3});
  const size_t red = BandIndex(c.sensor, c.red), nir = BandIndex(c.sensor, c.nir);
  const size_t green = BandIndex(c.sensor, c.green);
  int64_t vegetation = 0, vegetationOk = 0, water = 0, waterNir = 0, land = 0;
  struct Sums {
    double n = 0, x = 0, y = 0, xx = 0, yy = 0, xy = 0, step = 0, steps = 0;
  };
  std::map<SampleCover, Sums> by;
  for (const auto& row : r.rows)
    for (size_t i = 0; i < row.cover.size(); ++i) {
      const SampleCover cover = row.cover[i];
      land += row.dem[i] != 0;
      if (row.dem[i] == 0) {
        EXPECT_TRUE(cover == SampleCover::kDeepWater || cover == SampleCover::kShallowWater);
      }
      const int vr = row.bands[red][i], vn = row.bands[nir][i], vg = row.bands[green][i];
      if (cover == SampleCover::kForest || cover == SampleCover::kGrass ||
          cover == SampleCover::kCrop) {
        ++vegetation;
        vegetationOk += vn > vr;
      } else if (cover == SampleCover::kDeepWater) {
        ++water;
        waterNir += vn;
        EXPECT_LT(vn, vg + 3);
      }
      Sums& s = by[cover];
      const double x = vr, y = vn;
      s.n += 1, s.x += x, s.y += y, s.xx += x * x, s.yy += y * y, s.xy += x * y;
      if (i > 0 && row.cover[i - 1] == cover) {
        s.step += std::abs(y - row.bands[nir][i - 1]);
        s.steps += 1;
      }
    }
  ASSERT_GT(vegetation, 1000);
  EXPECT_GT(vegetationOk, vegetation * 99 / 100);
  if (water > 0) {
    EXPECT_LT(waterNir / water, 25);
  }
  EXPECT_GT(land, 0);
  EXPECT_GE(by.size(), 5u) << "a landscape, not a single cover";
  int checked = 0;
  for (const auto& [cover, s] : by) {
    if (s.n < 500 || cover == SampleCover::kDeepWater || cover == SampleCover::kShallowWater ||
        cover == SampleCover::kRock || cover == SampleCover::kSnow)
      continue;
    ++checked;
    const double vx = s.xx / s.n - (s.x / s.n) * (s.x / s.n);
    const double vy = s.yy / s.n - (s.y / s.n) * (s.y / s.n);
    const double cov = s.xy / s.n - (s.x / s.n) * (s.y / s.n);
    SCOPED_TRACE(static_cast<int>(cover));
    EXPECT_GT(std::sqrt(vy), 1.5);  // a spread, not one value
    EXPECT_LT(std::abs(cov / std::sqrt(vx * vy)), 0.97);
    EXPECT_GT(s.step / s.steps, 0.8);  // neighbours differ
  }
  EXPECT_GE(checked, 4);
}

INSTANTIATE_TEST_SUITE_P(Sensors, SampleSpectra,
                         ::testing::Values(Relations{0, 1, 2, 3}, Relations{1, 2, 3, 4},
                                           Relations{2, 1, 2, 4}));

// Fields are a patchwork of irregular shapes: their borders between one row
// and the next fall on every row alike, not on a period as rows of bricks
// would. The thermal band sees the towns by the sea warm and the snow on
// the volcano cold.
TEST(SampleScene, FieldBordersFollowNoRowPeriodAndThermalBandsSeeWarmTownsAndColdSnow) {
  const Rendered r = Render({1, 512, 512, 7});
  auto farm = [](SampleCover c) {
    return c == SampleCover::kPaddy || c == SampleCover::kCrop || c == SampleCover::kBareSoil;
  };
  std::vector<int> changesAfterRow(r.rows.size(), 0);
  int total = 0;
  for (size_t y = 0; y + 1 < r.rows.size(); ++y)
    for (size_t x = 0; x < r.rows[y].cover.size(); ++x) {
      const SampleCover a = r.rows[y].cover[x], b = r.rows[y + 1].cover[x];
      if (farm(a) && farm(b) && a != b) ++changesAfterRow[y], ++total;
    }
  ASSERT_GT(total, 1000);
  for (size_t period = 2; period <= 24; ++period) {
    std::vector<int> phase(period, 0);
    for (size_t y = 0; y < changesAfterRow.size(); ++y) phase[y % period] += changesAfterRow[y];
    const int most = *std::max_element(phase.begin(), phase.end());
    EXPECT_LT(most, 2.0 * total / static_cast<double>(period)) << "period " << period;
  }

  const size_t tir = BandIndex(1, 6);
  std::map<SampleCover, std::pair<int64_t, int64_t>> sums;
  for (const auto& row : r.rows)
    for (size_t x = 0; x < row.cover.size(); ++x) {
      auto& s = sums[row.cover[x]];
      s.first += row.bands[tir][x];
      ++s.second;
    }
  auto mean = [&](SampleCover c) {
    const auto& s = sums[c];
    return s.second ? static_cast<double>(s.first) / static_cast<double>(s.second) : -1.0;
  };
  ASSERT_GT(sums[SampleCover::kTown].second, 0);
  ASSERT_GT(sums[SampleCover::kSnow].second, 0);
  EXPECT_GT(mean(SampleCover::kTown), mean(SampleCover::kForest));
  EXPECT_GT(mean(SampleCover::kForest), mean(SampleCover::kSnow));

  // ASTER's thermal bands hold 12-bit counts in 16-bit samples.
  const Rendered a = Render({0, 64, 64, 7});
  for (int band = 10; band <= 14; ++band) {
    const auto& bytes = a.rows[10].bands[BandIndex(0, band)];
    ASSERT_EQ(bytes.size(), 128u);
    for (size_t x = 0; x < 64; ++x) {
      const int v = bytes[2 * x] | bytes[2 * x + 1] << 8;
      EXPECT_GT(v, 255);
      EXPECT_LT(v, 4096);
    }
  }
}

// Years later: lakes shrank, forest was cut, the town grew, snow melted;
// ground that kept its cover kept its every band, so a change map shows
// (nearly) only what changed.
TEST(SampleScene, SecondDateIsTheSamePlaceChanged) {
  SampleSceneOptions o;
  o.sensor = 1;
  o.width = o.height = 1024;
  o.seed = 7;
  const Rendered first = Render(o);
  o.date = 2;
  const Rendered second = Render(o);
  std::map<SampleCover, int> before, after;
  int kept = 0, total = 0, unchanged = 0;
  for (size_t y = 0; y < first.rows.size(); ++y)
    for (size_t x = 0; x < first.rows[y].cover.size(); ++x) {
      const SampleCover a = first.rows[y].cover[x], b = second.rows[y].cover[x];
      ++before[a], ++after[b], ++total;
      if (a != b) continue;
      ++kept;
      bool same = true;
      for (size_t k = 0; k < first.rows[y].bands.size(); ++k)
        same = same && first.rows[y].bands[k][x] == second.rows[y].bands[k][x];
      unchanged += same;
    }
  EXPECT_LT(after[SampleCover::kShallowWater], before[SampleCover::kShallowWater] * 9 / 10);
  EXPECT_EQ(after[SampleCover::kDeepWater], before[SampleCover::kDeepWater]);
  EXPECT_LT(after[SampleCover::kForest], before[SampleCover::kForest] * 95 / 100);
  EXPECT_GT(after[SampleCover::kTown], before[SampleCover::kTown] * 11 / 10);
  EXPECT_LT(after[SampleCover::kSnow], before[SampleCover::kSnow] * 9 / 10);
  EXPECT_GT(kept, total * 8 / 10);
  // (Grass of a field may become grass of a park: the same cover, other bands.)
  EXPECT_GT(unchanged, kept * 98 / 100) << unchanged << " of " << kept;
  EXPECT_EQ(SampleDate(1, 1), "1989-08-06");
  EXPECT_LT(DateNumber(SampleDate(2, 1)), DateNumber(SampleDate(2, 2)));
  EXPECT_LT(DateNumber(SampleDate(0, 1)), DateNumber(SampleDate(0, 2)));
}

TEST(WriteSampleScene, RefusesBadOptionsAndUnusableFoldersAndReplacesAnEarlierScene) {
  TempDir dir;
  const SampleSceneOptions bad[] = {
      {3, 64, 64, 1}, {-1, 64, 64, 1}, {1, 15, 64, 1}, {1, 64, 15, 1}, {1, 20001, 64, 1}};
  for (const auto& o : bad) {
    RecordingMessenger m;
    EXPECT_FALSE(WriteSampleScene(dir / "x.inf", o, m));
    EXPECT_EQ(m.LastId(), kMsgSampleBadOptions);
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  WriteFile(dir / "plain", "a file, not a folder");
  RecordingMessenger m;
  EXPECT_FALSE(WriteSampleScene(dir / "plain/sub/x.inf", {1, 32, 32, 1}, m));
  EXPECT_EQ(m.LastId(), kMsgSampleFolderFailed);
  EXPECT_EQ(ReadFile(dir / "plain"), "a file, not a folder");

  // A scene of another sensor replaces an earlier one completely.
  const std::string inf = dir / "s.inf";
  ASSERT_TRUE(WriteSampleScene(inf, {0, 32, 32, 1}, m));
  WriteFile(dir / "s.txt", "notes");  // not part of any band: stays
  ASSERT_TRUE(WriteSampleScene(inf, {1, 32, 32, 1}, m));
  const auto listed = ListBands(inf, true, 7);
  ASSERT_EQ(listed.size(), 7u);
  EXPECT_EQ(listed.back().number, 7);
  EXPECT_FALSE(FileExists(dir / "s.b08"));
  EXPECT_FALSE(FileExists(dir / "s.i10"));
  EXPECT_FALSE(FileExists(dir / "s.d14"));
  EXPECT_TRUE(FileExists(dir / "s.txt"));
}

}  // namespace
}  // namespace lumora
