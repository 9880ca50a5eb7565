#include "core/imagefile/sample_scene.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/band_io.h"
#include "core/imagefile/settings_file.h"
#include "core/imagefile/staged_file_set.h"
#include "core/support/checked_math.h"
#include "core/support/file_handle.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {
namespace {

// Integer hashing and a small generator of our own, so that a seed gives the
// same scene with every standard library.
uint32_t Mix32(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352du;
  x ^= x >> 15;
  x *= 0x846ca68bu;
  x ^= x >> 16;
  return x;
}

uint32_t Hash3(uint32_t a, uint32_t b, uint32_t c) { return Mix32(a + Mix32(b + Mix32(c))); }

// -1 .. 1
float HashUnit(uint32_t h) { return static_cast<float>(h >> 8) * (2.0f / 16777216.0f) - 1.0f; }

struct SplitMix64 {
  uint64_t state;
  uint64_t Next() {
    uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  // 0 .. 1
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
};

// -1 .. 1, peaked at 0: two bytes of v summed.
float Triangular(uint64_t v) {
  return static_cast<float>((v & 255) + ((v >> 8) & 255)) * (1.0f / 255.0f) - 1.0f;
}

float SmoothStep(float t) { return t * t * (3.0f - 2.0f * t); }

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

// 0 .. hi, written so that it compiles to min/max instructions, not branches.
float ClampSample(float v, float hi) {
  v = v > 0.0f ? v : 0.0f;
  return v < hi ? v : hi;
}

// Value noise summed over octaves whose cells are powers of two in pixels, so
// that a row needs only one interpolated lattice row per octave; lattice
// values are hashed, nothing is stored per scene.
class Fbm {
 public:
  // Cells from 2^coarse down to 2^fine pixels, amplitude halving per octave;
  // the sum lies in -1 .. 1.
  Fbm(uint32_t seed, int coarse, int fine, int width) {
    float amp = 1.0f, total = 0.0f;
    SplitMix64 rng{seed};
    for (int s = coarse; s >= fine; --s) {
      Octave o;
      o.shift = s;
      o.seed = static_cast<uint32_t>(rng.Next());
      o.offX = static_cast<int>(rng.Next() & ((1u << s) - 1));
      o.offY = static_cast<int>(rng.Next() & ((1u << s) - 1));
      o.amp = amp;
      o.row.resize(static_cast<size_t>(((width + o.offX) >> s) + 2));
      o.lo.resize(o.row.size());
      o.hi.resize(o.row.size());
      o.weight.resize(size_t{1} << s);
      for (size_t i = 0; i < o.weight.size(); ++i)
        o.weight[i] = SmoothStep(static_cast<float>(i) / static_cast<float>(o.weight.size()));
      total += amp;
      amp *= 0.5f;
      m_octaves.push_back(std::move(o));
    }
    for (auto& o : m_octaves) o.amp /= total;
  }

  // out[x] = sum over octaves of row y; the first `split` octaves also go to
  // coarse (when given), the rest to detail (when given).
  void Row(int y, float* out, int width, float* coarse = nullptr, size_t split = 0,
           float* detail = nullptr) {
    std::fill(out, out + width, 0.0f);
    if (coarse) std::fill(coarse, coarse + width, 0.0f);
    if (detail) std::fill(detail, detail + width, 0.0f);
    for (size_t k = 0; k < m_octaves.size(); ++k) {
      Octave& o = m_octaves[k];
      const int yy = y + o.offY;
      const uint32_t j = static_cast<uint32_t>(yy >> o.shift);
      const float t = o.weight[static_cast<size_t>(yy & ((1 << o.shift) - 1))];
      // Lattice rows are hashed once each: rows come in order, so the lower
      // one of the next cell is the upper one of this cell.
      if (o.cached != static_cast<int64_t>(j)) {
        if (o.cached + 1 == static_cast<int64_t>(j))
          std::swap(o.lo, o.hi);
        else
          LatticeRow(o, j, o.lo);
        LatticeRow(o, j + 1, o.hi);
        o.cached = j;
      }
      for (size_t i = 0; i < o.row.size(); ++i)
        o.row[i] = o.amp * (o.lo[i] + (o.hi[i] - o.lo[i]) * t);
      const float* row = o.row.data();
      const float* w = o.weight.data();
      float* extra = k < split ? coarse : detail;
      // Cell by cell, so that the inner loops run over contiguous weights.
      const int cell = 1 << o.shift;
      for (int x0 = -o.offX, i = 0; x0 < width; x0 += cell, ++i) {
        const int from = std::max(0, x0), to = std::min(width, x0 + cell);
        const float a = row[i], d = row[i + 1] - row[i];
        for (int x = from; x < to; ++x) out[x] += a + d * w[x - x0];
        if (extra)
          for (int x = from; x < to; ++x) extra[x] += a + d * w[x - x0];
      }
    }
  }

