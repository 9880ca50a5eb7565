// Coaching lights, separability, k-means groups, accuracy and class areas.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <random>

#include "core/analysis/accuracy.h"
#include "core/analysis/class_areas.h"
#include "core/analysis/class_coaching.h"
#include "core/analysis/group_edit.h"
#include "core/analysis/kmeans.h"
#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/support/vector_code.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct EnglishTexts {
  EnglishTexts() { SetLanguage(Language::kEnglish); }
  ~EnglishTexts() { SetLanguage(Language::kJapanese); }
};

ClassStatistics StatsOf(ClassStatus status, std::vector<double> deviation) {
  ClassStatistics s;
  s.status = status;
  s.bands = static_cast<int>(deviation.size());
  s.deviation = std::move(deviation);
  return s;
}

ClassItem Item(int grey, int top, int bottom, int right, int left, const std::string& title) {
  ClassItem c;
  c.red = c.green = c.blue = static_cast<uint8_t>(grey);
  c.top = top, c.bottom = bottom, c.right = right, c.left = left;
  c.title = title;
  return c;
}

TEST(Coaching, OneLightPerClassWorstReasonFirst) {
  // Three bands: red up to 4 pixels, yellow below 30.
  const ClassStatistics ok = StatsOf(ClassStatus::kUsable, {3, 4, 5});
  struct Case {
    ClassItem item;
    ClassStatistics stats;
    Light light;
    int message;
  };
  const std::vector<Case> cases = {
      {Item(1, 0, 0, 0, 0, "empty"), StatsOf(ClassStatus::kNoArea, {}), Light::kRed,
       kMsgCoachEmpty},
      {Item(2, 0, 10, 10, 0, "out"), StatsOf(ClassStatus::kAreaOutside, {}), Light::kRed,
       kMsgCoachOutside},
      {Item(3, 0, 2, 2, 0, "four"), ok, Light::kRed, kMsgCoachTooFew},
      {Item(4, 0, 1, 5, 0, "five"), ok, Light::kYellow, kMsgCoachFew},
      {Item(5, 0, 5, 6, 0, "flat"), StatsOf(ClassStatus::kSingular, {0, 4, 5}), Light::kRed,
       kMsgCoachSingular},
      {Item(6, 0, 5, 5, 0, "25px"), ok, Light::kYellow, kMsgCoachFew},
      {Item(7, 0, 5, 6, 0, "30px"), ok, Light::kGreen, kMsgCoachGood},
      {Item(8, 0, 9, 9, 0, "nearly"), StatsOf(ClassStatus::kUsable, {3, 0.4, 5}), Light::kYellow,
       kMsgCoachNearlyFlat},
      {Item(9, 0, 9, 9, 0, "twin"), ok, Light::kYellow, kMsgCoachSameName},
      {Item(10, 0, 9, 9, 0, "twin"), ok, Light::kYellow, kMsgCoachSameName},
      {Item(8, 0, 9, 9, 0, "colour of nearly"), ok, Light::kYellow, kMsgCoachSameColour},
  };
  std::vector<ClassItem> items;
  std::vector<ClassStatistics> stats;
  for (const auto& c : cases) items.push_back(c.item), stats.push_back(c.stats);
  const auto advice = CoachClasses(items, stats, 3);
  ASSERT_EQ(advice.size(), cases.size());
  for (size_t i = 0; i < advice.size(); ++i) {
    EXPECT_EQ(advice[i].light, cases[i].light) << cases[i].item.title;
    EXPECT_EQ(advice[i].message, cases[i].message) << cases[i].item.title;
  }
  EnglishTexts english;
  EXPECT_EQ(AdviceText(advice[2]),
            "The area is too small: with 3 bands it needs more than 4 pixels.");
  EXPECT_EQ(AdviceText(advice[3]),
            "A bigger area would make it surer (30 pixels or more is best).");
}

