#include "core/windows/region_stats.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

#include "core/windows/spectrum.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::TempDir;
using test::WriteFile;

constexpr int kW = 37, kH = 23;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Float pixels stored with the no-data mark (first byte 0xFF) instead of NaN.
bool NoDataMark(int x, int y) { return x * y % 7 == 3; }

// Band values of the test set: 8-bit, 16-bit (above 255) and float with
// holes of no value.
double Value(int band, int x, int y) {
  switch (band) {
    case 1: return (x * 7 + y * 3) % 256;
    case 2: return 40000 + x * 311 - y * 97;
    default: return (x + y) % 5 == 0 || NoDataMark(x, y) ? kNaN : 1000.25 + x * 0.5 - y * 1.75;
  }
}

struct Set {
  TempDir dir;
  RecordingMessenger m;
  std::string inf = dir / "img.inf";
  explicit Set(double lengthPerPixel = 0.03) {
    WriteFile(inf,
              "LINE = 23\nPIXEL = 37\nLengthPerPixel = " + std::to_string(lengthPerPixel) + "\n");
    std::string b1, b2, b3;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x) {
        b1 += static_cast<char>(static_cast<uint8_t>(Value(1, x, y)));
        const int v2 = static_cast<int>(Value(2, x, y));
        b2 += static_cast<char>(v2 & 255);
        b2 += static_cast<char>(v2 >> 8);
        const double v3 = Value(3, x, y);
        const uint32_t u =
            NoDataMark(x, y)
                ? 0x3F8000FFu  // 1.0000153 but marked
                : std::bit_cast<uint32_t>(std::isnan(v3) ? std::numeric_limits<float>::quiet_NaN()
                                                         : static_cast<float>(v3));
        for (int k = 0; k < 4; ++k) b3 += static_cast<char>((u >> (8 * k)) & 255);
      }
    WriteFile(dir / "img.b01", b1);
    WriteFile(dir / "img.i02", b2);
    WriteFile(dir / "img.r03", b3);
    WriteFile(dir / "img.d01", "TM バンド1 青 0.45-0.52μm\n");
    WriteFile(dir / "img.d02", "band 2, 520 - 600 nm\n");
  }
};

// Even-odd ray casting on the pixel centre, independent of the scanline fill.
bool Inside(const Region& r, double px, double py) {
  bool in = false;
  const auto& c = r.corners;
  for (size_t i = 0, j = c.size() - 1; i < c.size(); j = i++)
    if ((c[i].y > py) != (c[j].y > py) &&
        px < (c[j].x - c[i].x) * (py - c[i].y) / (c[j].y - c[i].y) + c[i].x)
      in = !in;
  return in;
}

TEST(RegionStats, EveryBandAgreesWithADirectCount) {
  const Region shapes[] = {
      RectangleRegion(0, 0, kW, kH),
      RectangleRegion(5, 3, 10, 7),
      {{{2.2, 1.7}, {30.6, 4.1}, {12.3, 20.9}}, false},                             // triangle
      {{{1, 1}, {20, 1}, {20, 8}, {8, 8}, {8, 20}, {1, 20}}, false},                // an L
      {{{0, 0}, {kW, 20}, {kW, 0}, {0, 22}}, false},                                // a bow-tie
      {{{3.5, 2.5}, {33.25, 2.5}, {33.25, 21.75}, {18, 11}, {3.5, 21.75}}, false},  // notched
  };
  Set set;
  for (const Region& shape : shapes) {
    RegionStats stats;
    ASSERT_TRUE(ComputeRegionStats(set.inf, ListSpectrumBands(set.inf), shape, stats, set.m))
        << shape.corners.size();
    ASSERT_EQ(stats.bands.size(), 3u);
    int64_t inside = 0;
    for (int band = 1; band <= 3; ++band) {
      std::vector<double> v;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
          if (Inside(shape, x + 0.5, y + 0.5)) {
            if (band == 1) ++inside;
            if (!std::isnan(Value(band, x, y))) v.push_back(Value(band, x, y));
          }
      ASSERT_FALSE(v.empty());
      double lo = v[0], hi = v[0], sum = 0;
      for (double d : v) lo = std::min(lo, d), hi = std::max(hi, d), sum += d;
      const double mean = sum / v.size();
      double sq = 0;
      for (double d : v) sq += (d - mean) * (d - mean);
      std::array<int64_t, kRegionBins> bins{};
      for (double d : v) {
        // Whole-number bands: bins over min .. max + 1; float: min .. max.
        const double width = band == 3 ? hi - lo : hi - lo + 1;
        bins[std::min(kRegionBins - 1, static_cast<int>((d - lo) * kRegionBins / width))]++;
      }
      const BandStats& s = stats.bands[static_cast<size_t>(band - 1)];
      SCOPED_TRACE(testing::Message() << "corners " << shape.corners.size() << " band " << band);
      EXPECT_EQ(s.count, static_cast<int64_t>(v.size()));
      EXPECT_DOUBLE_EQ(s.min, lo);
      EXPECT_DOUBLE_EQ(s.max, hi);
      EXPECT_NEAR(s.mean, mean, 1e-9 * std::abs(mean));
      EXPECT_NEAR(s.stddev, std::sqrt(sq / v.size()), 1e-7);
      EXPECT_EQ(s.histogram, bins);
    }
    EXPECT_EQ(stats.pixels, inside);
  }
}

