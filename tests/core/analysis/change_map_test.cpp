#include "core/analysis/change_map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

#include "core/imagefile/band_catalogue.h"
#include "core/support/band_expression.h"
#include "core/support/string_table.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

constexpr int kW = 70, kH = 50;

// Two TM pictures of one place: red (band 3) and near infrared (band 4).
struct TwoDates {
  TempDir dir;
  StepSource source;
  std::string later = dir / "later.inf";
  std::string target = dir / "change";
  std::vector<double> red[2], nir[2];

  static std::string Settings(const std::string& date, const std::string& lon = "139.500000") {
    return "LINE = 50\nPIXEL = 70\nSENSOR = 1\nLengthPerPixel = 0.030000\nLeftTop_Lon = " + lon +
           "\nLeftTop_Lat = 35.600000\nInclination = 0.000000\nDate = " + date + "\n";
  }
  TwoDates() {
    source.settingsPath = dir / "earlier.inf";
    source.basePath = dir / "earlier";
    WriteFile(source.settingsPath, Settings("1989-08-06"));
    WriteFile(later, Settings("2009-08-01"));
    std::mt19937 rng(5);
    for (int d = 0; d < 2; ++d) {
      std::string r, n;
      for (int i = 0; i < kW * kH; ++i) {
        // The later picture does not reach the last rows (every band 0 there);
        // elsewhere a band may still be 0 by itself.
        const bool outside = d == 1 && i >= kW * (kH - 4);
        const unsigned a = outside ? 0 : rng() % 60, b = outside ? 0 : rng() % 200;
        red[d].push_back(a);
        nir[d].push_back(b);
        r.push_back(static_cast<char>(a));
        n.push_back(static_cast<char>(b));
      }
      const std::string base = d == 0 ? source.basePath : dir / "later";
      WriteFile(BandFilePath(base, kSample8, 3), r);
      WriteFile(BandFilePath(base, kSample8, 4), n);
    }
    RecordingMessenger m;
    ReadSettings(source.settingsPath, source.settings, m);
  }
  bool Run(const ChangeParams& p, RecordingMessenger& m) {
    StepResult result;
    Progress progress;
    return RunChangeMap(source, target, p, result, m, progress);
  }
  bool Written() const {
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      if (e.path().filename().string().rfind("change", 0) == 0) return true;
    return false;
  }
};

float FloatAt(const std::string& bytes, size_t i) {
  float f;
  std::memcpy(&f, bytes.data() + 4 * i, 4);
  return f;
}

TEST(ChangeMap, IsTheLaterValueMinusTheEarlierWithItsCountsAndColours) {
  if (!BandExpression::Available()) GTEST_SKIP() << "built without muParser";
  struct Case {
    ChangeParams params;
    std::function<double(const TwoDates&, int, size_t)> value;
    bool usesRed = true;  // outside the picture: every band it uses 0
  } cases[] = {
      {{"", kChangeVegetation, 0, 0.1},
       [](const TwoDates& s, int d, size_t i) {
         return (s.nir[d][i] - s.red[d][i]) / (s.nir[d][i] + s.red[d][i]);
       }},
      {{"", kChangeBand, 4, 25},
       [](const TwoDates& s, int d, size_t i) { return s.nir[d][i]; },
       false},
  };
  for (Case& c : cases) {
    TwoDates s;
    c.params.laterPath = s.later;
    SCOPED_TRACE(ChangeIndexName(c.params.index));
    RecordingMessenger m;
    ASSERT_TRUE(s.Run(c.params, m));
    EXPECT_TRUE(m.entries.empty());
    const std::string floats = ReadFile(s.target + ".r01"), codes = ReadFile(s.target + ".b01");
    ASSERT_EQ(floats.size(), size_t{4} * kW * kH);
    ASSERT_EQ(codes.size(), size_t{kW} * kH);
    // The expected floats first: they fix the display range.
    std::vector<float> want(size_t{kW} * kH);
    float m_ = 1.0f;
    ChangeCounts counts;
    for (size_t i = 0; i < want.size(); ++i) {
      const auto gone = [&](int d) { return s.nir[d][i] == 0 && (!c.usesRed || s.red[d][i] == 0); };
      const bool outside = gone(0) || gone(1);
      const double d = outside ? NAN : c.value(s, 1, i) - c.value(s, 0, i);
      want[i] = std::isfinite(d) ? static_cast<float>(d) : NAN;
      if (want[i] != want[i]) {
        ++counts.noData;
        continue;
      }
      m_ = std::max(m_, std::fabs(want[i]));
      if (want[i] < -c.params.threshold)
        ++counts.loss;
      else if (want[i] > c.params.threshold)
        ++counts.gain;
      else
        ++counts.same;
    }
    EXPECT_GE(counts.noData, 4 * kW);
    EXPECT_GT(counts.loss, 100);
    EXPECT_GT(counts.gain, 100);
    EXPECT_GT(counts.same, 100);
    for (size_t i = 0; i < want.size(); ++i) {
      const float got = FloatAt(floats, i);
      const auto code = static_cast<uint8_t>(codes[i]);
      if (want[i] != want[i]) {
        ASSERT_TRUE(got != got) << i;
        ASSERT_EQ(code, 0) << i;
        continue;
      }
      // A float whose first byte would be 0xFF moves by its last bit.
      uint32_t gotBits, wantBits;
      std::memcpy(&gotBits, &got, 4);
      std::memcpy(&wantBits, &want[i], 4);
      ASSERT_EQ(gotBits, wantBits ^ ((wantBits & 0xFF) == 0xFF ? 1u : 0u)) << i;
      if (std::fabs(want[i]) <= c.params.threshold)
        ASSERT_EQ(code, 128) << i << " " << want[i];
      else
        ASSERT_EQ(code, 1 + std::lround((double{want[i]} + m_) / (2.0 * m_) * 254)) << i;
    }
    ChangeCounts read;
    ASSERT_TRUE(ParseChangeCounts(ReadFile(s.target + ".ndv"), read));
    EXPECT_EQ(read.loss, counts.loss);
    EXPECT_EQ(read.gain, counts.gain);
    EXPECT_EQ(read.same, counts.same);
    EXPECT_EQ(read.noData, counts.noData);
    EXPECT_EQ(read.threshold, c.params.threshold);
  }
}