TEST(Separability, JeffriesMatusitaWorkedByHand) {
  // One band, unit variances, means 2 apart: B = 4 / 8 = 0.5.
  EXPECT_NEAR(JeffriesMatusita({0}, {1}, {2}, {1}, 1), 2 * (1 - std::exp(-0.5)), 1e-12);
  // Two bands, diagonal: S = diag(1, 2.5); B = 4/8 + ln(2.5 / sqrt(4 * 1)) / 2.
  const double b = 0.5 + 0.5 * std::log(2.5 / 2.0);
  EXPECT_NEAR(JeffriesMatusita({10, 5}, {1, 0, 0, 4}, {8, 5}, {1, 0, 0, 1}, 2),
              2 * (1 - std::exp(-b)), 1e-12);
  // A correlated pair: S = [[2,1],[1,2]], d = (3,0): d'S^-1 d = 9 * 2/3 = 6; equal covariances.
  EXPECT_NEAR(JeffriesMatusita({3, 0}, {2, 1, 1, 2}, {0, 0}, {2, 1, 1, 2}, 2),
              2 * (1 - std::exp(-6.0 / 8)), 1e-12);
  EXPECT_TRUE(std::isnan(JeffriesMatusita({0, 0}, {1, 1, 1, 1}, {1, 1}, {1, 0, 0, 1}, 2)));
  EXPECT_EQ(JeffriesMatusita({0}, {4}, {0}, {4}, 1), 0.0);
  EXPECT_EQ(SeparabilityLight(0.999), Light::kRed);
  EXPECT_EQ(SeparabilityLight(1.0), Light::kYellow);
  EXPECT_EQ(SeparabilityLight(1.899), Light::kYellow);
  EXPECT_EQ(SeparabilityLight(1.9), Light::kGreen);

  // water far from forest; town and fields close; an unusable class has no pairs.
  const auto cls = [](double m) {
    ClassStatistics s;
    s.status = ClassStatus::kUsable;
    s.bands = 1;
    s.mean = {m};
    s.covariance = {1};
    return s;
  };
  std::vector<ClassStatistics> stats = {cls(0), cls(40), cls(80), cls(80.5),
                                        StatsOf(ClassStatus::kSingular, {0})};
  const auto pairs = SeparabilityOf(stats);
  ASSERT_EQ(pairs.size(), 6u);
  EXPECT_EQ(pairs[5].first, 2);
  EXPECT_EQ(pairs[5].second, 3);
  EXPECT_NEAR(pairs[5].jm, 2 * (1 - std::exp(-0.25 / 8)), 1e-12);
  EXPECT_EQ(pairs[5].light, Light::kRed);
  std::vector<ClassItem> items(5);
  const char* titles[] = {"water", "forest", "town", "fields", "x"};
  for (size_t i = 0; i < 5; ++i) items[i].title = titles[i];
  EnglishTexts english;
  EXPECT_EQ(SeparabilitySentence(items, pairs),
            "water and forest are easy to tell apart. town and fields look alike and are easily "
            "mixed up.");
  stats.resize(3);
  EXPECT_EQ(SeparabilitySentence(items, SeparabilityOf(stats)),
            "water and forest are easy to tell apart.");
}

double Squared(const std::vector<std::vector<uint8_t>>& px, size_t i, const double* c) {
  double d = 0;
  for (size_t b = 0; b < px.size(); ++b) d += (px[b][i] - c[b]) * (px[b][i] - c[b]);
  return d;
}

