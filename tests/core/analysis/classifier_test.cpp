#include "core/analysis/classifier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "core/analysis/accuracy.h"
#include "core/analysis/class_spectra.h"
#include "core/analysis/land_cover.h"
#include "core/imagefile/band_catalogue.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/support/vector_code.h"
#include "core/view/processing_step.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(ClassStatistics, LuDeterminantAndInverse) {
  // A matrix that needs row exchanges: det = -(2*(0*1-3*1) ...) computed by hand.
  const std::vector<double> a = {0, 2, 1, 1, 1, 0, 3, 0, 1};
  // det = 0*(1*1-0*0) - 2*(1*1-0*3) + 1*(1*0-1*3) = -2 - 3 = -5
  std::vector<double> inv;
  bool complete = false;
  EXPECT_NEAR(LuDeterminantInverse(a, 3, inv, complete), -5.0, 1e-12);
  ASSERT_TRUE(complete);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double s = 0;
      for (int k = 0; k < 3; ++k) s += a[i * 3 + k] * inv[k * 3 + j];
      EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-12);
    }
  // A zero row is singular at once; dependent rows stop at a tiny pivot.
  EXPECT_EQ(LuDeterminantInverse({1, 2, 0, 0}, 2, inv, complete), 0.0);
  EXPECT_FALSE(complete);
  LuDeterminantInverse({1, 2, 2, 4}, 2, inv, complete);
  EXPECT_FALSE(complete);
  EXPECT_TRUE(inv.empty());
}

TEST(ClassStatistics, ThreeBandsWorkedByHandAndTheSampling) {
  // Means 2.5, 2.5, 1; covariances divided by n - 1; determinant 64/27.
  const ClassStatistics s = StatisticsFromSamples({{1, 2, 3, 4}, {2, 1, 4, 3}, {0, 0, 0, 4}});
  ASSERT_TRUE(s.Usable());
  EXPECT_EQ(s.mean, (std::vector<double>{2.5, 2.5, 1}));
  EXPECT_NEAR(s.determinant, 64.0 / 27, 1e-12);
  const double cov[9] = {5.0 / 3, 1, 2, 1, 5.0 / 3, 2.0 / 3, 2, 2.0 / 3, 4};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      EXPECT_NEAR(s.covariance[i * 3 + j], cov[i * 3 + j], 1e-12);
      double back = 0;  // cov x inverse = identity
      for (int k = 0; k < 3; ++k) back += cov[i * 3 + k] * s.inverse[k * 3 + j];
      EXPECT_NEAR(back, i == j ? 1.0 : 0.0, 1e-9);
    }
  // The sampling of training areas.
  const int cases[][3] = {{250, 100, 1}, {299, 100, 1}, {300, 100, 2}, {350, 100, 2}, {399, 100, 2},
                          {400, 100, 3}, {40, 40, 1},   {1, 1, 1},     {0, 0, 1},     {-5, 0, 1}};
  for (const auto& [extent, count, step] : cases) {
    EXPECT_EQ(SamplingOf(extent).count, count) << extent;
    EXPECT_EQ(SamplingOf(extent).step, step) << extent;
  }
}

TEST(ClassStatistics, DegenerateAreas) {
  std::vector<std::vector<uint8_t>> constant = {{1, 2, 3, 4}, {7, 7, 7, 7}};
  EXPECT_EQ(StatisticsFromSamples(constant).status, ClassStatus::kSingular);
  std::vector<std::vector<uint8_t>> dependent = {{1, 2, 3, 4}, {2, 4, 6, 8}};
  EXPECT_EQ(StatisticsFromSamples(dependent).status, ClassStatus::kSingular);
  std::vector<std::vector<uint8_t>> single = {{9}};
  EXPECT_EQ(StatisticsFromSamples(single).status, ClassStatus::kTooFewSamples);
  std::vector<std::vector<uint8_t>> oneBand = {{1, 2, 3, 4}};
  const ClassStatistics s = StatisticsFromSamples(oneBand);
  ASSERT_TRUE(s.Usable());
  EXPECT_DOUBLE_EQ(s.determinant, 5.0 / 3.0);
  EXPECT_DOUBLE_EQ(s.inverse[0], 0.6);
}

ClassStatistics OneBand(double mean, double variance) {
  std::vector<std::vector<uint8_t>> samples = {{0, 1}};
  ClassStatistics s = StatisticsFromSamples(samples);
  s.mean = {mean};
  s.determinant = variance;
  s.inverse = {1.0 / variance};
  s.factor = {std::sqrt(1.0 / variance)};
  return s;
}