 private:
  struct Octave {
    int shift = 0;
    uint32_t seed = 0;
    int offX = 0, offY = 0;
    float amp = 0.0f;
    std::vector<float> row;
    std::vector<float> weight;
    std::vector<float> lo, hi;  // lattice rows `cached` and `cached` + 1
    int64_t cached = -2;
  };
  static void LatticeRow(const Octave& o, uint32_t j, std::vector<float>& out) {
    for (size_t i = 0; i < out.size(); ++i)
      out[i] = HashUnit(Hash3(static_cast<uint32_t>(i), j, o.seed));
  }
  std::vector<Octave> m_octaves;
};

// Reflectance of each cover at blue, green, red, red edge, near infrared and
// the two short-wave infrared windows, and its surface temperature (deg C).
enum Channel { kBlue, kGreen, kRed, kRedEdge, kNir, kSwir1, kSwir2, kChannels };

struct CoverSpectrum {
  std::array<float, kChannels> refl;
  float temperature;
  bool thermalQuartz;  // lower emissivity at 8-9.3 um (soil, sand, rock, town)
};

constexpr std::array<CoverSpectrum, 11> kSpectra = {{
    {{0.055f, 0.045f, 0.025f, 0.012f, 0.008f, 0.004f, 0.002f}, 17.0f, false},  // deep water
    {{0.075f, 0.085f, 0.065f, 0.035f, 0.022f, 0.010f, 0.005f}, 20.0f, false},  // shallow water
    {{0.025f, 0.048f, 0.028f, 0.190f, 0.300f, 0.140f, 0.060f}, 23.0f, false},  // forest
    {{0.045f, 0.095f, 0.065f, 0.250f, 0.380f, 0.260f, 0.130f}, 27.0f, false},  // grass
    {{0.035f, 0.085f, 0.045f, 0.300f, 0.460f, 0.220f, 0.100f}, 25.0f, false},  // crop
    {{0.060f, 0.080f, 0.070f, 0.120f, 0.160f, 0.090f, 0.050f}, 22.0f, false},  // paddy
    {{0.090f, 0.130f, 0.170f, 0.210f, 0.240f, 0.330f, 0.280f}, 33.0f, true},   // bare soil
    {{0.100f, 0.110f, 0.120f, 0.140f, 0.160f, 0.210f, 0.190f}, 36.0f, true},   // town
    {{0.065f, 0.075f, 0.085f, 0.100f, 0.115f, 0.160f, 0.150f}, 30.0f, true},   // rock
    {{0.620f, 0.610f, 0.590f, 0.540f, 0.480f, 0.080f, 0.040f}, -4.0f, false},  // snow
    {{0.160f, 0.200f, 0.240f, 0.270f, 0.290f, 0.360f, 0.330f}, 34.0f, true},   // sand
}};

// Within a cover, reflectance varies along three directions as it does in
// nature: vigour (more or less green leaf; for water, suspended sediment),
// wetness (water in leaves and soil darkens the short-wave infrared) and
// brightness. Independent factors along different directions make a scatter
// plot of two bands show clouds, not lines.
constexpr std::array<float, kChannels> kVigourShift = {-0.012f, 0.012f, -0.026f, 0.06f,
                                                       0.12f,   0.02f,  -0.015f};
constexpr std::array<float, kChannels> kSedimentShift = {0.012f, 0.026f, 0.032f, 0.016f,
                                                         0.006f, 0.0f,   0.0f};
constexpr std::array<float, kChannels> kWetShift = {-0.004f, -0.005f, -0.010f, -0.020f,
                                                    -0.040f, -0.080f, -0.070f};

struct CoverVariation {
  float vigour, wet, bright;
};

constexpr std::array<CoverVariation, 11> kVariation = {{
    {0.25f, 0.0f, 0.04f},   // deep water
    {0.60f, 0.0f, 0.06f},   // shallow water
    {0.45f, 0.35f, 0.12f},  // forest
    {0.65f, 0.50f, 0.12f},  // grass
    {0.85f, 0.40f, 0.10f},  // crop
    {0.90f, 0.80f, 0.10f},  // paddy: flooded to green
    {0.30f, 0.80f, 0.18f},  // bare soil
    {0.55f, 0.30f, 0.22f},  // town: gardens and roofs
    {0.15f, 0.30f, 0.20f},  // rock
    {0.00f, 1.20f, 0.07f},  // snow: grain size
    {0.10f, 0.50f, 0.12f},  // sand
}};

// How a band turns a pixel into a number: reflective bands as
// offset + gain x reflectance x illumination; thermal bands from temperature.
struct BandModel {
  int channel;  // -1 for thermal
  float scale;  // factor on the channel's reflectance (short-wave neighbours)
  float offset;
  float gain;
};

struct SensorModel {
  double lengthPerPixel;
  int scanLines;  // detectors per scan: slight stripes
  std::vector<SampleBand> bands;
  std::vector<BandModel> models;
};

SensorModel MakeSensor(int sensor) {
  SensorModel m;
  auto add = [&m](int number, int type, const char* text, BandModel model) {
    m.bands.push_back({number, type, text});
    m.models.push_back(model);
  };
  if (sensor == kSensorAster) {
    m.lengthPerPixel = 0.015;
    m.scanLines = 1;
    add(1, 1, "ASTER バンド1 緑 0.52-0.60μm", {kGreen, 1.0f, 30, 380});
    add(2, 1, "ASTER バンド2 赤 0.63-0.69μm", {kRed, 1.0f, 18, 400});
    add(3, 1, "ASTER バンド3 近赤外 0.78-0.86μm", {kNir, 1.0f, 10, 300});
    add(4, 1, "ASTER バンド4 短波長赤外 1.600-1.700μm", {kSwir1, 1.0f, 5, 420});
    add(5, 1, "ASTER バンド5 短波長赤外 2.145-2.185μm", {kSwir2, 1.0f, 3, 430});
    add(6, 1, "ASTER バンド6 短波長赤外 2.185-2.225μm", {kSwir2, 0.96f, 3, 430});
    add(7, 1, "ASTER バンド7 短波長赤外 2.235-2.285μm", {kSwir2, 0.93f, 3, 430});
    add(8, 1, "ASTER バンド8 短波長赤外 2.295-2.365μm", {kSwir2, 0.86f, 3, 430});
    add(9, 1, "ASTER バンド9 短波長赤外 2.360-2.430μm", {kSwir2, 0.80f, 3, 430});
    add(10, 2, "ASTER バンド10 熱赤外 8.125-8.475μm", {-1, 0.955f, 860, 30});
    add(11, 2, "ASTER バンド11 熱赤外 8.475-8.825μm", {-1, 0.960f, 880, 30});
    add(12, 2, "ASTER バンド12 熱赤外 8.925-9.275μm", {-1, 0.965f, 900, 31});
    add(13, 2, "ASTER バンド13 熱赤外 10.25-10.95μm", {-1, 0.985f, 960, 33});
    add(14, 2, "ASTER バンド14 熱赤外 10.95-11.65μm", {-1, 0.985f, 940, 33});
  } else if (sensor == kSensorTm) {
    m.lengthPerPixel = 0.0285;
    m.scanLines = 16;
    add(1, 1, "TM バンド1 青 0.45-0.52μm", {kBlue, 1.0f, 48, 330});
    add(2, 1, "TM バンド2 緑 0.52-0.60μm", {kGreen, 1.0f, 17, 340});
    add(3, 1, "TM バンド3 赤 0.63-0.69μm", {kRed, 1.0f, 13, 380});
    add(4, 1, "TM バンド4 近赤外 0.76-0.90μm", {kNir, 1.0f, 8, 290});
    add(5, 1, "TM バンド5 中間赤外 1.55-1.75μm", {kSwir1, 1.0f, 4, 380});
    add(6, 1, "TM バンド6 熱赤外 10.4-12.5μm", {-1, 1.0f, 82, 2.4f});
    add(7, 1, "TM バンド7 中間赤外 2.08-2.35μm", {kSwir2, 1.0f, 2, 420});
  } else {
    m.lengthPerPixel = 0.057;
    m.scanLines = 6;
    add(1, 1, "MSS バンド1 緑 0.5-0.6μm", {kGreen, 1.0f, 18, 320});
    add(2, 1, "MSS バンド2 赤 0.6-0.7μm", {kRed, 1.0f, 12, 360});
    add(3, 1, "MSS バンド3 近赤外 0.7-0.8μm", {kRedEdge, 1.0f, 8, 290});
    add(4, 1, "MSS バンド4 近赤外 0.8-1.1μm", {kNir, 1.0f, 5, 260});
  }
  return m;
}

int Log2Floor(int v) {
  int s = 0;
  while ((2 << s) <= v) ++s;
  return s;
}

// Fields of one terrain row, computed one row ahead for the slope.
struct TerrainRow {
  std::vector<float> alt;      // metres; 0 at sea
  std::vector<float> coast;    // land elevation before scaling (< 0 sea)
  std::vector<float> detail;   // fine texture, about -0.1 .. 0.1
  std::vector<uint8_t> water;  // 0 land, 1 sea, 2 lake or river, 3 a lake's dried bed
};

}  // namespace

std::vector<SampleBand> SampleBands(int sensor) { return MakeSensor(sensor).bands; }

bool ValidSampleOptions(const SampleSceneOptions& o) {
  return o.sensor >= 0 && o.sensor <= 2 && o.width >= kSampleMinSide && o.width <= kSampleMaxSide &&
         o.height >= kSampleMinSide && o.height <= kSampleMaxSide && (o.date == 1 || o.date == 2);
}

std::string SampleDate(int sensor, int date) {
  // Summer days within each sensor's years: MSS 1972-1992, TM 1984-2011, ASTER from 2000.
  static const char* const kDates[3][2] = {
      {"2002-08-09", "2020-08-14"}, {"1989-08-06", "2009-08-01"}, {"1976-07-28", "1991-08-03"}};
  if (sensor < 0 || sensor > 2 || date < 1 || date > 2) return {};
  return kDates[sensor][date - 1];
}

struct SampleScene::Impl {
  SampleSceneOptions opt;
  SensorModel sensor;
  int width = 0, height = 0;
  int next = 0;        // the next row NextRow returns
  bool later = false;  // the second date of the place
  double lon = 0, lat = 0, inclination = 0;
  float pixelMetres = 0;

