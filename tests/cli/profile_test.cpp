// lumora-cli profile: the file for rows and columns of the composed display,
// and usage errors.
#include <gtest/gtest.h>

#include "core/support/string_table.h"
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
  struct Case {
    std::string args;
    int status;
  } cases[] = {
      {Profile("--row 1 --column 1 --from 1 --to 2"), 2},
      {Profile("--row 1 --to 2"), 2},
      {Profile("--row 1 --from 1 --to 2 --rgb 1,2,3 --gray 1"), 2},
      {Profile("--row 1 --from 1 --to 2 --rainbow"), 2},
      {"profile '" + m_inf + "' --row 1 --from 1 --to 2", 2},
  };
  for (const Case& c : cases) EXPECT_EQ(RunCli(m_dir, c.args).status, c.status) << c.args;
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

}  // namespace
}  // namespace lumora