TEST(DecisionRule, WorkedExampleAndTies) {
  const std::vector<ClassStatistics> classes = {OneBand(50, 100), OneBand(200, 400)};
  const uint8_t x = 120;
  EXPECT_NEAR(DiscriminantOf(classes[0], &x), 53.605, 5e-4);
  EXPECT_NEAR(DiscriminantOf(classes[1], &x), 21.991, 5e-4);
  EXPECT_EQ(BestClassPlain(classes, &x), 1);
  FastClassifier fast(classes);
  EXPECT_EQ(fast.Classify(&x), 1);

  // Identical classes and a pixel halfway between two equal spreads: the
  // earlier class wins, also after a later one won the pixel before.
  const std::vector<ClassStatistics> tied = {OneBand(100, 50), OneBand(100, 50), OneBand(200, 50),
                                             OneBand(160, 50)};
  FastClassifier tiedFast(tied);
  const uint8_t seq[] = {200, 100, 160, 150, 200, 150, 130, 180};
  for (uint8_t v : seq) {
    EXPECT_EQ(tiedFast.Classify(&v), BestClassPlain(tied, &v)) << int(v);
  }
  FastClassifier pair({OneBand(100, 50), OneBand(200, 50)});
  const uint8_t far = 200, half = 150;
  EXPECT_EQ(pair.Classify(&far), 1);
  EXPECT_EQ(pair.Classify(&half), 0);  // an exact tie, after the later class won
  EXPECT_EQ(BestClassPlain({OneBand(100, 50), OneBand(200, 50)}, &half), 0);
  EXPECT_EQ(BestClassPlain({OneBand(200, 50), OneBand(100, 50)}, &half), 0);

  // Unusable classes take no part; none at all gives no class.
  std::vector<ClassStatistics> withHoles = classes;
  withHoles.insert(withHoles.begin(), ClassStatistics());
  EXPECT_EQ(BestClassPlain(withHoles, &x), 2);
  EXPECT_EQ(FastClassifier(withHoles).Classify(&x), 2);
  EXPECT_EQ(BestClassPlain({ClassStatistics()}, &x), -1);
  EXPECT_EQ(FastClassifier({ClassStatistics()}).Classify(&x), -1);
}

// Random classes from random training samples, as the run builds them.
std::vector<ClassStatistics> RandomClasses(std::mt19937& rng, int bands, int count) {
  std::vector<ClassStatistics> out;
  while (static_cast<int>(out.size()) < count) {
    std::vector<std::vector<uint8_t>> samples(bands, std::vector<uint8_t>(200));
    const int spread = 5 + static_cast<int>(rng() % 60);
    std::vector<int> centre(bands);
    for (auto& c : centre) c = static_cast<int>(rng() % 256);
    for (size_t k = 0; k < 200; ++k) {
      // A shared term makes the bands correlate, as real bands do.
      const int shared = static_cast<int>(rng() % spread);
      for (int b = 0; b < bands; ++b) {
        const int v = centre[b] + (b % 2 ? shared : -shared) + static_cast<int>(rng() % spread);
        samples[b][k] = static_cast<uint8_t>(std::clamp(v, 0, 255));
      }
    }
    ClassStatistics s = StatisticsFromSamples(samples);
    if (s.Usable()) out.push_back(std::move(s));
  }
  return out;
}

TEST(DecisionRule, FastRuleAgreesWithPlainRule) {
  std::mt19937 rng(11);
  for (int bands : {1, 3, 6, 9}) {
    const auto classes = RandomClasses(rng, bands, 10);
    std::vector<std::vector<uint8_t>> planes(bands, std::vector<uint8_t>(20000));
    for (auto& p : planes)
      for (size_t i = 0; i < p.size(); ++i)
        // Runs of repeated pixels exercise the cache, noise the full rule.
        p[i] = static_cast<uint8_t>(i % 7 < 3 ? p[i ? i - 1 : 0] : rng());
    std::vector<const uint8_t*> rows;
    for (auto& p : planes) rows.push_back(p.data());
    // Both the wide-vector and the portable code, whatever this machine has.
    for (bool wide : {true, false}) {
      AllowWideVectors(wide);
      std::vector<int16_t> got(20000);
      FastClassifier(classes).ClassifyRow(rows.data(), 20000, got.data());
      int mismatches = 0;
      for (size_t i = 0; i < got.size(); ++i) {
        uint8_t x[16];
        for (int b = 0; b < bands; ++b) x[b] = planes[b][i];
        mismatches += got[i] != BestClassPlain(classes, x);
      }
      EXPECT_EQ(mismatches, 0) << bands << " bands" << (wide ? " wide" : " portable");
    }
    AllowWideVectors(true);
  }
}