  // Landscape layout, in pixels.
  float coastDirX = 0, coastDirY = 0, coastShift = 0, sceneSize = 0;
  float volcanoX = 0, volcanoY = 0, volcanoR = 0, volcanoH = 0;
  float riverWidth = 0;
  float reliefMetres = 0;  // height of the highest hills
  int fieldCell = 4, blockCell = 4;
  // Fields are the cells of a power diagram of jittered, weighted sites: a
  // patchwork of irregular polygons of many sizes.
  struct FieldSite {
    float x, y, weight;
    uint32_t hash;
  };
  std::array<std::vector<FieldSite>, 3> siteRows;  // site row j at j mod 3
  std::array<int64_t, 3> siteRowOf = {INT64_MIN, INT64_MIN, INT64_MIN};
  uint32_t seed32 = 0;

  Fbm relief, river, lake, town, patch, vigour, wet;
  std::array<TerrainRow, 3> ring;  // rows y-1, y, y+1 by y mod 3
  int terrainNext = 0;             // the next terrain row to compute
  std::vector<float> tmpCoarse, tmpRiver, tmpLake, tmpTown, tmpPatch, tmpVigour, tmpWet;
  std::vector<std::array<float, 16>> stripeGain;  // per band, per detector
  std::vector<float> rowGain;                     // per band, this row's detector

