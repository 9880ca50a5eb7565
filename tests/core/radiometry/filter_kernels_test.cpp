#include "core/radiometry/filter_kernels.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/support/vector_code.h"
#include "tests/support/radiometry_reference.h"

namespace lumora {
namespace {

using test::RandomBand;

std::vector<uint8_t> Filtered(const std::vector<uint8_t>& in, int w, int h,
                              const FilterRecord& rec) {
  std::vector<uint8_t> out(in.size(), 0xAB);
  FilterBand(in.data(), out.data(), w, h, rec);
  return out;
}

std::vector<uint8_t> Reference(const std::vector<uint8_t>& in, int w, int h,
                               const FilterRecord& rec) {
  if (IsMedianFilter(rec)) return test::ReferenceMedian(in, w, h);
  return test::ReferenceConvolve(in, w, h, rec.coefficients, rec.divisor, rec.offset);
}

TEST(FilterTable, ImpulseResponsesGiveTheKernels) {
  // A pixel 30 above a background of 100 shows 100 + 30 * coefficient / divisor
  // around it (every quotient here is exact).
  const int kernels[4][25] = {
      {0, 0, 0, 0, 0, 0, 0, -2, 0, 0, 0, -2, 11, -2, 0, 0, 0, -2, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, -1, 0, -1, 0, 0, 0, 5, 0, 0, 0, -1, 0, -1, 0, 0, 0, 0, 0, 0},
      {-1, 0, 0, 0, -1, 0, -1, 0, -1, 0, 0, 0, 13, 0, 0, 0, -1, 0, -1, 0, -1, 0, 0, 0, -1},
      {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0},
  };
  const int divisors[4] = {3, 1, 5, 5};
  const int n = 9;
  std::vector<uint8_t> band(n * n, 100);
  band[4 * n + 4] = 130;
  for (int k = 0; k < 4; ++k) {
    const auto& rec = FilterTable()[k];
    EXPECT_EQ(rec.divisor, divisors[k]);
    EXPECT_EQ(rec.offset, 0);
    const auto out = Filtered(band, n, n, rec);
    for (int dy = -2; dy <= 2; ++dy)
      for (int dx = -2; dx <= 2; ++dx)
        EXPECT_EQ(out[(4 + dy) * n + 4 + dx],
                  100 + 30 * kernels[k][(2 - dy) * 5 + 2 - dx] / divisors[k])
            << rec.name << " at " << dx << "," << dy;
  }
  EXPECT_TRUE(IsMedianFilter(FilterTable()[4]));
  EXPECT_EQ(Filtered(band, n, n, FilterTable()[4])[4 * n + 4], 100);
}

TEST(FilterBand, MatchesThePlainRulesToTheBit) {
  // Sizes around the window and the vector widths, including bands smaller
  // than the window (copied whole) and single rows and columns.
  const int sizes[][2] = {{1, 1},  {1, 9},   {9, 1},   {2, 2},   {3, 3},    {4, 4},
                          {4, 9},  {9, 4},   {5, 5},   {6, 7},   {31, 5},   {33, 6},
                          {65, 9}, {67, 13}, {129, 3}, {130, 7}, {257, 11}, {1000, 5}};
  unsigned seed = 1;
  FilterRecord odd = FilterTable()[0];  // not in the table: the general path
  odd.coefficients = {7, -3, 0, 2, 9, -8, 1, 4, 0, 0, 5, 5, -20,
                      3, 1,  0, 0, 2, -1, 6, 1, 1, 1, 1, 1};
  odd.divisor = -4;
  odd.offset = 17;
  std::vector<FilterRecord> records(FilterTable().begin(), FilterTable().end());
  records.push_back(odd);
  // Both the wide-vector and the portable code, whatever this machine has.
  for (bool wide : {true, false}) {
    AllowWideVectors(wide);
    for (const auto& size : sizes) {
      for (int rep = 0; rep < 4; ++rep, ++seed) {
        const auto band = RandomBand(size[0], size[1], seed);
        for (const auto& rec : records)
          ASSERT_EQ(Filtered(band, size[0], size[1], rec), Reference(band, size[0], size[1], rec))
              << rec.name << " divisor " << rec.divisor << " " << size[0] << "x" << size[1]
              << " seed " << seed << (wide ? " wide" : " portable");
      }
    }
  }
  AllowWideVectors(true);
}

TEST(MedianRow, MedianOfOneToNineInEveryArrangementIsFive) {
  std::array<uint8_t, 9> v = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  int checked = 0;
  do {
    const uint8_t* rows[3] = {&v[0], &v[3], &v[6]};
    uint8_t out[3];
    MedianRow(rows, out, 3);
    ASSERT_EQ(out[1], 5);
    ++checked;
  } while (std::next_permutation(v.begin(), v.end()));
  EXPECT_EQ(checked, 362880);
  EXPECT_EQ(test::ReferenceMedianOfNine({9, 1, 8, 2, 7, 3, 6, 4, 5}), 5);
}

}  // namespace
}  // namespace lumora