// A scene of two 8-bit bands with a dark left half and a bright right half.
struct TwoHalves {
  TempDir dir;
  std::string base = dir / "img";
  int w = 40, h = 30;
  TwoHalves() {
    std::mt19937 rng(2);
    for (int band : {1, 2}) {
      std::string bytes(w * h, '\0');
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          bytes[y * w + x] = static_cast<char>((x < w / 2 ? 40 : 180) + band * 3 + rng() % 20);
      WriteFile(BandFilePath(base, 1, band), bytes);
    }
  }
  // Classifies into dir/name, taking the image as `lines` high when given.
  bool Run(const std::vector<int>& bands, const std::vector<ClassItem>& classes,
           const std::string& name = "out", int lines = 0) {
    Progress progress;
    return Classify(bands, classes, base, w, lines ? lines : h, dir / name, m, progress);
  }
  RecordingMessenger m;
  const std::string target = dir / "out";
};

TEST(Classify, ColourPlanesLeftOutClassesAndFailures) {
  TwoHalves scene;
  // red, green, blue, top, bottom, right, left, title
  const std::vector<ClassItem> classes = {
      ClassItem{0, 0, 0, 0, 0, 0, 0, "未指定"},           // no area
      ClassItem{10, 20, 30, 2, 20, 12, 2, "dark"},        //
      ClassItem{200, 150, 100, 5, 25, 38, 25, "bright"},  //
      ClassItem{1, 1, 1, 10, 11, 31, 30, "dot"},          // one pixel
      ClassItem{9, 9, 9, 20, 25, 41, 30, "outside"},      // one column past the edge
  };
  ASSERT_TRUE(scene.Run({1, 2}, classes));
  const std::string& target = scene.target;
  const RecordingMessenger& m = scene.m;
  const std::string blue = ReadFile(target + ".b01");
  const std::string green = ReadFile(target + ".b02");
  const std::string red = ReadFile(target + ".b03");
  ASSERT_EQ(red.size(), static_cast<size_t>(scene.w * scene.h));
  for (int i = 0; i < scene.w * scene.h; ++i) {
    const bool left = i % scene.w < scene.w / 2;
    ASSERT_EQ(static_cast<uint8_t>(red[i]), left ? 10 : 200) << i;
    ASSERT_EQ(static_cast<uint8_t>(green[i]), left ? 20 : 150) << i;
    ASSERT_EQ(static_cast<uint8_t>(blue[i]), left ? 30 : 100) << i;
  }
  EXPECT_EQ(ReadBandDescription(target, 1), "土地被覆分類データ　青");
  EXPECT_EQ(ReadBandDescription(target, 3), "土地被覆分類データ　赤");
  ASSERT_EQ(m.entries.size(), 1u);
  const std::string& report = m.entries[0].text;
  EXPECT_NE(report.find("未指定：" + std::string(MessageText(kMsgClassNoArea))), std::string::npos);
  EXPECT_NE(report.find("dot：" + std::string(MessageText(kMsgClassTooFewSamples))),
            std::string::npos);
  EXPECT_NE(report.find("outside：" + std::string(MessageText(kMsgClassAreaOutside))),
            std::string::npos);
  EXPECT_EQ(report.find("dark"), std::string::npos);
  // No classes at all: black.
  ASSERT_TRUE(scene.Run({1, 2}, {}, "none"));
  EXPECT_EQ(ReadFile(scene.dir / "none.b02"), std::string(scene.w * scene.h, '\0'));
  EXPECT_EQ(m.entries.size(), 1u);
  // A missing or short band, or no place for the result, stops the run.
  EXPECT_FALSE(scene.Run({1, 3}, classes, "o1"));
  EXPECT_EQ(m.LastId(), kMsgOpenFailed);
  EXPECT_FALSE(scene.Run({1, 2}, classes, "o2", scene.h + 1));
  EXPECT_EQ(m.LastId(), kMsgBandFileShort);
  EXPECT_FALSE(scene.Run({1, 2}, classes, "no/dir"));
  EXPECT_EQ(m.entries.back().text, "Output File Open Error");
  EXPECT_EQ(m.entries.back().title, "Error");
}