  // The relief's largest cells span half the scene, so that every scene has
  // sea, plain and mountains.
  static int CoarseShift(const SampleSceneOptions& o) {
    return std::max(2, Log2Floor(std::max(o.width, o.height)) - 1);
  }
  // Lakes, rivers, towns and patches keep their size on the ground.
  static int GroundShift(const SampleSceneOptions& o, float metres) {
    const double pixels = metres / (MakeSensor(o.sensor).lengthPerPixel * 1000.0);
    return std::clamp(Log2Floor(static_cast<int>(pixels)), 1, CoarseShift(o));
  }
  // All 64 bits of the seed matter: they are mixed before being cut to 32.
  static uint64_t SeedMix(const SampleSceneOptions& o) { return SplitMix64{o.seed}.Next(); }
  static Fbm Noise(const SampleSceneOptions& o, uint32_t salt, int coarse, int octaves) {
    const uint64_t mix = SeedMix(o);
    return Fbm(Hash3(salt, static_cast<uint32_t>(mix), static_cast<uint32_t>(mix >> 32)), coarse,
               std::max(1, coarse - octaves + 1), o.width);
  }

  explicit Impl(const SampleSceneOptions& o)
      : opt(o),
        sensor(MakeSensor(o.sensor)),
        width(o.width),
        height(o.height),
        later(o.date == 2),
        relief(Noise(o, 1, CoarseShift(o), CoarseShift(o))),
        river(Noise(o, 2, GroundShift(o, 12000.0f), 5)),
        lake(Noise(o, 3, GroundShift(o, 12000.0f), 4)),
        town(Noise(o, 4, GroundShift(o, 12000.0f), 4)),
        patch(Noise(o, 5, GroundShift(o, 3000.0f), 4)),
        vigour(Noise(o, 6, GroundShift(o, 1500.0f), 4)),
        wet(Noise(o, 7, GroundShift(o, 2500.0f), 4)) {
    SplitMix64 rng{o.seed * 0x2545f4914f6cdd1dull + 0x632be59bd9b4e019ull};
    seed32 = static_cast<uint32_t>(rng.Next());
    pixelMetres = static_cast<float>(sensor.lengthPerPixel * 1000.0);
    // Somewhere around central Honshu, turned a little as a satellite path is.
    lon = 138.4 + 1.8 * rng.Unit();
    lat = 35.0 + 1.6 * rng.Unit();
    inclination = -(8.0 + 4.0 * rng.Unit());

    sceneSize = static_cast<float>(std::max(width, height));
    // The sea lies on one side: a direction picked from eight.
    static constexpr float kDirs[8][2] = {
        {1, 0},  {0.7071f, 0.7071f},   {0, 1},  {-0.7071f, 0.7071f},
        {-1, 0}, {-0.7071f, -0.7071f}, {0, -1}, {0.7071f, -0.7071f}};
    const auto& d = kDirs[rng.Next() % 8];
    coastDirX = d[0];
    coastDirY = d[1];
    coastShift = static_cast<float>(0.3 + 0.15 * rng.Unit());
    // A volcano on the landward half.
    const float vx = static_cast<float>(0.5 - 0.22 * coastDirX + 0.16 * (rng.Unit() - 0.5));
    const float vy = static_cast<float>(0.5 - 0.22 * coastDirY + 0.16 * (rng.Unit() - 0.5));
    volcanoX = vx * static_cast<float>(width);
    volcanoY = vy * static_cast<float>(height);
    // A volcano as broad on the ground as a real one, however fine the pixels.
    volcanoR = static_cast<float>(0.17 + 0.05 * rng.Unit()) * sceneSize;
    volcanoR = std::clamp(volcanoR, 9000.0f / pixelMetres, 20000.0f / pixelMetres);
    volcanoR = std::min(volcanoR, 0.6f * sceneSize);
    // Small scenes of fine pixels get gentler hills, so that slopes stay plausible.
    reliefMetres = 2400.0f * std::clamp(sceneSize * pixelMetres / 40000.0f, 0.35f, 1.0f);
    volcanoH = static_cast<float>(3000.0 + 600.0 * rng.Unit());
    // Rivers a few pixels wide: the noise changes by about 1 per coarse cell.
    riverWidth =
        1.0f / static_cast<float>(1 << GroundShift(o, 12000.0f)) * (60.0f / pixelMetres + 0.8f);
    fieldCell = std::max(3, static_cast<int>(220.0f / pixelMetres + 0.5f));
    blockCell = std::max(3, static_cast<int>(400.0f / pixelMetres + 0.5f));

    stripeGain.resize(sensor.bands.size());
    rowGain.resize(sensor.bands.size());
    for (auto& g : stripeGain)
      for (auto& v : g) v = 1.0f + static_cast<float>(rng.Unit() - 0.5) * 0.02f;

    const size_t w = static_cast<size_t>(width);
    for (auto& r : ring) {
      r.alt.resize(w);
      r.coast.resize(w);
      r.detail.resize(w);
      r.water.resize(w);
    }
    tmpCoarse.resize(w);
    tmpRiver.resize(w);
    tmpLake.resize(w);
    tmpTown.resize(w);
    tmpPatch.resize(w);
    tmpVigour.resize(w);
    tmpWet.resize(w);
  }