TEST(ChangeMap, AreasAreTheCountsTimesThePixelAreaAndDatesAreRealDays) {
  SetLanguage(Language::kEnglish);
  ChangeCounts c;
  c.loss = 1000, c.gain = 20, c.same = 6;
  // 1000 pixels of 30 m: 0.9 km², 90 ha.
  EXPECT_EQ(ChangeAreaText(c, 0.03),
            "Less: 1000 pixels, 90.0 ha (0.90 km²)\nMore: 20 pixels, 1.8 ha (0.02 km²)\n"
            "No change: 6 pixels, 0.5 ha (0.01 km²)");
  EXPECT_EQ(ChangeAreaText(c, 0), "Less: 1000 pixels\nMore: 20 pixels\nNo change: 6 pixels");
  SetLanguage(Language::kJapanese);
  EXPECT_FALSE(ParseChangeCounts("Lumora Band Maths Range File\n1,-1\nB4\n", c));
  // Dates are real days, in order.
  EXPECT_EQ(DateNumber("2009-08-01"), 20090801);
  EXPECT_EQ(DateNumber("2000-02-29"), 20000229);  // a leap year by 400
  EXPECT_LT(DateNumber("1989-12-31"), DateNumber("1990-01-01"));
  for (const char* bad : {"1900-02-29", "2009-13-01", "2009-04-31", "2009-8-01", "2009/08/01",
                          "20090801", "", "2009-08-01x", "1899-12-31"})
    EXPECT_EQ(DateNumber(bad), 0) << bad;
}

TEST(ChangeMap, PicturesThatCannotBeComparedAreRefusedAndNothingWritten) {
  if (!BandExpression::Available()) GTEST_SKIP() << "built without muParser";
  struct Case {
    const char* what;
    std::string laterSettings;
    ChangeParams params;
    bool laterOutside = false;
  } cases[] = {
      {"another grid", TwoDates::Settings("2009-08-01", "139.600000"), {}},
      {"no date",
       "LINE = 50\nPIXEL = 70\nSENSOR = 1\nLengthPerPixel = 0.030000\nLeftTop_Lon = "
       "139.500000\nLeftTop_Lat = 35.600000\nInclination = 0.000000\n",
       {}},
      {"not a day", TwoDates::Settings("2009-02-29"), {}},
      {"the later first", TwoDates::Settings("1980-01-01"), {}},
      {"the same day", TwoDates::Settings("1989-08-06"), {}},
      {"a band it lacks", TwoDates::Settings("2009-08-01"), {"", kChangeBand, 9, 10}},
      {"a threshold below 0", TwoDates::Settings("2009-08-01"), {"", kChangeVegetation, 0, -1}},
      {"no ground in common", TwoDates::Settings("2009-08-01"), {}, true},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    TwoDates s;
    WriteFile(s.later, c.laterSettings);
    if (c.laterOutside) {
      WriteFile(BandFilePath(s.dir / "later", kSample8, 3), std::string(kW * kH, '\0'));
      WriteFile(BandFilePath(s.dir / "later", kSample8, 4), std::string(kW * kH, '\0'));
    }
    c.params.laterPath = s.later;
    RecordingMessenger m;
    EXPECT_FALSE(s.Run(c.params, m));
    ASSERT_EQ(m.entries.size(), 1u);
    EXPECT_FALSE(m.entries[0].text.empty());
    // (A refusal after the pass leaves its files to the step, which drops them.)
    if (!c.laterOutside) {
      EXPECT_FALSE(s.Written());
    }
  }
}

}  // namespace
}  // namespace lumora
