// lumora-cli spectrum and stats: the numbers of a small image worked out by
// hand, the files written, and refusals.
#include <gtest/gtest.h>

#include "tests/support/cli_run.h"
#include "tests/support/view_reference.h"

namespace lumora {
namespace {

using test::RunCli;
using test::TempDir;

// 4 x 3 pixels: band 1 (8-bit) 10, 20, ... 120 row by row; band 2 (16-bit)
// 1000, 1100, ... 2100; 30 m pixels.
class SpectrumCliTest : public testing::Test {
 protected:
  void SetUp() override {
    std::vector<uint8_t> b1;
    std::vector<uint16_t> b2;
    for (int i = 0; i < 12; ++i) {
      b1.push_back(static_cast<uint8_t>(10 * (i + 1)));
      b2.push_back(static_cast<uint16_t>(1000 + 100 * i));
    }
    m_inf = test::WriteTestImage(m_dir / "img", 4, 3, {{1, {1, b1}}, {2, {2, test::Bytes16(b2)}}},
                                 "LengthPerPixel = 0.03\n");
    test::WriteFile(m_dir / "img.d01", "青 0.45-0.52μm\n");
  }
  test::CliResult Run(const std::string& command, const std::string& more) const {
    return RunCli(m_dir, command + " '" + m_inf + "' " + more);
  }

  TempDir m_dir;
  std::string m_inf;
};

// 32 histogram counts with a 1 at each of the given bins.
std::string Bins(std::initializer_list<int> ones) {
  std::string s;
  for (int i = 0; i < 32; ++i) {
    s += std::find(ones.begin(), ones.end(), i) != ones.end() ? "1" : "0";
    if (i < 31) s += " ";
  }
  return s;
}

TEST_F(SpectrumCliTest, ValuesOfPointsAndRegionsAsCsv) {
  auto r = Run("spectrum", "--at 1,2 --at 3,0");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "band,description,wavelength_um,x=1 y=2,x=3 y=0\n"
            "1,青 0.45-0.52μm,0.45-0.52,100,40\n"
            "2,,,1900,1300\n");

  // Pixels (1,0) (2,0) (1,1) (2,1): 20 30 60 70 and 1100 1200 1500 1600;
  // deviations ±15, ±25 (x10 for band 2); 4 x 900 m²; 8 pixels round.
  r = Run("stats", "--area 1,0,2,2 -o '" + (m_dir / "s.csv") + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadFile(m_dir / "s.csv"),
            "band,description,wavelength_um,pixels,min,max,mean,stddev,area_m2,perimeter_m,"
            "histogram\n"
            "1,青 0.45-0.52μm,0.45-0.52,4,20,70,45,20.615528,3600,240," +
                Bins({0, 6, 25, 31}) + "\n2,,,4,1100,1600,1350,206.155281,3600,240," +
                Bins({0, 6, 25, 31}) + "\n");

  // A triangle with corners on the image's edges: centres below the
  // hypotenuse x/4 + y/3 < 1 are (0..2, 0), (0..1, 1), (0, 2); 3-4-5 round.
  r = Run("stats", "--polygon 0,0,4,0,0,3");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\n1,青 0.45-0.52μm,0.45-0.52,6,10,90,43.333333,"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find(",5400,360,"), std::string::npos) << r.out;
  // A chart instead of the table.
  r = Run("spectrum", "--at 0,0 --at 3,2 -o '" + (m_dir / "chart.png") + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadFile(m_dir / "chart.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST_F(SpectrumCliTest, BadUsageAndBadInput) {
  struct Case {
    const char* command;
    std::string args;
    int status;
  } cases[] = {
      {"spectrum", "", 2},
      {"spectrum", "--at 1", 2},
      {"spectrum", "--at 1,1 -o out.txt", 2},
      {"spectrum", "--at 4,0", 1},
      {"stats", "", 2},
      {"stats", "--area 0,0,2,2 --polygon 0,0,1,0,0,1", 2},
      {"stats", "--polygon 0,0,1,0,1", 2},
      {"stats", "--area 0,0,0,2", 2},
      {"stats", "--area 3,2,2,2", 1},  // reaches outside
      {"stats", "--area 0,0,2,2 -o '" + (m_dir / "img.inf") + "'", 2},
  };
  for (const Case& c : cases) {
    const auto r = Run(c.command, c.args);
    EXPECT_EQ(r.status, c.status) << c.command << " " << c.args << "\n" << r.err;
    EXPECT_FALSE(r.err.empty()) << c.command << " " << c.args;
  }
  // A band cut short since: refused, nothing written.
  std::filesystem::resize_file(m_dir / "img.i02", 20);
  EXPECT_EQ(Run("stats", "--area 0,0,2,2 -o '" + (m_dir / "s.csv") + "'").status, 1);
  EXPECT_EQ(Run("spectrum", "--at 0,0").status, 1);
  EXPECT_FALSE(test::FileExists(m_dir / "s.csv"));
}

}  // namespace
}  // namespace lumora
