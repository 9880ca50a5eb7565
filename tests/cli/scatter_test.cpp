// lumora-cli scatter: the count list, the saved page and usage errors.
#include "core/windows/scatter.h"

#include <gtest/gtest.h>

#include "core/support/string_table.h"
#include "tests/support/cli_run.h"
#include "tests/support/view_reference.h"

namespace lumora {
namespace {

using test::RunCli;
using test::TempDir;

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
