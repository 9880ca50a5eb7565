// lumora-cli profile and scatter, what the analysis windows save: the file for
// rows and columns of the composed display, the scatter's count list and
// page, and usage errors.
#include <gtest/gtest.h>

#include "core/support/string_table.h"
#include "core/windows/scatter.h"
#include "tests/support/cli_run.h"
#include "tests/support/view_reference.h"

namespace lumora {
namespace {

using test::RunCli;
using test::TempDir;

class ProfileCliTest : public testing::Test {
 protected:
  void SetUp() override {
    // Band b holds 10 * b + 50 * line + pixel (6 x 4).
    std::map<int, test::TestBand> bands;
    for (int b = 1; b <= 3; ++b)
      for (int i = 0; i < 24; ++i)
        bands[b].bytes.push_back(static_cast<uint8_t>(10 * b + 50 * (i / 6) + i % 6));
    test::WriteTestImage(m_dir / "img", 6, 4, bands);
    m_inf = m_dir.path().string() + "/./img.inf";  // written as given
  }
  std::string Profile(const std::string& more) const {
    return "profile '" + m_inf + "' -o '" + Out() + "' " + more;
  }
  std::string Out() const { return m_dir / "p.txt"; }

  TempDir m_dir;
  std::string m_inf;
};

TEST_F(ProfileCliTest, RowsAndColumnsOfTheDisplay) {
  ASSERT_EQ(RunCli(m_dir, Profile("--row 2 --from 3 --to 5")).status, 0);
  // Bands 3, 2, 1 feed red, green, blue; source (3, 2) is 0-based (2, 1).
  EXPECT_EQ(test::ReadFile(Out()), "Profile\n" + m_inf +
                                       "\n[3,2]-[5,2]\nX,B,G,R\n"
                                       "    3, 62, 72, 82\n    4, 63, 73, 83\n    5, 64, 74, 84\n");
  // A column of a reduced grey display.
  ASSERT_EQ(RunCli(m_dir, Profile("--column 3 --from 4 --to 1 --gray 2 --step 2")).status, 0);
  // Step 2: source x 3 is display column 1 (pixel 2); rows 1, 2 show line 0, rows 3, 4 line 2.
  EXPECT_EQ(test::ReadFile(Out()), "Profile\n" + m_inf +
                                       "\n[3,1]-[3,4]\nY,B,G,R\n"
                                       "    1, 22, 22, 22\n    2, 22, 22, 22\n"
                                       "    3,122,122,122\n    4,122,122,122\n");
}

TEST_F(ProfileCliTest, BadUsage) {
  for (const std::string& args :
       {Profile("--row 1 --column 1 --from 1 --to 2"), Profile("--row 1 --to 2"),
        Profile("--row 1 --from 1 --to 2 --rgb 1,2,3 --gray 1"),
        Profile("--row 1 --from 1 --to 2 --rainbow"),
        "profile '" + m_inf + "' --row 1 --from 1 --to 2"})
    EXPECT_EQ(RunCli(m_dir, args).status, 2) << args;
}

TEST_F(ProfileCliTest, NoFileOfTheImagesSetIsEverOverwritten) {
  // The settings file, a band, a description (also spelt otherwise) and a
  // band not there yet: each would become part of the image.
  for (const char* name : {"img.inf", "img.b01", "IMG.B02", "img.d03", "img.b09", "img.lev"}) {
    const std::string out = m_dir / name;
    const std::string before = test::FileExists(out) ? test::ReadFile(out) : "";
    const auto r =
        RunCli(m_dir, "profile '" + m_inf + "' --row 1 --from 1 --to 2 -o '" + out + "'");
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_NE(r.err.find(MessageText(kMsgWorkingFileInUse)), std::string::npos) << name;
    EXPECT_EQ(test::FileExists(out) ? test::ReadFile(out) : "", before) << name;
  }
  // A file of another name beside it is fine.
  EXPECT_EQ(RunCli(m_dir, "profile '" + m_inf + "' --row 1 --from 1 --to 2 -o '" +
                              (m_dir / "img.txt") + "'")
                .status,
            0);
}

class ScatterCliTest : public testing::Test {
 protected:
  void SetUp() override {
    m_inf = test::WriteTestImage(m_dir / "img", 3, 2,
                                 {{1, {1, {2, 2, 1, 3, 3, 3}}}, {2, {1, {9, 1, 5, 7, 7, 7}}}});
  }
  std::string Scatter(const std::string& more) const { return "scatter '" + m_inf + "' " + more; }

  TempDir m_dir;
  std::string m_inf;
};

// The counts listed X then Y ascending, or the page in their colours.
TEST_F(ScatterCliTest, CountsAndThePage) {
  const auto r = RunCli(m_dir, Scatter("--x 1 --y 2 --counts"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "1 5 1\n2 1 1\n2 9 1\n3 7 3\n");
  const std::string out = m_dir / "plot.tif";
  ASSERT_EQ(RunCli(m_dir, Scatter("--x 1 --y 2 -o '" + out + "'")).status, 0);
  const std::string tiff = test::ReadFile(out);
  ASSERT_EQ(tiff.size(), 192u + 1000u * 1414u * 3u);
  auto pixel = [&](int x, int y) { return tiff.substr(192 + (size_t{1000} * y + x) * 3, 3); };
  const ScatterPage page = ScatterPageFor(1000, 1414);
  const CellRect once = PageCell(page, 1, 5), thrice = PageCell(page, 3, 7);
  EXPECT_EQ(pixel(once.left, once.top), std::string("\x00\x00\xff", 3));      // blue
  EXPECT_EQ(pixel(thrice.left, thrice.top), std::string("\x00\xff\xff", 3));  // cyan
  EXPECT_EQ(pixel(0, 0), std::string("\xff\xff\xff", 3));
}

TEST_F(ScatterCliTest, BadUsageAndMissingBands) {
  struct Case {
    std::string args;
    int status;
  } cases[] = {
      {Scatter("--x 1 --y 2"), 2},
      {Scatter("--x 1 --y 2 --counts -o '" + (m_dir / "a.tif") + "'"), 2},
      {Scatter("--x 0 --y 2 --counts"), 2},
      {Scatter("--x 1 --counts"), 2},
      {Scatter("--x 1 --y 2 -o '" + (m_dir / "a.png") + "'"), 2},
      {Scatter("--x 1 --y 3 --counts"), 1},
  };
  for (const Case& c : cases) EXPECT_EQ(RunCli(m_dir, c.args).status, c.status) << c.args;
  EXPECT_NE(RunCli(m_dir, Scatter("--x 1 --y 3 --counts")).err.find(MessageText(kMsgOpenFailed)),
            std::string::npos);
}

}  // namespace
}  // namespace lumora