TEST(KMeans, GroupsAreAFixedPointFollowTheSeedAndHaveGreys) {
  // Splitmix64's published first outputs for seed 0.
  SplitMix64 r(0);
  EXPECT_EQ(r.Next(), 0xE220A8397B1DCDAFull);
  EXPECT_EQ(r.Next(), 0x6E789E6AA1B965F4ull);

  // 999 pixels (0.1 % is less than one: only a true fixed point stops the
  // rounds) of three bands around four overlapping centres.
  const size_t count = 999;
  std::mt19937 rng(5);
  std::vector<std::vector<uint8_t>> px(3, std::vector<uint8_t>(count));
  const int centre[4][3] = {{40, 60, 30}, {90, 70, 50}, {120, 150, 90}, {200, 180, 170}};
  std::normal_distribution<double> noise(0.0, 18.0);
  for (size_t i = 0; i < count; ++i)
    for (int b = 0; b < 3; ++b)
      px[b][i] = static_cast<uint8_t>(std::clamp(centre[i % 4][b] + noise(rng), 0.0, 255.0));
  const std::vector<const uint8_t*> planes = {px[0].data(), px[1].data(), px[2].data()};
  std::vector<uint8_t> labels;
  Clustering c;
  ASSERT_EQ(ClusterPixels(planes, count, 5, 42, labels, c), 0);
  ASSERT_LT(c.rounds, kMaxKMeansRounds);
  std::vector<double> sums(15, 0.0);
  std::vector<int64_t> counts(5, 0);
  for (size_t i = 0; i < count; ++i) {
    const int l = labels[i];
    ++counts[l];
    for (int b = 0; b < 3; ++b) sums[l * 3 + b] += px[b][i];
    const double own = Squared(px, i, &c.centres[l * 3]);
    for (int o = 0; o < 5; ++o) ASSERT_LE(own, Squared(px, i, &c.centres[o * 3]) + 1e-3) << i;
  }
  for (int g = 0; g < 5; ++g) {
    EXPECT_EQ(c.counts[g], counts[g]);
    ASSERT_GT(counts[g], 0);
    for (int b = 0; b < 3; ++b)
      EXPECT_NEAR(c.centres[g * 3 + b], sums[g * 3 + b] / counts[g], 1e-9);
  }
  const auto brightness = [&](int g) {
    return c.centres[g * 3] + c.centres[g * 3 + 1] + c.centres[g * 3 + 2];
  };
  for (int g = 1; g < 5; ++g) EXPECT_LT(brightness(g - 1), brightness(g));
  // The same seed gives the same groups, one thread or two, wide or portable.
  for (const bool wide : {true, false}) {
    AllowWideVectors(wide);
    for (int threads : {1, 2}) {
      std::vector<uint8_t> again;
      Clustering c2;
      ASSERT_EQ(ClusterPixels(planes, count, 5, 42, again, c2, threads), 0);
      EXPECT_EQ(again, labels);
      EXPECT_EQ(c2.centres, c.centres);
      EXPECT_EQ(c2.start, c.start);
    }
  }
  AllowWideVectors(true);
  std::vector<uint8_t> other;
  Clustering c3;
  ASSERT_EQ(ClusterPixels(planes, count, 5, 43, other, c3), 0);
  EXPECT_NE(c3.start, c.start);

  // The start follows k-means++: after a dark first centre the far bright
  // pixels, not the near grey ones, are the likely second one. And a pixel
  // as near to two centres goes to the one started first.
  {
    std::vector<uint8_t> one(30);
    for (size_t i = 0; i < 30; ++i) one[i] = i < 10 ? 1 : i < 20 ? 200 : 0;
    int darkFirst = 0;
    for (uint64_t seed = 1; seed <= 30; ++seed) {
      if (one[SplitMix64(seed).Next() % 30] != 0) continue;
      ++darkFirst;
      ASSERT_EQ(ClusterPixels({one.data()}, one.size(), 2, seed, other, c3), 0);
      EXPECT_EQ(c3.start, (std::vector<double>{0, 200})) << seed;
    }
    EXPECT_GT(darkFirst, 0);
    const std::vector<uint8_t> tie = {1, 0, 0, 0, 0, 2, 2, 2, 2};
    int ties = 0;
    for (uint64_t seed = 1; seed <= 30; ++seed) {
      const uint8_t first = tie[SplitMix64(seed).Next() % 9];
      ASSERT_EQ(ClusterPixels({tie.data()}, tie.size(), 2, seed, other, c3), 0);
      if (first == 1 || c3.start != std::vector<double>{0, 2}) continue;
      ++ties;
      EXPECT_EQ(other[0], first == 0 ? 0 : 1) << seed;
    }
    EXPECT_GT(ties, 0);
  }

  // Bad k, and fewer colours than groups.
  EXPECT_EQ(ClusterPixels(planes, count, 1, 1, other, c3), kMsgKMeansBadK);
  EXPECT_EQ(ClusterPixels(planes, count, 13, 1, other, c3), kMsgKMeansBadK);
  const std::vector<uint8_t> two = {1, 1, 9, 9, 1, 9};
  EXPECT_EQ(ClusterPixels({two.data()}, two.size(), 3, 1, other, c3), kMsgKMeansFewColours);
  EXPECT_EQ(ClusterPixels({two.data()}, two.size(), 2, 1, other, c3), 0);
  EXPECT_EQ(other, (std::vector<uint8_t>{0, 0, 1, 1, 0, 1}));

  // The groups' greys and legend.
  EXPECT_EQ(GroupGrey(0, 2), 127);
  EXPECT_EQ(GroupGrey(1, 2), 255);
  EXPECT_EQ(GroupGrey(0, 12), 21);
  EXPECT_EQ(GroupGrey(11, 12), 255);
  const auto classes = GroupClasses(3);
  ASSERT_EQ(classes.size(), 3u);
  EXPECT_EQ(classes[2].title, "グループ3");
  EXPECT_EQ(classes[0].red, 85);
  EXPECT_FALSE(classes[0].HasArea());
}