TEST(RegionStats, AreaAndPerimeterFromTheGroundScale) {
  Set set;  // 30 m pixels
  RegionStats stats;
  ASSERT_TRUE(ComputeRegionStats(set.inf, ListSpectrumBands(set.inf), RectangleRegion(2, 3, 10, 5),
                                 stats, set.m));
  const GroundMeasure m = MeasureRegion(stats.pixels, stats.perimeterPixels, 0.03);
  ASSERT_TRUE(m.measurable);
  EXPECT_DOUBLE_EQ(m.areaM2, 50 * 900.0);     // 45000 m² = 4.5 ha
  EXPECT_DOUBLE_EQ(m.perimeterM, 30 * 30.0);  // 2 x (10 + 5) pixels
  EXPECT_EQ(AreaText(m), "45000 m² (4.5 ha, 0.045 km²)");
  EXPECT_EQ(AreaText(MeasureRegion(1, 4, 0.03)), "900 m² (0.09 ha, 0.0009 km²)");
  EXPECT_EQ(PerimeterText(m), "900 m");
  EXPECT_EQ(PerimeterText(MeasureRegion(1, 100, 0.03)), "3 km");
  // A triangle 3-4-5 pixels round.
  EXPECT_DOUBLE_EQ(PerimeterPixels({{{0, 0}, {3, 0}, {3, 4}}, false}), 12.0);
  // A ground scale from a hostile settings file: every digit, nothing else.
  const std::string huge = ValueText(MeasureRegion(1, 4, 1e147).areaM2, 2);
  EXPECT_GE(huge.size(), 300u);  // about 1e300 m²
  EXPECT_EQ(huge.find_first_not_of("0123456789"), std::string::npos);
  for (const double none : {0.0, -1.0, kNaN, std::numeric_limits<double>::infinity()}) {
    const GroundMeasure n = MeasureRegion(50, 30, none);
    EXPECT_FALSE(n.measurable);
    EXPECT_EQ(AreaText(n), PerimeterText(n));
    EXPECT_NE(AreaText(n).find("測れません"), std::string::npos);
  }
}

TEST(RegionStats, BadRegionsAndBandsAreRefusedWithAMessage) {
  struct Case {
    const char* what;
    Region region;
    void (*spoil)(Set&);
  } cases[] = {
      {"two corners", {{{1, 1}, {9, 9}}, false}, nullptr},
      {"corner outside", {{{1, 1}, {38, 1}, {5, 9}}, false}, nullptr},
      {"negative corner", {{{-0.5, 1}, {8, 1}, {5, 9}}, false}, nullptr},
      {"no centre inside", {{{1.6, 1.6}, {2.4, 1.6}, {2.0, 2.4}}, false}, nullptr},
      {"band missing", RectangleRegion(0, 0, 4, 4),
       [](Set& s) { std::filesystem::remove(s.dir / "img.i02"); }},
      {"band short", RectangleRegion(0, 0, 4, 4),
       [](Set& s) { std::filesystem::resize_file(s.dir / "img.b01", kW * kH - 1); }},
      {"band long", RectangleRegion(0, 0, 4, 4),
       [](Set& s) { std::filesystem::resize_file(s.dir / "img.r03", kW * kH * 4 + 4); }},
      {"band now a folder", RectangleRegion(0, 0, 4, 4),
       [](Set& s) {
         std::filesystem::remove(s.dir / "img.b01");
         std::filesystem::create_directory(s.dir / "img.b01");
       }},
  };
  for (const Case& c : cases) {
    Set set;
    const std::vector<SpectrumBand> bands = ListSpectrumBands(set.inf);
    if (c.spoil) c.spoil(set);
    RegionStats stats;
    stats.pixels = 99;
    EXPECT_FALSE(ComputeRegionStats(set.inf, bands, c.region, stats, set.m)) << c.what;
    EXPECT_EQ(set.m.entries.size(), 1u) << c.what;
    EXPECT_TRUE(stats.bands.empty() && stats.pixels == 0) << c.what;
  }
}

