#include "core/view/rainbow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace lumora {
namespace {

// The rainbow runs from near black through blue, cyan, green and yellow to
// red; the diverging table from blue through white to green, its entries
// 255 - round((255 - end) * steps / 127), steps from code 128.
TEST(Rainbow, TablesRunThroughTheirColours) {
  const RainbowTable &r = Rainbow(), &d = Diverging();
  struct Case {
    const RainbowTable& table;
    int k, red, green, blue;
  } cases[] = {
      {r, 0, 1, 1, 1},         {r, 1, 0, 0, 5},         {r, 50, 0, 0, 250},
      {r, 51, 0, 0, 255},      {r, 101, 0, 250, 255},   {r, 102, 0, 255, 255},
      {r, 152, 0, 255, 5},     {r, 153, 0, 255, 0},     {r, 203, 250, 255, 0},
      {r, 204, 255, 255, 0},   {r, 255, 255, 0, 0},     {d, 0, 0, 0, 0},
      {d, 1, 33, 102, 172},    {d, 64, 143, 178, 213},  {d, 127, 253, 254, 254},
      {d, 128, 255, 255, 255}, {d, 129, 253, 254, 253}, {d, 192, 140, 187, 154},
      {d, 255, 27, 120, 55},
  };
  for (const Case& c : cases) {
    const RainbowEntry& e = c.table[c.k];
    EXPECT_EQ(e.red, c.red) << c.k;
    EXPECT_EQ(e.green, c.green) << c.k;
    EXPECT_EQ(e.blue, c.blue) << c.k;
  }
  Dib dib;
  ASSERT_TRUE(dib.Create(3, 1));
  const uint8_t codes[] = {0, 128, 255};
  for (int x = 0; x < 3; ++x)
    for (int c = 0; c < 3; ++c) dib.StoredRow(0)[3 * x + c] = codes[x];
  ApplyDiverging(dib);
  const uint8_t want[] = {0, 0, 0, 255, 255, 255, 55, 120, 27};  // blue, green, red
  EXPECT_TRUE(std::equal(want, want + 9, dib.StoredRow(0)));
}

TEST(Rainbow, IndexOfSamplesInRange) {
  struct Case {
    int v;
    float lo, hi;
    bool reverse;
    int k;
  } cases[] = {
      {10, 10, 200, false, 0},
      {200, 10, 200, false, 255},
      {105, 10, 200, false, 128},
      {9, 10, 200, false, -1},
      {10, 10, 200, true, 255},
      {200, 10, 200, true, 0},
      {7, 7, 7, false, 0},  // an empty range gives the first entry, not NaN
      {8, 7, 7, false, 255},
      {0, 0.5f, 100, false, -1},  // below a fractional minimum
      {1, 0.5f, 100, false, 3},   // lo is the truncated minimum: (1 - 0) * 2.5628 + 0.5
      // Ranges a display-state file may hold: the widest int range, and none.
      {0, -2147483648.0f, 2147483648.0f, false, 128},
      {255, -2147483648.0f, 2147483648.0f, true, 127},  // 255 - 128
      {5, std::nanf(""), 10, false, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RainbowIndex(c.v, c.lo, c.hi, c.reverse), c.k) << c.v << " " << c.lo << ".." << c.hi;
}

Dib GreyRamp() {
  Dib d;
  d.Create(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      for (int c = 0; c < 3; ++c) d.TopRow(y)[3 * x + c] = static_cast<uint8_t>(y * 90 + x * 10);
  return d;
}

TEST(Rainbow, ApplyPaintsInRangeAndKeepsGreyBelow) {
  Dib d = GreyRamp();
  ApplyRainbow(d, 20, 200, false);
  const uint8_t* top = d.TopRow(0);
  EXPECT_EQ(top[0], 0);  // grey 0 below the range stays
  EXPECT_EQ(top[3], 10);
  const RainbowEntry& first = Rainbow()[0];
  EXPECT_EQ(top[6], first.blue);  // 20 is the first entry
  EXPECT_EQ(top[8], first.red);
  // Padding bytes of each row stay zero.
  EXPECT_EQ(d.StoredRow(0)[15], 0);
}

TEST(Rainbow, ReversingTwiceRestoresAndOtherColoursTurnBlack) {
  Dib d = GreyRamp();
  ApplyRainbow(d, 0, 255, false);
  Dib once, twice;
  ASSERT_TRUE(ReverseRainbowColours(d, once));
  ASSERT_TRUE(ReverseRainbowColours(once, twice));
  EXPECT_EQ(twice.bits, d.bits);
  EXPECT_NE(once.bits, d.bits);
  // The reversed image is the one painted in the reversed order.
  Dib painted = GreyRamp();
  ApplyRainbow(painted, 0, 255, true);
  EXPECT_EQ(once.bits, painted.bits);

  Dib grey = GreyRamp();
  Dib reversed;
  ASSERT_TRUE(ReverseRainbowColours(grey, reversed));
  EXPECT_EQ(reversed.TopRow(0)[3], 0);  // (10,10,10) is no rainbow colour
}

TEST(Rainbow, ReversingShowsItsProgressAndClosesIt) {
  struct Sink : ProgressSink {
    std::string text;
    int paints = 0, opens = 0, closes = 0;
    void Open(const std::string& t) override {
      text = t;
      ++opens;
    }
    void Paint(float, const std::string&) override { ++paints; }
    void Close() override { ++closes; }
  } sink;
  Dib big;
  ASSERT_TRUE(big.Create(4, 300));
  Progress progress(&sink);
  Dib out;
  ASSERT_TRUE(ReverseRainbowColours(big, out, &progress));
  EXPECT_EQ(sink.text, "反転中");
  EXPECT_EQ(sink.paints, 300);  // once per row
  EXPECT_EQ(sink.opens, 1);
  EXPECT_EQ(sink.closes, 1);
  EXPECT_EQ(progress.Counter().Percent(), 100);  // interval 3: every fifth row, the last is 300
}

}  // namespace
}  // namespace lumora