TEST(Accuracy, HandWorkedMatrix) {
  Accuracy a;
  a.titles = {"A", "B", "C"};
  // Rows: the check areas' classes; the last column: not classified.
  a.matrix = {50, 3, 2, 1, /**/ 5, 40, 5, 0, /**/ 0, 10, 35, 0};
  ComputeAccuracy(a);
  EXPECT_EQ(a.total, 151);
  EXPECT_EQ(a.right, 125);
  EXPECT_DOUBLE_EQ(a.overall, 125.0 / 151);
  EXPECT_DOUBLE_EQ(a.producers[0], 50.0 / 56);
  EXPECT_DOUBLE_EQ(a.producers[2], 35.0 / 45);
  EXPECT_DOUBLE_EQ(a.users[1], 40.0 / 53);
  EXPECT_DOUBLE_EQ(a.users[2], 35.0 / 42);
  // Chance agreement (56*55 + 50*53 + 45*42) / 151^2 = 7620 / 22801.
  EXPECT_NEAR(a.kappa, (125.0 * 151 - 7620) / (22801 - 7620), 1e-12);
  {
    EnglishTexts english;
    EXPECT_EQ(AccuracySentence(a),
              "Of 151 check pixels the computer got 125 right (83 of every 100). It mixed up B "
              "and C most.");
  }
  Accuracy two;
  two.titles = {"w", "f,x"};
  two.matrix = {3, 1, 0, /**/ 0, 4, 2};
  ComputeAccuracy(two);
  EXPECT_EQ(AccuracyCsv(two),
            "check \\ computer,w,\"f,x\",分類されなかった画素,total,producer_percent\n"
            "w,3,1,0,4,75\n"
            "\"f,x\",0,4,2,6,66.67\n"
            "total,3,5,2,10,\n"
            "user_percent,100,80,,,\n"
            "overall_percent,70\n"
            "kappa,0.4828\n");  // (0.7 - (4*3 + 6*5) / 100) / (1 - 0.42)
  Accuracy perfect;
  perfect.titles = {"a"};
  perfect.matrix = {5, 0};
  ComputeAccuracy(perfect);
  EXPECT_TRUE(std::isnan(perfect.kappa));
  EXPECT_EQ(AccuracySentence(perfect),
            std::string(Format(MessageText(kMsgAccuracyRight), 5LL, 5LL, 100)) +
                MessageText(kMsgAccuracyNoMistake));
}

