// The importer's pure rules: percentile ranges from a histogram and from
// values, MTL values, and elevation codes at their ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "importer/dem_import.h"
#include "importer/product.h"
#include "importer/stretch.h"

namespace lumora::importer {
namespace {

// The 0.5 % and 99.5 % ranks as sorting finds them: whole values counted in
// a histogram and as floats, and floats of both signs and far apart in size,
// many of them sharing the upper half of their bits.
TEST(ImportStretch, RanksAgreeWithSorting) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> pick(0, 2000), kind(0, 5);
  std::uniform_real_distribution<float> near(-1.0f, 1.0f);
  for (const bool whole : {true, false})
    for (int n : {1, 2, 3, 199, 200, 201, 401, 1000, 5000}) {
      SCOPED_TRACE(testing::Message() << n << (whole ? " whole" : " floats"));
      std::vector<float> values;
      std::vector<uint64_t> histogram(65536, 0);
      for (int i = 0; i < n; ++i) {
        const int v = pick(rng) * pick(rng) / 100, k = kind(rng);
        if (whole) ++histogram[static_cast<size_t>(v)];
        values.push_back(whole    ? static_cast<float>(v)
                         : k == 0 ? near(rng) * 1e30f
                         : k == 1 ? -0.0f
                         : k == 2 ? 0.0f
                         : k == 3 ? 1000.0f + near(rng) * 1e-3f
                                  : near(rng) * 1e-30f);
      }
      std::vector<float> sorted = values;
      std::sort(sorted.begin(), sorted.end());
      const size_t cut = static_cast<size_t>(n) / 200;
      const StretchRange r = RangeFromValues(values);
      EXPECT_EQ(r.low, sorted[cut]);
      EXPECT_EQ(r.high, sorted[sorted.size() - 1 - cut]);
      if (whole) {
        EXPECT_EQ(RangeFromHistogram(histogram).low, r.low);
        EXPECT_EQ(RangeFromHistogram(histogram).high, r.high);
      }
    }
  EXPECT_FALSE(RangeFromHistogram(std::vector<uint64_t>(65536, 0)).any);
  EXPECT_FALSE(RangeFromValues({}).any);
}

TEST(ImportStretch, EndsAndNoData) {
  const StretchRange r{100.0, 354.0, true};
  const auto table = StretchTable(r, 0);
  const std::pair<int, int> cases[] = {{0, 0},     {1, 1},     {100, 1},   {101, 2},
                                       {227, 128}, {353, 254}, {354, 255}, {65535, 255}};
  for (auto [in, out] : cases) EXPECT_EQ(table[static_cast<size_t>(in)], out) << in;
  // A band of one value still maps its no-data apart.
  const auto flat = StretchTable(StretchRange{7.0, 7.0, true}, 3);
  EXPECT_EQ(flat[3], 0);
  EXPECT_EQ(flat[7], 1);
  EXPECT_EQ(flat[8], 255);
}

TEST(ImportProduct, MtlValues) {
  const std::string mtl =
      "GROUP = X\n    SPACECRAFT_ID = \"LANDSAT_9\"\r\n    FILE_NAME_BAND_1 = \"a_B1.TIF\"\n"
      "    FILE_NAME_BAND_10 = \"a_B10.TIF\"\n    FILE_NAME_BAND_1 = \"later.TIF\"\n";
  EXPECT_EQ(MtlValue(mtl, "SPACECRAFT_ID"), "LANDSAT_9");
  EXPECT_EQ(MtlValue(mtl, "FILE_NAME_BAND_1"), "a_B1.TIF");
  EXPECT_EQ(MtlValue(mtl, "FILE_NAME_BAND_10"), "a_B10.TIF");
  EXPECT_EQ(MtlValue(mtl, "FILE_NAME_BAND_2"), "");

  const std::string json =
      "\xEF\xBB\xBF {\"A\": {\"NOTE\": \"FILE_NAME_BAND_1\", \"FILE_NAME_BAND_10\" : \"b10\",\n"
      "\"FILE_NAME_BAND_1\":\"a\\\"b\\\\c\\/d\", \"FILE_NAME_BAND_2\": \"\\u0041\",\n"
      "\"FILE_NAME_BAND_3\": 3, \"FILE_NAME_BAND_4\": \"open";
  EXPECT_EQ(MtlValue(json, "FILE_NAME_BAND_10"), "b10");
  // A name standing as a value is not a key; escapes of plain ASCII are read.
  EXPECT_EQ(MtlValue(json, "FILE_NAME_BAND_1"), "a\"b\\c/d");
  // Anything else names no file: other escapes, numbers, unterminated strings.
  EXPECT_EQ(MtlValue(json, "FILE_NAME_BAND_2"), "");
  EXPECT_EQ(MtlValue(json, "FILE_NAME_BAND_3"), "");
  EXPECT_EQ(MtlValue(json, "FILE_NAME_BAND_4"), "");

  const std::string xml =
      "<?xml version=\"1.0\"?><M><FILE_NAME_BAND_10>b10</FILE_NAME_BAND_10>"
      "<FILE_NAME_BAND_1>\n  a&amp;b&lt;&gt;&quot;&apos;  </FILE_NAME_BAND_1>"
      "<FILE_NAME_BAND_2>a&#65;</FILE_NAME_BAND_2><FILE_NAME_BAND_3>open";
  EXPECT_EQ(MtlValue(xml, "FILE_NAME_BAND_1"), "a&b<>\"'");
  EXPECT_EQ(MtlValue(xml, "FILE_NAME_BAND_10"), "b10");
  EXPECT_EQ(MtlValue(xml, "FILE_NAME_BAND_2"), "");
  EXPECT_EQ(MtlValue(xml, "FILE_NAME_BAND_3"), "");
}

TEST(ImportDemCodes, SeaAndEnds) {
  const std::pair<double, int> cases[] = {{-5.0, 0},     {0.0, 0},      {100.0, 1},
                                          {100.4, 1},    {104.9, 1},    {105.0, 2},
                                          {1370.0, 128}, {2640.0, 255}, {9000.0, 255}};
  for (auto [altitude, code] : cases)
    EXPECT_EQ(ElevationCode(altitude, 100, 2640), code) << altitude;
}

}  // namespace
}  // namespace lumora::importer