  void ComputeTerrain(int y, TerrainRow& r) {
    float* n = r.coast.data();
    relief.Row(y, n, width, tmpCoarse.data(), 4, nullptr);
    river.Row(y, tmpRiver.data(), width);
    lake.Row(y, tmpLake.data(), width);
    const float fy = static_cast<float>(y) + 0.5f;
    const float cy = (fy - 0.5f * static_cast<float>(height)) / sceneSize;
    const float invSize = 1.0f / sceneSize;
    for (int x = 0; x < width; ++x) {
      const float fx = static_cast<float>(x) + 0.5f;
      const float cx = (fx - 0.5f * static_cast<float>(width)) * invSize;
      // Land rises away from the sea side.
      const float along = cx * coastDirX + cy * coastDirY;
      float e = 1.3f * n[x] + coastShift - 0.8f * along;
      const float dvx = fx - volcanoX, dvy = fy - volcanoY;
      const float fine = n[x] - tmpCoarse[static_cast<size_t>(x)];
      // Gullies: the fine relief moves the cone's radius in and out.
      const float rv = std::sqrt(dvx * dvx + dvy * dvy) / volcanoR * (1.0f + 2.5f * fine);
      float cone = 0.0f;
      if (rv < 1.0f) {
        cone = (1.0f - rv) * (1.0f - rv);
        if (rv < 0.035f) cone -= (0.035f - rv) * 2.0f;  // the crater
        e += 0.6f * cone;
      }
      r.detail[static_cast<size_t>(x)] = fine;
      uint8_t water = 0;
      float alt = 0.0f;
      if (e <= 0.0f) {
        water = 1;
      } else {
        // The cone raises the land but its height comes on its own; hills flatten off.
        const float eb = std::max(0.0f, e - 0.6f * cone);
        const float a = eb / (1.0f + 0.25f * eb);
        alt = reliefMetres * (a * a + 0.8f * a * std::fabs(fine)) + volcanoH * cone;
        // Rivers run in valleys of the lower land; the valley deepens to the river.
        const float rn = std::fabs(tmpRiver[static_cast<size_t>(x)]);
        const float riverHere = riverWidth * (1.0f - Clamp01(alt / 2200.0f));
        const float valley = riverWidth * 14.0f;
        if (rn < valley && alt < 1800.0f) {
          const float k = SmoothStep(Clamp01(rn / valley));
          alt *= 0.75f + 0.25f * k;
        }
        if (rn < riverHere) water = 2;
        // Lakes fill hollows of the lowland; their surface follows the broad relief.
        const float hollow = tmpLake[static_cast<size_t>(x)] - 2.0f * fine;
        if (hollow > 0.5f && alt > 4.0f && alt < 900.0f && cone < 0.2f) {
          // Years later the shallow rim of each lake has dried up.
          water = later && hollow < 0.72f ? 3 : 2;
          const float c =
              std::max(0.0f, 1.3f * tmpCoarse[static_cast<size_t>(x)] + coastShift - 0.8f * along);
          alt = std::max(1.0f, reliefMetres * c * c);
        }
        alt = std::min(alt, static_cast<float>(kSampleMaxAltitude));
      }
      r.alt[static_cast<size_t>(x)] = alt;
      r.water[static_cast<size_t>(x)] = water;
      n[x] = e;
    }
  }

  TerrainRow& Terrain(int y) {
    y = std::clamp(y, 0, height - 1);
    while (terrainNext <= y) {
      ComputeTerrain(terrainNext, ring[static_cast<size_t>(terrainNext % 3)]);
      ++terrainNext;
    }
    return ring[static_cast<size_t>(y % 3)];
  }

  // Sites of field row j, made once per row of fields from hashes.
  const std::vector<FieldSite>& SiteRow(int64_t j) {
    const size_t slot = static_cast<size_t>(((j % 3) + 3) % 3);
    if (siteRowOf[slot] == j) return siteRows[slot];
    auto& sites = siteRows[slot];
    // Columns -1 .. width / fieldCell + 1, so that every pixel has its 3 x 3 neighbours.
    sites.resize(static_cast<size_t>(width / fieldCell + 3));
    const float cell = static_cast<float>(fieldCell);
    for (size_t i = 0; i < sites.size(); ++i) {
      const uint32_t h = Hash3(static_cast<uint32_t>(i), static_cast<uint32_t>(j + 1), seed32 + 11);
      const uint32_t h2 = Mix32(h ^ 0x9e3779b9u);
      const float ux = static_cast<float>(h & 0xffff) * (1.0f / 65536.0f);
      const float uy = static_cast<float>(h >> 16) * (1.0f / 65536.0f);
      const float uw = static_cast<float>(h2 & 0xff) * (1.0f / 255.0f);
      // Heavier sites claim more ground: fields of many sizes.
      sites[i] = {(static_cast<float>(i) - 1.0f + 0.1f + 0.8f * ux) * cell,
                  (static_cast<float>(j) + 0.1f + 0.8f * uy) * cell, 1.1f * uw * uw * cell * cell,
                  h2};
    }
    siteRowOf[slot] = j;
    return sites;
  }