TEST(ClassAreas, PixelsAreaAndShare) {
  TempDir dir;
  const std::string base = dir / "k";
  // 4 x 2: two forest, five water (one colour shared by a later class), one black.
  WriteFile(base + ".inf",
            "LINE = 2\nPIXEL = 4\nSENSOR = 1\nFile_State = 2\nLengthPerPixel = 0.03\n");
  WriteFile(base + ".mlk", FormatLandCoverFile({1, 2}, {{0, 128, 0, 0, 0, 0, 0, "forest"},
                                                        {0, 0, 255, 0, 0, 0, 0, "water"},
                                                        {0, 0, 255, 0, 0, 0, 0, "sea"}}));
  const std::string red(8, '\0');
  WriteFile(base + ".b03", red);
  WriteFile(base + ".b02", std::string("\x80\x80\0\0\0\0\0\0", 8));
  WriteFile(base + ".b01", std::string("\0\0\xff\xff\xff\xff\xff\0", 8));
  RecordingMessenger m;
  std::vector<ClassArea> areas;
  ASSERT_TRUE(ComputeClassAreas(base + ".inf", areas, m));
  ASSERT_EQ(areas.size(), 4u);
  const int64_t pixels[] = {2, 5, 0, 1};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(areas[i].pixels, pixels[i]) << i;
  EXPECT_EQ(areas[3].title, "分類されなかった画素");
  // 30 m pixels: 900 m² each.
  EXPECT_DOUBLE_EQ(areas[1].measure.areaM2, 4500.0);
  EXPECT_DOUBLE_EQ(areas[1].share, 5.0 / 8);
  EXPECT_EQ(ClassAreasCsv(areas),
            "class,red,green,blue,pixels,share_percent,area_m2,area_ha,area_km2\n"
            "forest,0,128,0,2,25,1800,0.18,0.0018\n"
            "water,0,0,255,5,62.5,4500,0.45,0.0045\n"
            "sea,0,0,255,0,0,0,0,0\n"
            "分類されなかった画素,0,0,0,1,12.5,900,0.09,0.0009\n");
  EXPECT_EQ(ClassAreaText(areas[1]), "5 px, 0.45 ha, 62.5 %");
  // Without a ground scale the area is not measurable.
  WriteFile(base + ".inf", "LINE = 2\nPIXEL = 4\nSENSOR = 1\nFile_State = 2\n");
  ASSERT_TRUE(ComputeClassAreas(base + ".inf", areas, m));
  EXPECT_FALSE(areas[0].measure.measurable);
  EXPECT_NE(ClassAreasCsv(areas).find("\nforest,0,128,0,2,25,,,\n"), std::string::npos);
  // A missing plane is reported.
  std::filesystem::remove(base + ".b02");
  EXPECT_FALSE(ComputeClassAreas(base + ".inf", areas, m));
  EXPECT_EQ(m.LastId(), kMsgOpenFailed);
}

