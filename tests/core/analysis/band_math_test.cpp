#include "core/analysis/band_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <random>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/band_expression.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/view/rainbow.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

#define SKIP_WITHOUT_PARSER() \
  if (!BandExpression::Available()) GTEST_SKIP() << "built without muParser"

// A TM scene over two evaluation chunks: 8-bit bands 1-5 and 7, a 16-bit band 6.
struct MathScene {
  static constexpr int kW = 210, kH = 100;
  TempDir dir;
  StepSource source;
  std::vector<double> band[8];
  MathScene() {
    source.settingsPath = dir / "img.inf";
    source.basePath = dir / "img";
    source.settings.pixels = kW;
    source.settings.lines = kH;
    WriteFile(source.settingsPath, "LINE = 100\nPIXEL = 210\nSENSOR = 1\n");
    std::mt19937 rng(11);
    for (int n = 1; n <= 7; ++n) {
      std::string bytes;
      for (int i = 0; i < kW * kH; ++i) {
        // Small values make zero sums and zero divisors common.
        // Zeros in every band at the same pixels give 0 / 0.
        const unsigned r = n == 6 ? rng() % 2000 : rng() % (n == 3 ? 8 : 256);
        const unsigned v = i % 37 == 0 ? 0 : r;
        band[n].push_back(v);
        bytes.push_back(static_cast<char>(v & 0xFF));
        if (n == 6) bytes.push_back(static_cast<char>(v >> 8));
      }
      WriteFile(BandFilePath(source.basePath, n == 6 ? kSample16 : kSample8, n), bytes);
    }
  }
  bool Run(const std::string& expression, RecordingMessenger& m, StepResult& result,
           bool diverging = false) {
    Progress progress;
    return RunBandMath(source, target, {expression, !diverging, diverging}, result, m, progress);
  }
  std::string target = dir / "out";
};

uint32_t Bits(float f) {
  uint32_t b;
  std::memcpy(&b, &f, 4);
  return b;
}