TEST(Accuracy, CheckAreasAgainstTheTrainingClasses) {
  TwoHalves s;
  const std::vector<ClassItem> classes = {{1, 1, 1, 2, 20, 12, 2, "dark"},
                                          {2, 2, 2, 5, 25, 38, 25, "bright"},
                                          {3, 3, 3, 0, 0, 0, 0, "none"}};
  // 4 x 5 bright pixels called bright; 10 x 2 straddling the middle called dark.
  const std::vector<ClassItem> checks = {{0, 0, 0, 0, 5, 24, 20, "bright"},
                                         {0, 0, 0, 10, 12, 25, 15, "dark"},
                                         {0, 0, 0, 0, 0, 0, 0, "dark"}};
  RecordingMessenger m;
  Accuracy a;
  ASSERT_TRUE(CheckAccuracy({1, 2}, classes, checks, s.base, s.w, s.h, a, m));
  EXPECT_EQ(a.matrix, (std::vector<int64_t>{10, 10, 0, 0, /**/ 0, 20, 0, 0, /**/ 0, 0, 0, 0}));
  EXPECT_EQ(a.right, 30);

  struct Bad {
    ClassItem check;
    int message;
  } bad[] = {{{0, 0, 0, 0, 5, 41, 30, "dark"}, kMsgCheckOutside},
             {{0, 0, 0, -1, 5, 10, 0, "dark"}, kMsgCheckOutside},
             {{0, 0, 0, 0, 5, 10, 0, "none"}, kMsgCheckNoTraining},
             {{0, 0, 0, 0, 5, 10, 0, "nobody"}, kMsgCheckNoTraining},
             {{0, 0, 0, 0, 0, 0, 0, "dark"}, kMsgCheckNone}};
  for (const auto& b : bad) {
    RecordingMessenger bm;
    EXPECT_FALSE(CheckAccuracy({1, 2}, classes, {b.check}, s.base, s.w, s.h, a, bm));
    ASSERT_FALSE(bm.entries.empty()) << b.check.title;
    if (b.message == kMsgCheckNone) {
      EXPECT_EQ(bm.LastId(), kMsgCheckNone);
    } else {
      EXPECT_EQ(bm.entries.back().text, Format(MessageText(b.message), b.check.title.c_str()));
    }
  }
}

// Every second training pixel, as on a chessboard, held back: the classes
// learn from the others and are checked on these. One band, 10 x 2, worked
// by hand: A trains on 10 12 / 11 13, B on 60 62 / 61 63 (equal spread, so
// the nearer mean wins); A's held-back 11 12 / 50 50 and B's 61 62 / 30 30.
// C trains on 5 / 5 alone, a constant: it takes no part, though with its
// held-back 6 / 6 it would.
TEST(Accuracy, HeldBackHalfOfTheTrainingPixels) {
  TempDir dir;
  const std::string base = dir / "h";
  WriteFile(base + ".b01",
            std::string("\x0a\x0b\x0c\x0c\x3c\x3d\x3e\x3e\x05\x06"   // 10 11 12 12 60 61 62 62 5 6
                        "\x32\x0b\x32\x0d\x1e\x3d\x1e\x3f\x06\x05",  // 50 11 50 13 30 61 30 63 6 5
                        20));
  const std::vector<ClassItem> classes = {
      {1, 1, 1, 0, 2, 4, 0, "A"}, {2, 2, 2, 0, 2, 8, 4, "B"}, {3, 3, 3, 0, 2, 10, 8, "C"}};
  RecordingMessenger m;
  ClassStatistics a;
  ASSERT_TRUE(ComputeClassStatistics(classes[0], {1}, base, 10, 2, a, m, SampleHalf::kTraining));
  EXPECT_DOUBLE_EQ(a.mean[0], 11.5);
  ASSERT_TRUE(ComputeClassStatistics(classes[0], {1}, base, 10, 2, a, m));
  EXPECT_DOUBLE_EQ(a.mean[0], 169.0 / 8);
  Accuracy acc;
  ASSERT_TRUE(CheckAccuracy({1}, classes, {}, base, 10, 2, acc, m, true));
  EXPECT_EQ(acc.matrix, (std::vector<int64_t>{2, 2, 0, 0, /**/ 2, 2, 0, 0, /**/ 0, 0, 0, 0}));
  // The run learns from the same half: A's held-back 50s go to B, C's pixels
  // to A. Its check areas are saved beside the legend.
  WriteFile(base + ".inf", "LINE = 2\nPIXEL = 10\nSENSOR = 1\nFile_State = 0\n");
  ClassificationParams params;
  params.bands = {1};
  params.classes = classes;
  params.holdBackHalf = true;
  params.checks = {{0, 0, 0, 0, 1, 2, 0, "A"}};
  Progress progress;
  ASSERT_EQ(WriteStepOutput(base + ".inf", dir / "o.inf", MakeClassificationStep(params), m,
                            progress, kMsgCreateFailed),
            StepOutput::kWritten);
  EXPECT_EQ(ReadFile(dir / "o.b01"), std::string("\x01\x01\x01\x01\x02\x02\x02\x02\x01\x01"
                                                 "\x02\x01\x02\x01\x01\x02\x01\x02\x01\x01",
                                                 20));
  EXPECT_EQ(ReadFile(dir / "o.mck"), FormatLandCoverFile({1}, params.checks));
  // Without check areas and without holding back there is nothing to check.
  EXPECT_FALSE(CheckAccuracy({1}, classes, {}, base, 10, 2, acc, m));
  EXPECT_EQ(m.LastId(), kMsgCheckNone);
}