  // The field of pixel x on the row whose site rows are given (rows j-1, j,
  // j+1): its site's hash; edge tells whether the pixel lies on its border.
  uint32_t FieldAt(size_t x, float py, const std::vector<FieldSite>* const rows[3], bool& edge) {
    const float px = static_cast<float>(x) + 0.5f;
    const size_t i = x / static_cast<size_t>(fieldCell) + 1;
    float best = 3.0e38f, second = 3.0e38f;
    uint32_t hash = 0;
    for (int r = 0; r < 3; ++r)
      for (size_t k = i - 1; k <= i + 1; ++k) {
        const FieldSite& site = (*rows[r])[k];
        const float dx = px - site.x, dy = py - site.y;
        const float d = dx * dx + dy * dy - site.weight;
        if (d < best) {
          second = best;
          best = d;
          hash = site.hash;
        } else if (d < second) {
          second = d;
        }
      }
    // Power distances of two sites a cell apart differ by about 2 x cell per
    // pixel across their border.
    edge = second - best < static_cast<float>(fieldCell);
    return hash;
  }

  bool NextRow(SampleRow& out) {
    if (next >= height) return false;
    const int y = next++;
    const size_t w = static_cast<size_t>(width);
    const size_t nb = sensor.bands.size();
    out.bands.resize(nb);
    for (size_t b = 0; b < nb; ++b)
      out.bands[b].resize(w * static_cast<size_t>(sensor.bands[b].sampleType == 2 ? 2 : 1));
    out.dem.resize(w);
    out.cover.resize(w);
    out.altitude.resize(w);

    const TerrainRow& below = Terrain(y + 1);
    const TerrainRow& above = Terrain(y - 1);
    const TerrainRow& row = Terrain(y);
    town.Row(y, tmpTown.data(), width);
    patch.Row(y, tmpPatch.data(), width);
    vigour.Row(y, tmpVigour.data(), width);
    wet.Row(y, tmpWet.data(), width);

    // Sun from the south-east at 45 degrees; x grows east, y grows south.
    constexpr float kSunX = 0.5f, kSunY = 0.5f, kSunZ = 0.70710678f;
    const float inv2d = 1.0f / (2.0f * pixelMetres);

    // Sensor noise from a per-row stream; stripes from the detector of the row.
    SplitMix64 noise{SeedMix(opt) ^ static_cast<uint64_t>(y) * 0xd6e8feb86659fd93ull};
    const size_t detector = static_cast<size_t>(y % sensor.scanLines);
    // Gain of each reflective band for this row's detector.
    for (size_t b = 0; b < nb; ++b)
      rowGain[b] = sensor.models[b].gain * sensor.models[b].scale * stripeGain[b][detector];
    const int by = y / blockCell;
    const int64_t fy = y / fieldCell;
    const std::vector<FieldSite>* const siteRows3[3] = {&SiteRow(fy - 1), &SiteRow(fy),
                                                        &SiteRow(fy + 1)};
    const float py = static_cast<float>(y) + 0.5f;
    // Field borders (ridges, hedges, tracks) show only where fields are a few pixels wide.
    const bool borders = fieldCell >= 6;
    const bool streetRow = y % blockCell == 0;

    for (size_t x = 0; x < w; ++x) {
      const size_t xl = x > 0 ? x - 1 : 0, xr = x + 1 < w ? x + 1 : w - 1;
      const float alt = row.alt[x];
      const float dzdx = (row.alt[xr] - row.alt[xl]) * inv2d;
      const float dzdy = (below.alt[x] - above.alt[x]) * inv2d;
      // Slopes are compared squared: one square root per pixel is enough.
      const float slope2 = dzdx * dzdx + dzdy * dzdy;
      const float cosI = (-dzdx * kSunX - dzdy * kSunY + kSunZ) / std::sqrt(slope2 + 1.0f);
      const float direct = std::max(0.0f, cosI) * (1.0f / kSunZ);
      const float fine = row.detail[x];
      const float pn = tmpPatch[x];

      SampleCover cover;
      float illum = 0.25f + 0.75f * direct;
      // Where the cover's vigour, wetness and brightness lie: -1 .. 1 for
      // most of the ground, from the cover's patch or field.
      float vig = 1.6f * tmpVigour[x] + 2.0f * fine, wetness = 1.6f * tmpWet[x],
            bright = 3.0f * fine;
      const bool driedBed = row.water[x] == 3;
      const uint8_t water = driedBed ? 0 : row.water[x];
      if (water == 1) {
        cover = row.coast[x] < -0.06f ? SampleCover::kDeepWater : SampleCover::kShallowWater;
        illum = 1.0f;
      } else if (water == 2) {
        cover = SampleCover::kShallowWater;
        illum = 1.0f;
      } else {
        // Warmer years later: the snow line climbs.
        const float snowLine = 2700.0f + 6000.0f * fine + 400.0f * pn + 500.0f * (direct - 1.0f) +
                               (later ? 250.0f : 0.0f);
        const float treeLine = 2300.0f + 1500.0f * fine + 200.0f * pn;
        if (driedBed) {
          cover = pn + fine > 0.1f ? SampleCover::kGrass : SampleCover::kBareSoil;
        } else if (alt > snowLine && slope2 < 1.4f * 1.4f) {
          cover = SampleCover::kSnow;
        } else if (alt > treeLine + 350.0f || slope2 > 1.1f * 1.1f) {
          cover = SampleCover::kRock;
        } else if (alt > treeLine) {
          cover = pn + fine > 0.0f ? SampleCover::kGrass : SampleCover::kRock;
        } else if (alt < 2.5f && row.coast[x] < 0.012f) {
          cover = SampleCover::kSand;
        } else if (alt < 180.0f && slope2 < 0.08f * 0.08f &&
                   tmpTown[x] + 0.35f * (1.0f - Clamp01(alt / 60.0f)) > (later ? 0.30f : 0.42f)) {
          // Blocks between main streets; parks and garden trees among the houses.
          const uint32_t house = Hash3(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed32);
          const uint32_t block = Hash3(static_cast<uint32_t>(static_cast<int>(x) / blockCell),
                                       static_cast<uint32_t>(by), seed32 + 2);
          cover = (block & 15) == 0 || (house & 7) == 0 ? SampleCover::kGrass : SampleCover::kTown;
        } else if (alt < 500.0f && slope2 < 0.12f * 0.12f && pn > -0.25f) {
          bool edge = false;
          const uint32_t h = FieldAt(x, py, siteRows3, edge);
          const uint32_t kind = (h >> 8) % 10;
          cover = kind < 4   ? SampleCover::kPaddy
                  : kind < 7 ? SampleCover::kCrop
                  : kind < 9 ? SampleCover::kBareSoil
                             : SampleCover::kGrass;
          // Each field was sown, watered and tilled on its own.
          vig = HashUnit(h * 0x9e3779b1u) * 1.1f + 0.3f * tmpVigour[x];
          wetness = HashUnit(Mix32(h)) * 1.1f + 0.3f * tmpWet[x];
          bright = HashUnit(Mix32(h + 1)) * 0.8f + fine;
          if (borders && edge && (h & 3) != 0)
            cover = (h & 4) ? SampleCover::kGrass : SampleCover::kBareSoil;
        } else if (pn > 0.35f && slope2 < 0.3f * 0.3f) {
          cover = SampleCover::kGrass;
        } else if (later && tmpWet[x] > 0.38f) {
          // Forest cut down in blocks; some of them grown over with grass.
          const uint32_t block = Hash3(static_cast<uint32_t>(static_cast<int>(x) / blockCell),
                                       static_cast<uint32_t>(by), seed32 + 3);
          cover = (block & 3) == 0 ? SampleCover::kGrass : SampleCover::kBareSoil;
        } else {
          cover = SampleCover::kForest;
        }
      }
      out.cover[x] = cover;
      out.altitude[x] = alt;
      out.dem[x] = water == 1 ? 0
                              : static_cast<uint8_t>(std::min(
                                    255, 1 + static_cast<int>(alt * (1.0f / 15.0f) + 0.5f)));

      const CoverSpectrum& sp = kSpectra[static_cast<size_t>(cover)];
      const CoverVariation& var = kVariation[static_cast<size_t>(cover)];
      // Neighbouring pixels differ along each direction too.
      const uint64_t own = noise.Next();
      vig += 0.45f * Triangular(own);
      wetness += 0.45f * Triangular(own >> 16);
      bright += 0.6f * Triangular(own >> 32);
      if (cover == SampleCover::kTown) {
        // Blocks between streets; each house has its roof and its garden.
        const bool street = streetRow || x % static_cast<size_t>(blockCell) == 0;
        const uint32_t h = Hash3(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed32 + 1);
        vig = street ? -1.2f : vig + 1.2f * HashUnit(h);
        bright = street ? -0.6f + 0.3f * bright : bright + 1.5f * HashUnit(Mix32(h));
      }
      vig = std::clamp(vig, -1.6f, 1.6f);
      wetness = std::clamp(wetness, -1.6f, 1.6f);
      bright = std::clamp(bright, -1.5f, 1.5f);
      const bool isWater = cover == SampleCover::kDeepWater || cover == SampleCover::kShallowWater;
      const auto& shift = isWater ? kSedimentShift : kVigourShift;
      const float along = var.vigour * vig, damp = var.wet * wetness;
      const float light = (1.0f + var.bright * bright) * illum;
      std::array<float, kChannels> refl;
      for (size_t c = 0; c < kChannels; ++c)
        refl[c] = std::max(0.002f, sp.refl[c] + along * shift[c] + damp * kWetShift[c]) * light;
      // Sunlit slopes warm up; wet ground and lush leaves stay cooler.
      const float temperature =
          sp.temperature - 0.0065f * alt +
          (water ? 0.0f : 5.0f * (direct - 1.0f) - 2.5f * damp - 1.5f * along);

      uint64_t bits = noise.Next();
      int bitsLeft = 8;
      for (size_t b = 0; b < nb; ++b) {
        if (bitsLeft == 0) {
          bits = noise.Next();
          bitsLeft = 8;
        }
        // Two small uniforms summed: a triangular noise of about +-1.5 DN.
        const float u = static_cast<float>(bits & 15) + static_cast<float>((bits >> 4) & 15);
        bits >>= 8;
        --bitsLeft;
        const float jitter = (u - 15.0f) * 0.1f;
        const BandModel& m = sensor.models[b];
        if (m.channel >= 0) {
          float v = m.offset + rowGain[b] * refl[static_cast<size_t>(m.channel)] + jitter;
          v = ClampSample(v + 0.5f, 255.0f);
          out.bands[b][x] = static_cast<uint8_t>(v);
        } else if (sensor.bands[b].sampleType == 1) {
          float v = m.offset + m.gain * temperature + jitter;
          v = ClampSample(v + 0.5f, 255.0f);
          out.bands[b][x] = static_cast<uint8_t>(v);
        } else {
          // 12-bit thermal counts; quartz-rich surfaces emit less at the short end.
          const float emis = sp.thermalQuartz ? m.scale : 0.99f;
          float v = m.offset + m.gain * temperature - (0.99f - emis) * 2500.0f + 4.0f * jitter;
          v = ClampSample(v + 0.5f, 4095.0f);
          const uint16_t c = static_cast<uint16_t>(v);
          out.bands[b][2 * x] = static_cast<uint8_t>(c & 0xff);
          out.bands[b][2 * x + 1] = static_cast<uint8_t>(c >> 8);
        }
      }
    }
    return true;
  }
};

SampleScene::SampleScene(const SampleSceneOptions& options) {
  SampleSceneOptions o = options;
  if (!ValidSampleOptions(o)) {
    o.sensor = std::clamp(o.sensor, 0, 2);
    o.width = std::clamp(o.width, kSampleMinSide, kSampleMaxSide);
    o.height = std::clamp(o.height, kSampleMinSide, kSampleMaxSide);
    o.date = o.date == 2 ? 2 : 1;
  }
  m_impl = std::make_unique<Impl>(o);
}

SampleScene::~SampleScene() = default;

const SampleSceneOptions& SampleScene::options() const { return m_impl->opt; }
const std::vector<SampleBand>& SampleScene::bands() const { return m_impl->sensor.bands; }
bool SampleScene::NextRow(SampleRow& row) { return m_impl->NextRow(row); }
double SampleScene::LengthPerPixel() const { return m_impl->sensor.lengthPerPixel; }
double SampleScene::LeftTopLon() const { return m_impl->lon; }
double SampleScene::LeftTopLat() const { return m_impl->lat; }
double SampleScene::Inclination() const { return m_impl->inclination; }

bool WriteSampleScene(const std::string& settingsPath, const SampleSceneOptions& options,
                      Messenger& messenger, Progress* progress) {
  if (!ValidSampleOptions(options)) {
    messenger.ShowMessage(kMsgSampleBadOptions);
    return false;
  }
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(settingsPath).parent_path();
  std::error_code ec;
  if (!folder.empty() && !fs::is_directory(folder, ec)) {
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
      messenger.ShowMessage(kMsgSampleFolderFailed);
      return false;
    }
  }
  const std::string base = StripExtension(settingsPath);
  SampleScene scene(options);
  const auto& bands = scene.bands();
  const int width = options.width, height = options.height;