TEST(Spectrum, WavelengthsFromDescriptions) {
  struct Case {
    const char* text;
    bool known;
    double from, to;
  } cases[] = {
      {"TM バンド1 青 0.45-0.52μm", true, 0.45, 0.52},
      {"band 5 1.55 - 1.75 µm", true, 1.55, 1.75},
      {"バンド6 熱赤外 10.4～12.5um", true, 10.4, 12.5},
      {"B3 630-690nm", true, 0.63, 0.69},
      {"old 0.4-0.5μm, new 0.5-0.6μm", true, 0.5, 0.6},  // the last range counts
      {"植生指数データ　単バンド", false, 0, 0},
      {"0.52-0.45μm", false, 0, 0},  // backwards
      {"0.45-0.52 mm", false, 0, 0},
      {"", false, 0, 0},
  };
  for (const Case& c : cases) {
    const Wavelength w = ParseWavelength(c.text);
    EXPECT_EQ(w.known, c.known) << c.text;
    if (c.known) {
      EXPECT_DOUBLE_EQ(w.fromUm, c.from) << c.text;
      EXPECT_DOUBLE_EQ(w.toUm, c.to) << c.text;
    }
  }
}

TEST(Spectrum, SamplesEveryBandAndRefusesOutsidePoints) {
  Set set;
  SpectrumSampler sampler;
  ASSERT_TRUE(sampler.Open(set.inf, set.m));
  ASSERT_EQ(sampler.Bands().size(), 3u);
  EXPECT_EQ(sampler.Bands()[2].sampleType, 3);
  // Only two bands state a range: the axis goes by band number.
  EXPECT_FALSE(AxisFor(sampler.Bands()).byWavelength);
  std::vector<double> v;
  for (const auto& [x, y] : {std::pair{0, 0}, {36, 22}, {13, 9}, {2, 3}}) {
    ASSERT_TRUE(sampler.Sample(x, y, v, set.m));
    ASSERT_EQ(v.size(), 3u);
    for (int b = 1; b <= 3; ++b) {
      if (std::isnan(Value(b, x, y)))
        EXPECT_TRUE(std::isnan(v[b - 1]));
      else
        EXPECT_DOUBLE_EQ(v[b - 1], Value(b, x, y)) << x << "," << y << " band " << b;
    }
  }
  for (const auto& [x, y] : {std::pair{-1, 0}, {37, 0}, {0, 23}}) {
    EXPECT_FALSE(sampler.Sample(x, y, v, set.m));
    EXPECT_TRUE(v.empty());
  }
  EXPECT_EQ(set.m.entries.size(), 3u);

  std::filesystem::resize_file(set.dir / "img.i02", 10);
  SpectrumSampler spoilt;
  EXPECT_FALSE(spoilt.Open(set.inf, set.m));
  EXPECT_FALSE(spoilt.IsOpen());
}

TEST(Spectrum, CsvQuotesDescriptionsAndWritesPointDecimals) {
  SpectrumBand a{1, 1, "青, blue 0.45-0.52μm", ParseWavelength("0.45-0.52μm")};
  SpectrumBand b{3, 3, "say \"ratio\"", {}};
  EXPECT_EQ(SpectrumCsv({a, b}, {"lake", "x=3 y=4"}, {{12, 7}, {0.125, kNaN}}),
            "band,description,wavelength_um,lake,x=3 y=4\n"
            "1,\"青, blue 0.45-0.52μm\",0.45-0.52,12,0.125\n"
            "3,\"say \"\"ratio\"\"\",,7,\n");
}

}  // namespace
}  // namespace lumora