// A class's mean spectrum and spread come from its training samples; a class
// without a usable area has none; a source that is itself a result is refused.
TEST(ClassSpectra, MeanAndSpreadOfEachTrainingArea) {
  TempDir dir;
  WriteFile(dir / "src.inf", "LINE = 4\nPIXEL = 8\nSENSOR = 1\nFile_State = 0\n");
  std::string b1, b2;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x)
      b1.push_back(static_cast<char>(10 + 10 * (x % 2))), b2.push_back(100);
  WriteFile(BandFilePath(dir / "src", kSample8, 1), b1);
  WriteFile(BandFilePath(dir / "src", kSample8, 2), b2);
  WriteFile(dir / "out.inf", "LINE = 4\nPIXEL = 8\nSENSOR = 1\nFile_State = 2\n");
  ClassItem water, none, outside;
  water.title = "水";
  water.blue = 200;
  water.left = 0, water.right = 4, water.top = 0, water.bottom = 2;  // 4 x 2 samples
  none.title = "なし";
  outside.left = 6, outside.right = 12, outside.top = 0, outside.bottom = 2;
  WriteFile(dir / "out.mlk", FormatLandCoverFile({2, 1}, {water, none, outside}));
  RecordingMessenger m;
  std::vector<int> bands;
  std::vector<ClassSpectrum> spectra;
  ASSERT_TRUE(ClassSpectra(dir / "out.inf", dir / "src.inf", bands, spectra, m));
  EXPECT_EQ(bands, (std::vector<int>{2, 1}));
  ASSERT_EQ(spectra.size(), 1u);
  EXPECT_EQ(spectra[0].title, "水");
  EXPECT_EQ(spectra[0].blue, 200);
  // Band 2 is 100 everywhere; band 1 alternates 10, 20: mean 15, and the
  // sample deviation of eight values 5 away from it is sqrt(8 * 25 / 7).
  EXPECT_EQ(spectra[0].mean, (std::vector<double>{100.0, 15.0}));
  ASSERT_EQ(spectra[0].deviation.size(), 2u);
  EXPECT_DOUBLE_EQ(spectra[0].deviation[0], 0.0);
  EXPECT_DOUBLE_EQ(spectra[0].deviation[1], std::sqrt(200.0 / 7.0));
  // The result itself is no image its classes were drawn on, though it has
  // band files of the same size.
  WriteFile(BandFilePath(dir / "out", kSample8, 1), b1);
  WriteFile(BandFilePath(dir / "out", kSample8, 2), b2);
  EXPECT_FALSE(ClassSpectra(dir / "out.inf", dir / "out.inf", bands, spectra, m));
  EXPECT_FALSE(m.entries.empty());
  // A legend file that ends before its bands.
  WriteFile(dir / "out.mlk", "1\n2\n3\n2\n1\n");
  EXPECT_FALSE(ClassSpectra(dir / "out.inf", dir / "src.inf", bands, spectra, m));
  EXPECT_TRUE(m.Has(kMsgBadMlkFile));
}

}  // namespace
}  // namespace lumora