TEST(BandMath, PresetsAndFormulasMatchPlainLoops) {
  SKIP_WITHOUT_PARSER();
  MathScene scene;
  const auto& b = scene.band;
  using Pixel = std::function<double(size_t)>;
  auto nd = [&](int x, int y) {
    return Pixel([&, x, y](size_t i) { return (b[x][i] - b[y][i]) / (b[x][i] + b[y][i]); });
  };
  const auto types = ScanBandTypes(scene.source.basePath);
  struct Case {
    std::string formula;
    Pixel pixel;
  } cases[] = {
      {MathPresetFormula(kMathNdvi, kSensorTm, types), nd(4, 3)},
      {MathPresetFormula(kMathNdwi, kSensorTm, types), nd(2, 4)},
      {MathPresetFormula(kMathNdbi, kSensorTm, types), nd(5, 4)},
      {MathPresetFormula(kMathNdsi, kSensorTm, types), nd(2, 5)},
      {MathPresetFormula(kMathRatio, kSensorTm, types),
       [&](size_t i) { return b[4][i] / b[3][i]; }},
      {MathPresetFormula(kMathMean, kSensorTm, types),
       [&](size_t i) { return (b[1][i] + b[2][i] + b[3][i] + b[4][i] + b[5][i] + b[7][i]) / 6; }},
      {"sqrt(B4 - B3*30) + B2^2 × -B1",
       [&](size_t i) { return std::sqrt(b[4][i] - b[3][i] * 30) + b[2][i] * b[2][i] * -b[1][i]; }},
      {"log(b3) × 2 − abs(B2 - 100)",
       [&](size_t i) { return std::log(b[3][i]) * 2 - std::fabs(b[2][i] - 100); }},
      {"max(B6, 300) ÷ min(B3, B5) + B1",
       [&](size_t i) { return std::fmax(b[6][i], 300) / std::fmin(b[3][i], b[5][i]) + b[1][i]; }},
      {"B4", [&](size_t i) { return b[4][i]; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.formula);
    ASSERT_FALSE(c.formula.empty());
    RecordingMessenger m;
    StepResult result;
    ASSERT_TRUE(scene.Run(c.formula, m, result));
    EXPECT_TRUE(m.entries.empty());
    const std::string floats = ReadFile(scene.target + ".r01");
    const std::string bytes = ReadFile(scene.target + ".b01");
    const size_t n = b[1].size();
    ASSERT_EQ(floats.size(), 4 * n);
    ASSERT_EQ(bytes.size(), n);
    std::vector<float> want(n);
    float lo = INFINITY, hi = -INFINITY;
    int noValue = 0;
    for (size_t i = 0; i < n; ++i) {
      const double v = c.pixel(i);
      want[i] = std::isfinite(v) ? static_cast<float>(v) : NAN;
      if (want[i] == want[i]) lo = std::min(lo, want[i]), hi = std::max(hi, want[i]);
      noValue += want[i] != want[i];
    }
    if (c.formula != MathPresetFormula(kMathMean, kSensorTm, types) && c.formula != "B4") {
      EXPECT_GT(noValue, 0);  // the cases include undefined pixels
    }
    for (size_t i = 0; i < n; ++i) {
      float got;
      std::memcpy(&got, floats.data() + 4 * i, 4);
      const auto byte = static_cast<uint8_t>(bytes[i]);
      if (want[i] != want[i]) {
        ASSERT_TRUE(got != got) << i;
        ASSERT_EQ(byte, 0) << i;
        continue;
      }
      // A float whose first byte is 0xFF reads as "no data": its last bit moves.
      const uint32_t wantBits = Bits(want[i]) ^ ((Bits(want[i]) & 0xFF) == 0xFF ? 1u : 0u);
      ASSERT_EQ(Bits(got), wantBits) << i << " " << want[i];
      ASSERT_EQ(byte, 1 + std::lround((double{want[i]} - lo) / (double{hi} - lo) * 254)) << i;
    }
    EXPECT_EQ(ReadFile(scene.target + ".ndv"), "Lumora Band Maths Range File\n" +
                                                   Format("%lf,%lf\n", double{hi}, double{lo}) +
                                                   c.formula + "\n");
    EXPECT_EQ(MathFormulaOfRangeFile(ReadFile(scene.target + ".ndv")), c.formula);
    EXPECT_EQ(result.fileState, kStateVegetation);
    EXPECT_EQ(result.singleBand, 1);
    EXPECT_EQ(result.rainbow, 1);
  }
  // The other sensors' bands; MSS has no short-wave infrared.
  EXPECT_EQ(MathPresetFormula(kMathNdwi, kSensorAster, types), "(B1-B3)/(B1+B3)");
  EXPECT_EQ(MathPresetFormula(kMathNdsi, kSensorAster, types), "(B1-B4)/(B1+B4)");
  EXPECT_EQ(MathPresetFormula(kMathNdvi, kSensorMss, types), "(B4-B2)/(B4+B2)");
  std::string why;
  EXPECT_EQ(MathPresetFormula(kMathNdbi, kSensorMss, types, &why), "");
  EXPECT_EQ(why, "このセンサーには短波長赤外のバンドがありません．");
}

// The diverging colours fix 0 on code 128: an index spreads over -1 .. 1, a
// larger value range over -m .. m; the range file says so for the legend.
TEST(BandMath, DivergingColoursCentreTheDisplayBandOnZero) {
  SKIP_WITHOUT_PARSER();
  MathScene scene;
  const auto& b = scene.band;
  const struct {
    const char* formula;
    double m;  // the range's end
  } cases[] = {{"(B2-B4)/(B2+B4)/4", 1.0}, {"B4/B3 - 300", 300.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formula);
    RecordingMessenger m;
    StepResult result;
    ASSERT_TRUE(scene.Run(c.formula, m, result, true));
    EXPECT_EQ(result.rainbow, 0);
    const std::string bytes = ReadFile(scene.target + ".b01");
    ASSERT_EQ(bytes.size(), b[1].size());
    for (size_t i = 0; i < bytes.size(); ++i) {
      const double v = c.m == 1.0
                           ? (b[2][i] - b[4][i]) / (b[2][i] + b[4][i]) / 4
                           : static_cast<double>(static_cast<float>(b[4][i] / b[3][i])) - 300;
      const int want =
          std::isfinite(v)
              ? static_cast<int>(1 + std::lround((static_cast<float>(v) + c.m) / (2 * c.m) * 254))
              : 0;
      ASSERT_EQ(static_cast<uint8_t>(bytes[i]), want) << i << " " << v;
    }
    const std::string range = ReadFile(scene.target + ".ndv");
    EXPECT_EQ(range, "Lumora Band Maths Range File\n" + Format("%lf,%lf\n", c.m, -c.m) + c.formula +
                         "\ncolours: blue-white-green\n");
    EXPECT_TRUE(RangeTextAsksDiverging(range));
    EXPECT_FALSE(RangeTextAsksDiverging(range.substr(0, range.size() - 2)));
  }
}

TEST(BandMath, FormulaErrorsPointAtTheirPlace) {
  SKIP_WITHOUT_PARSER();
  std::array<uint8_t, 256> types{};
  types[1] = types[2] = 1;
  types[3] = 3;
  struct Case {
    std::string text;
    ExpressionError::Kind kind;
    int position;
    std::string shown;
  } cases[] = {
      {"  ", ExpressionError::kEmpty, -1, "式が空です．"},
      {std::string(1001, '1'), ExpressionError::kTooLong, -1, "式が長すぎます（1000文字まで）．"},
      {"B1 + (B2 * (B3 - 1)", ExpressionError::kBracketNotClosed, 5,
       "6文字目：かっこが閉じていません．"},
      {"B1+B9", ExpressionError::kNoSuchBand, 3, "4文字目：この画像にバンド9はありません．"},
      {"B1 ÷ B2)", ExpressionError::kBracketNotOpened, 7,
       "8文字目：閉じかっこに対応する開きかっこがありません．"},
      {"B1 -", ExpressionError::kEndsEarly, 4, "5文字目：式が途中で終わっています．"},
      {"sin(B1)", ExpressionError::kUnknownWord, 0, "1文字目：「sin」という名前は知りません．"},
      {"B1 # 2", ExpressionError::kUnknownSign, 3, "4文字目：式に使えない文字です．"},
      {"B1 ≠ 2", ExpressionError::kUnknownSign, 3, "4文字目：式に使えない文字です．"},
      {"max(B1)", ExpressionError::kArguments, 6, "7文字目：関数に渡す値の数が違います．"},
  };
  for (const Case& c : cases) {
    BandExpression expression;
    ExpressionError e;
    EXPECT_FALSE(expression.Compile(c.text, types, e)) << c.text;
    EXPECT_EQ(e.kind, c.kind) << c.text;
    EXPECT_EQ(e.position, c.position) << c.text;
    EXPECT_EQ(ExpressionErrorText(e), c.shown) << c.text;
  }
  SetLanguage(Language::kEnglish);
  EXPECT_EQ(ExpressionErrorText({ExpressionError::kNoSuchBand, 3, 9, "B9"}),
            "Character 4: there is no band 9 in this image.");
  SetLanguage(Language::kJapanese);
  BandExpression ok;
  ExpressionError e;
  ASSERT_TRUE(ok.Compile("（b3 + B1）× 2", types, e));
  EXPECT_EQ(ok.Bands(), (std::vector<int>{1, 3}));
}

TEST(BandMath, RefusalsWriteNothingAndNoDataHasNoValue) {
  SKIP_WITHOUT_PARSER();
  MathScene scene;
  struct Case {
    std::string formula;
    int id;
  } cases[] = {{"B3 * 0 + 2", kMsgMathConstant},
               {"sqrt(0 - 1 - B1)", kMsgMathAllUndefined},
               {"B4 + B9", 0},
               {"(B4", 0}};
  for (const Case& c : cases) {
    RecordingMessenger m;
    StepResult result;
    EXPECT_FALSE(scene.Run(c.formula, m, result)) << c.formula;
    ASSERT_EQ(m.entries.size(), 1u) << c.formula;
    EXPECT_EQ(m.entries[0].id, c.id) << c.formula;
  }
  // A float band's sample whose first byte is 0xFF is "no data": no value.
  std::string bytes;
  for (int i = 0; i < MathScene::kW * MathScene::kH; ++i) {
    const uint32_t bits = i == 5 ? 0x3F8000FFu : 0x3F000000u;  // no data, else 0.5
    for (int k = 0; k < 4; ++k) bytes.push_back(static_cast<char>(bits >> (8 * k)));
  }
  WriteFile(BandFilePath(scene.source.basePath, kSampleFloat, 8), bytes);
  RecordingMessenger m;
  StepResult result;
  ASSERT_TRUE(scene.Run("B8 + B1", m, result));
  const std::string out = ReadFile(scene.target + ".b01");
  ASSERT_EQ(out.size(), bytes.size() / 4);
  EXPECT_EQ(out[5], 0);
  EXPECT_NE(out[6], 0);
  // A band longer than the image pairs pixels of different places.
  WriteFile(BandFilePath(scene.source.basePath, kSample8, 2), std::string(21001, '\1'));
  m.entries.clear();
  scene.target = scene.dir / "fresh";
  EXPECT_FALSE(scene.Run("B2 + B4", m, result));
  ASSERT_EQ(m.entries.size(), 1u);
  EXPECT_EQ(m.entries[0].text, "バンド2のファイルの大きさが画像の大きさと合いません．");
  EXPECT_FALSE(test::FileExists(scene.target + ".r01"));
}

}  // namespace
}  // namespace lumora