// The pupil's edits of a k-means result, worked by hand on a 4 x 2 result
// of three groups (greys 85, 170, 255) over two bands.
TEST(GroupEdit, RenameAndMergeRewritePlanesLegendAndMeans) {
  TempDir dir;
  const std::string base = dir / "k";
  WriteFile(base + ".inf", "LINE = 2\nPIXEL = 4\nSENSOR = 1\nFile_State = 2\n");
  WriteFile(base + ".mlk", FormatLandCoverFile({3, 4}, GroupClasses(3)));
  // Groups 0 0 1 1 / 2 1 0, then a black pixel of no group.
  const std::string grey("\x55\x55\xaa\xaa\xff\xaa\x55\x00", 8);
  for (int p = 1; p <= 3; ++p) WriteFile(BandFilePath(base, kSample8, p), grey);
  const std::string kmc =
      "3 2 7 4\n3 4\n3 10.0000 20.0000 9 9\n3 30.0000 40.0000 31 41\n1 50.0000 60.0000 50 60\n";
  WriteFile(base + ".kmc", kmc);
  WriteFile(base + ".lev", "levels\n");
  RecordingMessenger m;
  StepSource source{base + ".inf", base, {}};
  ASSERT_TRUE(ReadSettings(source.settingsPath, source.settings, m));
  const auto run = [&](const GroupEdit& edit, const std::string& name) {
    StepResult result;
    Progress progress;
    return RunGroupEdit(source, dir / name, edit, result, m, progress) &&
           result.fileState == kStateClassified && result.pixels == 4 && result.lines == 2;
  };
  const auto plane = [&](const std::string& name, int p) {
    return ReadFile(BandFilePath(dir / name, kSample8, p));
  };

  GroupEdit rename;
  rename.group = 1;
  rename.blue = 255;
  rename.title = " みず ";
  ASSERT_TRUE(run(rename, "r"));
  EXPECT_EQ(plane("r", 1), std::string("\x55\x55\xff\xff\xff\xff\x55\x00", 8));
  EXPECT_EQ(plane("r", 2), std::string("\x55\x55\x00\x00\xff\x00\x55\x00", 8));
  EXPECT_EQ(plane("r", 3), plane("r", 2));
  auto classes = GroupClasses(3);
  classes[1].red = classes[1].green = 0;
  classes[1].blue = 255;
  classes[1].title = "みず";
  EXPECT_EQ(ReadFile(dir / "r.mlk"), FormatLandCoverFile({3, 4}, classes));
  EXPECT_EQ(ReadFile(dir / "r.kmc"), kmc);
  EXPECT_EQ(ReadFile(dir / "r.lev"), "levels\n");
  EXPECT_EQ(ReadBandDescription(dir / "r", 2), "土地被覆分類データ　緑");
  // A name alone keeps the group's own colour.
  GroupEdit nameOnly;
  nameOnly.red = nameOnly.green = nameOnly.blue = 85;
  nameOnly.title = "もり";
  ASSERT_TRUE(run(nameOnly, "n"));
  EXPECT_EQ(plane("n", 1), grey);

  // Group 2 goes into group 0: its mean (3 x (10, 20) + 1 x (50, 60)) / 4.
  GroupEdit merge;
  merge.kind = GroupEdit::kMerge;
  merge.group = 0;
  merge.other = 2;
  ASSERT_TRUE(run(merge, "m"));
  for (int p = 1; p <= 3; ++p)
    EXPECT_EQ(plane("m", p), std::string("\x55\x55\xaa\xaa\x55\xaa\x55\x00", 8)) << p;
  auto merged = GroupClasses(3);
  merged.pop_back();
  EXPECT_EQ(ReadFile(dir / "m.mlk"), FormatLandCoverFile({3, 4}, merged));
  EXPECT_EQ(ReadFile(dir / "m.kmc"),
            "2 2 7 4\n3 4\n4 20.0000 30.0000 9 9\n3 30.0000 40.0000 31 41\n");
  GroupMeans means;
  EXPECT_TRUE(ParseGroupMeans(kmc, means));
  EXPECT_EQ(FormatGroupMeans(means), kmc);
  for (const std::string& bad : std::vector<std::string>{
           "", "3 2 7 4\n3 4\n3 10 20 9 9\n", "13 2 7 4\n3 4\n", "3 2 7 4\n3 x\n", kmc + "1\n"})
    EXPECT_FALSE(ParseGroupMeans(bad, means)) << bad;

  // Bad edits: a message, nothing written.
  struct Bad {
    GroupEdit::Kind kind;
    int group, other;
    uint8_t grey;
    const char* title;
    std::string said;
  } bad[] = {
      {GroupEdit::kRename, 0, 0, 0, "black", MessageText(kMsgGroupColourBlack)},
      {GroupEdit::kRename, 0, 0, 170, "same",
       Format(MessageText(kMsgGroupColourTaken), "グループ2")},
      {GroupEdit::kRename, 0, 0, 9, " ", MessageText(kMsgGroupNoTitle)},
      {GroupEdit::kRename, 3, 0, 9, "x", Format(MessageText(kMsgGroupNotThere), 3)},
      {GroupEdit::kMerge, 1, 1, 0, "", MessageText(kMsgGroupMergeSelf)},
      {GroupEdit::kMerge, 1, -1, 0, "", Format(MessageText(kMsgGroupNotThere), -1)},
  };
  for (const Bad& b : bad) {
    GroupEdit edit;
    edit.kind = b.kind;
    edit.group = b.group;
    edit.other = b.other;
    edit.red = edit.green = edit.blue = b.grey;
    edit.title = b.title;
    m.entries.clear();
    EXPECT_FALSE(run(edit, "bad")) << b.said;
    ASSERT_EQ(m.entries.size(), 1u) << b.said;
    const RecordingMessenger::Entry& e = m.entries[0];
    EXPECT_EQ(e.id ? std::string(MessageText(e.id)) : e.text, b.said);
    EXPECT_FALSE(FileExists(dir / "bad.b01")) << b.said;
  }

  // The named group becomes a training class on its largest square of one
  // piece: the first of its three single pixels. Unnamed groups do not.
  WriteFile(dir / "r.inf", "LINE = 2\nPIXEL = 4\nSENSOR = 1\nFile_State = 2\n");
  std::vector<ClassItem> named;
  ASSERT_TRUE(ClassesFromNamedGroups(dir / "r.inf", 4, 2, named, m));
  ASSERT_EQ(named.size(), 1u);
  EXPECT_EQ(FormatClassLine(named[0]), FormatClassLine({0, 0, 255, 0, 1, 3, 2, "みず"}));
  m.entries.clear();
  EXPECT_FALSE(ClassesFromNamedGroups(base + ".inf", 4, 2, named, m));
  EXPECT_EQ(m.LastId(), kMsgNoNamedGroups);
  EXPECT_FALSE(ClassesFromNamedGroups(dir / "r.inf", 4, 3, named, m));
  EXPECT_EQ(m.LastId(), kMsgBadImageSize);
  EXPECT_TRUE(named.empty());
  for (const auto& [title, isNamed] :
       std::vector<std::pair<std::string, bool>>{{"グループ1", false},
                                                 {"グループ12", false},
                                                 {"グループ", true},
                                                 {"グループ1a", true},
                                                 {"みず", true}})
    EXPECT_EQ(IsNamedGroup(title), isNamed) << title;
  // Shown in English, a group still to be named speaks English; names stay.
  SetLanguage(Language::kEnglish);
  EXPECT_EQ(ShownGroupTitle("グループ12"), "Group 12");
  EXPECT_EQ(ShownGroupTitle("みず"), "みず");
  SetLanguage(Language::kJapanese);
  EXPECT_EQ(ShownGroupTitle("グループ12"), "グループ12");
}