  // The scene is written beside its place and replaces an earlier one of the
  // same name as one step, so that a failure or a crash leaves that one whole.
  StagedFileSet staged;
  if (!staged.Begin(base, messenger)) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  const std::string stage = staged.StageBase();
  // The bands, then the elevation codes; a file that fails is the one named.
  std::vector<std::string> paths;
  for (const auto& b : bands) paths.push_back(BandFilePath(stage, b.sampleType, b.number));
  paths.push_back(stage + ".dem");
  std::vector<FilePtr> files;
  for (const auto& path : paths) {
    files.push_back(CreateFileForWriting(path, true));
    if (!files.back()) {
      NoteWriteFailure(path, errno);
      messenger.ShowMessage(kMsgCreateFailed);
      return false;
    }
  }
  bool written = true;
  auto failed = [&](size_t file) {
    if (written) NoteWriteFailure(paths[file], errno);
    written = false;
  };
  auto put = [&](const std::vector<uint8_t>& data, size_t file) {
    if (written && std::fwrite(data.data(), 1, data.size(), files[file].get()) != data.size())
      failed(file);
  };

  if (progress) progress->Create(height / 100, "サンプル画像を作成中");
  SampleRow row;
  int minCode = 255, maxCode = 0;
  for (int y = 0; y < height && written; ++y) {
    scene.NextRow(row);
    for (size_t b = 0; b < bands.size(); ++b) put(row.bands[b], b);
    put(row.dem, bands.size());
    for (uint8_t c : row.dem) {
      if (c != 0) minCode = std::min<int>(minCode, c);
      maxCode = std::max<int>(maxCode, c);
    }
    if (progress) progress->SetProgress(static_cast<float>(y + 1) / static_cast<float>(height));
  }
  if (progress) progress->Close();
  for (size_t i = 0; i < files.size(); ++i)
    if (!CloseWritten(files[i])) failed(i);
  // A scene that is all sea still gets a consistent range.
  if (maxCode == 0) minCode = maxCode = 1;

