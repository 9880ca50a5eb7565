#include "core/analysis/vegetation_index.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/imagefile/band_catalogue.h"
#include "core/support/string_table.h"
#include "tests/support/temp_dir.h"
#include "tests/support/view_reference.h"

namespace lumora {
namespace {

using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct PixelCase {
  float x, y;
  float index;
  bool error;
  int byte;
};

TEST(VegetationIndex, PixelIndexAndByte) {
  // Near infrared and red of each sensor: ASTER 3N and 2, TM 4 and 3, MSS 4 and 2.
  EXPECT_EQ(NdviPreset(kSensorAster).x * 10 + NdviPreset(kSensorAster).y, 32);
  EXPECT_EQ(NdviPreset(kSensorTm).x * 10 + NdviPreset(kSensorTm).y, 43);
  EXPECT_EQ(NdviPreset(kSensorMss).x * 10 + NdviPreset(kSensorMss).y, 42);
  const PixelCase cases[] = {
      {0, 0, -1.0f, true, 0},
      {100, 0, 1.0f, false, 255},
      {0, 100, -1.0f, false, 0},
      {50, 50, 0.0f, false, 128},
      {3, 1, 0.5f, false, 191},
      {1e-8f, 0, -1.0f, true, 0},
      {3, 2, 0.2f, false, 153},
      {4, 1, 0.6f, false, 204},
      // The range is mapped in float: -0.4f + 1 rounds up to 0.6f, so v is
      // 76.5 and rounds to 77 (in double it would stay below 76.5).
      {3, 7, -0.4f, false, 77},
      {9, 25, -0.470588237f, false, 68},
  };
  for (const auto& c : cases) {
    bool error = !c.error;
    const float index = NdviOfPixel(c.x, c.y, &error);
    EXPECT_EQ(index, c.index) << c.x << "," << c.y;
    EXPECT_EQ(error, c.error) << c.x << "," << c.y;
    EXPECT_EQ(NdviByte(index), c.byte) << c.x << "," << c.y;
  }
  // Out of range and not-a-number indices from float samples stay in 0..255.
  EXPECT_EQ(NdviByte(3.0f), 255);
  EXPECT_EQ(NdviByte(-3.0f), 0);
  EXPECT_EQ(NdviByte(std::nanf("")), 0);
}

// A small image on disk: settings file and band files of given bytes.
struct Scene {
  TempDir dir;
  StepSource source;
  Scene(int w, int h) {
    source.settingsPath = dir / "img.inf";
    source.basePath = dir / "img";
    source.settings.pixels = w;
    source.settings.lines = h;
    WriteFile(source.settingsPath,
              "LINE = " + std::to_string(h) + "\nPIXEL = " + std::to_string(w) + "\nSENSOR = 1\n");
  }
  void Band(int type, int number, const std::string& bytes) {
    WriteFile(BandFilePath(source.basePath, type, number), bytes);
  }
  // Runs the index into dir/out.
  bool Run(const NdviParams& p) {
    Progress progress;
    return RunVegetationIndex(source, target, p, result, m, progress);
  }
  std::string target = dir / "out";
  StepResult result;
  RecordingMessenger m;
};

TEST(VegetationIndex, EightBitRunMatchesPixelRule) {
  // Over a megabyte, so that rows are read in more than one block.
  const int w = 1500, h = 800;
  Scene scene(w, h);
  std::mt19937 rng(5);
  std::vector<uint8_t> x(w * h), y(w * h);
  for (auto& v : x) v = static_cast<uint8_t>(rng());
  for (auto& v : y) v = static_cast<uint8_t>(rng() % 64);
  for (size_t i = 0; i < x.size() - w; ++i) x[i] = std::max<uint8_t>(x[i], 1);
  x.back() = y.back() = 0;  // a zero sum counts as -1 in the range, here in the last block
  scene.Band(1, 4, test::AsString(x));
  scene.Band(1, 3, test::AsString(y));
  WriteFile(scene.source.basePath + ".lev", "lev");
  WriteFile(scene.source.basePath + ".dem", "dem");

  const std::string& target = scene.target;
  WriteFile(target + ".b02", "stale");
  ASSERT_TRUE(scene.Run(NdviParams{4, 1, 3, 1, true}));
  EXPECT_TRUE(scene.m.entries.empty());

  const std::string out = ReadFile(target + ".b01");
  ASSERT_EQ(out.size(), x.size());
  float largest = -1.0f, smallest = 1.0f;
  for (size_t i = 0; i < x.size(); ++i) {
    const float index = NdviOfPixel(x[i], y[i]);
    largest = std::max(largest, index);
    smallest = std::min(smallest, index);
    ASSERT_EQ(static_cast<uint8_t>(out[i]), NdviByte(index)) << i;
  }
  EXPECT_EQ(ReadFile(target + ".ndv"), FormatRangeFile(largest, smallest));
  EXPECT_NE(ReadFile(target + ".ndv").find(",-1.000000\n"), std::string::npos);
  EXPECT_EQ(ReadBandDescription(target, 1), "植生指数データ　単バンド");
  EXPECT_EQ(ReadFile(target + ".lev"), "lev");
  EXPECT_EQ(ReadFile(target + ".dem"), "dem");
  EXPECT_FALSE(FileExists(target + ".b02"));
  EXPECT_EQ(scene.result.fileState, 1);
  EXPECT_EQ(scene.result.singleBand, 1);
  EXPECT_EQ(scene.result.rainbow, 1);
  EXPECT_EQ(scene.result.pixels, w);
  EXPECT_EQ(scene.result.lines, h);
}

TEST(VegetationIndex, WordAndFloatSamples) {
  Scene scene(4, 1);
  // 16-bit little-endian: 300, 0, 1000, 65535.
  scene.Band(2, 1, std::string("\x2C\x01\x00\x00\xE8\x03\xFF\xFF", 8));
  std::string floats = test::AsString(test::BytesFloat({100.0f, 0.0f, 1000.0f, 65535.0f}));
  floats[4 * 3] = '\xFF';  // first byte 0xFF: no data, read as 0
  scene.Band(3, 2, floats);
  ASSERT_TRUE(scene.Run(NdviParams{1, 2, 2, 3, false}));
  const std::string& target = scene.target;
  const std::string out = ReadFile(target + ".b01");
  const float expected[4] = {NdviOfPixel(300, 100), NdviOfPixel(0, 0), NdviOfPixel(1000, 1000),
                             NdviOfPixel(65535, 0)};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(static_cast<uint8_t>(out[i]), NdviByte(expected[i]));
  EXPECT_EQ(ReadFile(target + ".ndv"), FormatRangeFile(1.0f, -1.0f));
}

TEST(VegetationIndex, RangeOfExampleAndItsLegend) {
  Scene scene(2, 1);
  scene.Band(1, 4, "\x03\x04");
  scene.Band(1, 3, "\x02\x01");  // indices 0.2 and 0.6
  ASSERT_TRUE(scene.Run(NdviParams{4, 1, 3, 1, false}));
  EXPECT_EQ(ReadFile(scene.target + ".ndv"),
            "The Normalized Difference Vegetation Index Intro File\n0.600000,0.200000\n");
  RampLegend legend;
  ASSERT_TRUE(FillRampFromRangeFile(scene.target + ".inf", true, legend, scene.m));
  EXPECT_EQ(legend.topLabel, "0.60");
  EXPECT_EQ(legend.middleLabel, "0.40");
  EXPECT_EQ(legend.bottomLabel, "0.20");
  EXPECT_EQ(legend.mode, 1);
  EXPECT_TRUE(legend.rainbow);
}

TEST(VegetationIndex, RunFailuresLeaveNoResult) {
  struct Case {
    const char* name;
    bool writeY;
    size_t xBytes;
    int message;
  };
  const Case cases[] = {
      {"band file missing", false, 6, kMsgOpenFailed},
      {"band file short", true, 5, kMsgBandFileShort},
  };
  for (const auto& c : cases) {
    Scene scene(3, 2);
    scene.Band(1, 4, std::string(c.xBytes, '\x10'));
    if (c.writeY) scene.Band(1, 3, std::string(6, '\x01'));
    EXPECT_FALSE(scene.Run(NdviParams{4, 1, 3, 1, false})) << c.name;
    EXPECT_EQ(scene.m.LastId(), c.message) << c.name;
    EXPECT_FALSE(FileExists(scene.target + ".ndv")) << c.name;
  }
}

TEST(RampLegend, RangeFileParsingAndBadFiles) {
  struct Case {
    std::string text;
    bool ok;
    double largest, smallest;
  };
  const Case cases[] = {
      {"head\n0.5,-0.25\n", true, 0.5, -0.25},
      {"head\r\n0.5,-0.25\r\n", true, 0.5, -0.25},
      {"head\n0.5,-0.25", true, 0.5, -0.25},
      {"head\n0.5 -0.25\n", false, 0, 0},
      {"head\n", false, 0, 0},
      {"", false, 0, 0},
      // A first line longer than the buffer: its rest is taken as the second line.
      {std::string(300, 'x') + "\n0.1,0.0\n", false, 0, 0},
  };
  for (const auto& c : cases) {
    double largest = 0, smallest = 0;
    EXPECT_EQ(ParseRangeFile(c.text, largest, smallest), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(largest, c.largest);
    EXPECT_EQ(smallest, c.smallest);
  }
  // Bad range files are reported and leave the legend as it was.
  TempDir dir;
  RecordingMessenger m;
  RampLegend legend;
  EXPECT_FALSE(FillRampFromRangeFile(dir / "none.inf", false, legend, m));
  EXPECT_EQ(m.LastId(), kMsgOpenFailed);
  WriteFile(dir / "bad.ndv", "The Normalized Difference Vegetation Index Intro File\n0.5\n");
  EXPECT_FALSE(FillRampFromRangeFile(dir / "bad.inf", false, legend, m));
  EXPECT_EQ(m.LastId(), kMsgBadNdvFile);
  EXPECT_EQ(legend.topLabel, "255.0");
  EXPECT_EQ(legend.maximum, 1.0f);
}

TEST(RampLegend, NumbersColoursAndScreenSteps) {
  RampLegend legend;
  FillRampFromNumbers(200.8f, 10.0f, true, legend);
  EXPECT_EQ(legend.topLabel, "200");
  EXPECT_EQ(legend.bottomLabel, " 10");
  EXPECT_EQ(legend.middleLabel, "105.4");
  EXPECT_EQ(legend.mode, 0);
  // Rainbow ramp, plain and reversed.
  EXPECT_EQ(RampColour(legend, 0, true, false).red, Rainbow()[0].red);
  EXPECT_EQ(RampColour(legend, 10, true, true).blue, Rainbow()[245].blue);
  // Grey ramp over -1..1: black at the bottom, white at the top, 128 at 0.
  FillRampFromNumbers(1.0f, -1.0f, false, legend);
  const int grey[][2] = {{0, 0}, {255, 255}, {128, 129}, {64, 64}};
  for (const auto& [k, g] : grey) EXPECT_EQ(RampColour(legend, k, false, false).green, g) << k;
  // On screen the steps fill the frame.
  int pen = 0;
  const auto steps = RampScreenSteps(0, 0, 30, 128, pen);
  ASSERT_EQ(steps.size(), 256u);
  EXPECT_EQ(pen, 28);
  EXPECT_EQ(steps[0].left, 1);
  EXPECT_EQ(steps[0].right, 29);
  EXPECT_EQ(steps[0].top, 128);
  EXPECT_EQ(steps[255].bottom, 0);
  EXPECT_EQ(steps[128].top, 64);
}

TEST(RampLegend, PageLayoutByCorner) {
  TempDir dir;
  RecordingMessenger m;
  RampLegend legend;
  FillRampFromNumbers(200.0f, 10.0f, false, legend);
  RampPageLayout upper, lower;
  ASSERT_TRUE(LayoutRampOnPage(legend, dir / "x.inf", 10.0f, 200.0f, false, false, 100, 50, 0, 2.0,
                               upper, m));
  ASSERT_TRUE(LayoutRampOnPage(legend, dir / "x.inf", 10.0f, 200.0f, false, false, 100, 50, 1, 2.0,
                               lower, m));
  EXPECT_EQ(upper.penWidth, 46);
  ASSERT_EQ(upper.steps.size(), 256u);
  // The ramp is 100 units high: from y0 up to y0 - 200 at scale 2.
  EXPECT_EQ(upper.steps[0].left, 121);
  EXPECT_EQ(upper.steps[0].top, 250);
  EXPECT_EQ(upper.steps[255].bottom, 50);
  EXPECT_EQ(lower.steps[0].top, 50);
  EXPECT_EQ(lower.frame.bottom, -150);
  ASSERT_EQ(upper.labels.size(), 3u);
  EXPECT_EQ(upper.labels[0].text, "200");
  EXPECT_EQ(upper.labels[1].text, "105.0");
  EXPECT_EQ(upper.labels[2].text, " 10");
  EXPECT_EQ(upper.labels[0].x, 180);
  EXPECT_EQ(upper.labels[0].y, 30);
  // From a range file the page reads the file again; a missing one draws nothing.
  legend.mode = 1;
  EXPECT_FALSE(LayoutRampOnPage(legend, dir / "x.inf", 0, 0, false, false, 0, 0, 0, 1.0, upper, m));
  EXPECT_EQ(m.LastId(), kMsgOpenFailed);

  // A band-maths range: the formula above the ramp, "no value" below it, a
  // grey ramp spread over the whole range (the display bytes 1..255).
  WriteFile(dir / "x.ndv", "Lumora Band Maths Range File\n12.500000,0.250000\nB4/B3\n");
  ASSERT_TRUE(FillRampFromRangeFile(dir / "x.inf", false, legend, m));
  EXPECT_EQ(legend.formula, "B4/B3");
  EXPECT_EQ(legend.topLabel, "12.50");
  EXPECT_EQ(RampColour(legend, 0, false, false).green, 1);
  EXPECT_EQ(RampColour(legend, 200, false, false).green, 200);
  ASSERT_TRUE(
      LayoutRampOnPage(legend, dir / "x.inf", 0, 0, false, false, 100, 50, 0, 1.0, upper, m));
  ASSERT_EQ(upper.labels.size(), 5u);
  EXPECT_EQ(upper.labels[3].text, "B4/B3");
  EXPECT_EQ(upper.labels[3].y, 20);
  EXPECT_EQ(upper.labels[4].text, "黒：値なし");
  EXPECT_EQ(upper.labels[4].y, 165);
}

}  // namespace
}  // namespace lumora
