// lumora-cli compose: compositions, steps and stretches checked on the
// pixels of the TIFF it writes, and its exit status on bad input.
#include <gtest/gtest.h>

#include "core/support/string_table.h"
#include "core/view/rainbow.h"
#include "tests/support/cli_run.h"
#include "tests/support/radiometry_reference.h"
#include "tests/support/view_reference.h"

namespace lumora {
namespace {

using test::TempDir;
using test::TestBand;

test::CliResult Compose(const TempDir& dir, const std::string& args) {
  return test::RunCli(dir, "compose " + args);
}

// Pixels of an uncompressed one-strip RGB TIFF (top row first, red first).
struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};
Rgb PixelOf(const std::string& tiff, int width, int x, int y) {
  const size_t at = 192 + (static_cast<size_t>(y) * width + x) * 3;
  return {static_cast<uint8_t>(tiff.at(at)), static_cast<uint8_t>(tiff.at(at + 1)),
          static_cast<uint8_t>(tiff.at(at + 2))};
}

class ComposeTest : public testing::Test {
 protected:
  static constexpr int kW = 9, kH = 7;
  void SetUp() override {
    std::map<int, TestBand> bands;
    for (int b = 1; b <= 4; ++b) m_band[b] = bands[b] = {1, test::NoiseBytes(kW * kH, b + 20)};
    m_inf = test::WriteTestImage(m_dir / "img", kW, kH, bands, "SENSOR = 1\n");
  }
  int Sample(int band, int x, int y) const { return m_band.at(band).bytes[y * kW + x]; }
  std::string Out() const { return m_dir / "out.tif"; }
  static std::string Quoted(const std::string& s) { return "'" + s + "'"; }
  std::string Args(const std::string& more) const {
    return Quoted(m_inf) + " -o " + Quoted(Out()) + " " + more;
  }

  TempDir m_dir;
  std::string m_inf;
  std::map<int, TestBand> m_band;
};

TEST_F(ComposeTest, CompositionsAndStepPickTheRightSamples) {
  struct Case {
    const char* args;
    int red, green, blue, step;
  } cases[] = {
      {"", 3, 2, 1, 1},
      {"--rgb 4,1,2", 4, 1, 2, 1},
      {"--gray 3", 3, 3, 3, 1},
      {"--rgb 1,2,3 --step 2", 1, 2, 3, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    ASSERT_EQ(Compose(m_dir, Args(c.args)).status, 0);
    const std::string tiff = test::ReadFile(Out());
    const int w = kW / c.step, h = kH / c.step;
    ASSERT_EQ(tiff.size(), 192u + w * h * 3);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const int sx = x * c.step, sy = y * c.step;
        ASSERT_EQ(PixelOf(tiff, w, x, y),
                  (Rgb{Sample(c.red, sx, sy), Sample(c.green, sx, sy), Sample(c.blue, sx, sy)}))
            << x << "," << y;
      }
  }
}

// A plain display is exported at 72 dots per inch (2835 pixels per metre):
// a word processor then places a 1024-pixel picture about 36 cm wide.
TEST_F(ComposeTest, PlainExportsCarrySeventyTwoDotsPerInch) {
  ASSERT_EQ(Compose(m_dir, Args("")).status, 0);
  EXPECT_EQ(test::ReadFile(Out()).substr(176, 16),
            std::string("\0\0\x0b\x13\0\0\0\x64\0\0\x0b\x13\0\0\0\x64", 16));
  ASSERT_EQ(Compose(m_dir, Quoted(m_inf) + " -o " + Quoted(m_dir / "out.jpg")).status, 0);
  EXPECT_EQ(test::ReadFile(m_dir / "out.jpg").substr(13, 5), std::string("\x01\0\x48\0\x48", 5));
}

TEST_F(ComposeTest, RainbowAndStretchGoThroughTheirTables) {
  ASSERT_EQ(Compose(m_dir, Args("--gray 2 --rainbow")).status, 0);
  std::string tiff = test::ReadFile(Out());
  int lo = 255, hi = 0;
  for (uint8_t v : m_band[2].bytes) lo = std::min<int>(lo, v), hi = std::max<int>(hi, v);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const RainbowEntry& e = Rainbow()[RainbowIndex(Sample(2, x, y), lo, hi, false)];
      ASSERT_EQ(PixelOf(tiff, kW, x, y), (Rgb{e.red, e.green, e.blue}));
    }

  ASSERT_EQ(Compose(m_dir, Args("--stretch 10,200,0,255")).status, 0);
  tiff = test::ReadFile(Out());
  const auto table = test::ReferenceStretch(200, 10, 255, 0);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      ASSERT_EQ(PixelOf(tiff, kW, x, y),
                (Rgb{table[Sample(3, x, y)], table[Sample(2, x, y)], table[Sample(1, x, y)]}));
}

TEST_F(ComposeTest, ProcessedImagesKeepTheCompositionOpeningGives) {
  // A vegetation-index result shows band 1 alone, in rainbow colours when
  // its settings say so.
  m_inf = test::WriteTestImage(m_dir / "ndvi", kW, kH, {{1, m_band[1]}},
                               "File_State = 1\nRainbow = 0\nSingle_Band = 1\n");
  ASSERT_EQ(Compose(m_dir, Args("")).status, 0);
  const std::string tiff = test::ReadFile(Out());
  const int v = Sample(1, 4, 3);
  EXPECT_EQ(PixelOf(tiff, kW, 4, 3), (Rgb{v, v, v}));
}

TEST_F(ComposeTest, BadUsageAndFailures) {
  const char* usage[] = {
      "--rgb 1,2",      "--rgb 1,2,0",           "--rgb 3,2,1,4",
      "--gray 256",     "--gray 1 --rgb 1,2,3",  "--step 0",
      "--step 11",      "--stretch 1,2,3",       "--stretch 1,2,3,300",
      "--stretch fast", "--rgb 1,2,3 --rainbow", "--quality high",
      "--colour 1",     "--quality 2",           "--quality -0.1",
      "--quality nan",
  };
  for (const char* args : usage) EXPECT_EQ(Compose(m_dir, Args(args)).status, 2) << args;
  EXPECT_EQ(Compose(m_dir, Args("--quality +0.5")).status, 0);  // a sign is no option
  std::remove(Out().c_str());
  EXPECT_EQ(Compose(m_dir, Quoted(m_inf)).status, 2);
  EXPECT_EQ(Compose(m_dir, Quoted(m_inf) + " -o " + Quoted(m_dir / "out.png")).status, 2);

  const auto missing = Compose(m_dir, Args("--rgb 9,2,1"));
  EXPECT_EQ(missing.status, 1);
  // The message names the image it concerns.
  EXPECT_NE(missing.err.find(MessageText(kMsgOpenFailed) + (" " + m_inf)), std::string::npos);
  EXPECT_FALSE(test::FileExists(Out()));
  const std::string none = m_dir / "none.inf";
  EXPECT_EQ(Compose(m_dir, Quoted(none) + " -o " + Quoted(Out())).status, 1);
}

}  // namespace
}  // namespace lumora