  for (const auto& b : bands)
    written = written && WriteBandDescription(stage, b.number, b.description);
  written = written &&
            WriteFileAtomically(stage + ".lev", Format("MIN_VAL = %d\nMIN_ALTITUDE = %d\nMAX_VAL = "
                                                       "%d\nMAX_ALTITUDE = %d\n",
                                                       minCode, 0, maxCode, kSampleMaxAltitude));
  std::string inf = Format("LINE = %d\nPIXEL = %d\n", height, width);
  inf += "START_LINE = 0\nSTART_PIXEL = 0\nSAMPLING_RATE = 1\n";
  inf += Format("SENSOR = %d\n", options.sensor);
  inf += Format("LengthPerPixel = %lf\n", scene.LengthPerPixel());
  inf += Format("LeftTop_Lon = %lf\n", scene.LeftTopLon());
  inf += Format("LeftTop_Lat = %lf\n", scene.LeftTopLat());
  inf += Format("Inclination = %lf\n", scene.Inclination());
  inf += "File_State = 0\nRainbow = 0\nSingle_Band = 0\n";
  inf += "Date = " + SampleDate(options.sensor, options.date) + "\n";
  written = written && WriteFileAtomically(stage + ".inf", inf);
  if (!written) {
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  return staged.Commit(messenger, kMsgCreateFailed);
}

}  // namespace lumora