// The largest square of each label, worked by hand; a label with no pixel has none.
TEST(GroupEdit, LargestSquareOfEachLabel) {
  const std::vector<uint8_t> labels = {0, 0, 0, 1, 1,  //
                                       0, 0, 0, 1, 1,  //
                                       0, 0, 0, 2, 1,  //
                                       1, 1, 1, 1, 1};
  const auto squares = LargestSquares(labels, 5, 4, 4);
  ASSERT_EQ(squares.size(), 4u);
  // top, bottom, right, left
  const int expected[4][4] = {{0, 3, 3, 0}, {0, 2, 5, 3}, {2, 3, 4, 3}, {0, 0, 0, 0}};
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(
        (std::vector<int>{squares[i].top, squares[i].bottom, squares[i].right, squares[i].left}),
        (std::vector<int>(expected[i], expected[i] + 4)))
        << i;
  // The corner above-left limits a square too: a 2 x 2 square of 0, not 3 x 3.
  const auto corner = LargestSquares({1, 0, 0, /**/ 0, 0, 0, /**/ 0, 0, 0}, 3, 3, 2);
  EXPECT_EQ((std::vector<int>{corner[0].top, corner[0].bottom, corner[0].right, corner[0].left}),
            (std::vector<int>{0, 2, 3, 1}));
}

}  // namespace
}  // namespace lumora
