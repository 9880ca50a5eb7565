// lumora-cli info: what it prints of texts read from the file set.
#include <gtest/gtest.h>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "tests/support/cli_run.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::WriteFile;

TEST(InfoCommand, ControlBytesOfFilesReachTheTerminalEscaped) {
  test::TempDir dir;
  WriteFile(dir / "s.inf",
            "LINE = 1\nPIXEL = 1\nGPS_CHAR = \a\x1b]0;title\a\nDate = \x1b[1m2009-08-01\n");
  WriteFile(BandFilePath(dir / "s", kSample8, 1), "x");
  WriteFile(dir / "s.d01", "\x1b[2J\x1b[31mred\xc2\x9b\n");
  const auto r = test::RunCli(dir, "info '" + (dir / "s.inf") + "'");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find('\a'), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("GPS_CHAR = \\x07\\x1B]0;title\\x07\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("01 : \\x1B[2J\\x1B[31mred\\u009B\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Date = \\x1B[1m2009-08-01\n"), std::string::npos) << r.out;

  // Names in messages too: a file that is missing, an output that cannot be
  // written, a command that is none.
  const std::string bad = "x/\x1b[31mno";
  for (const std::string& args :
       {"info '" + (dir / bad) + ".inf'",
        "compose '" + (dir / "s.inf") + "' -o '" + (dir / bad) + ".tif'", "'" + bad + "'"}) {
    const auto e = test::RunCli(dir, args);
    EXPECT_NE(e.status, 0) << args;
    EXPECT_EQ(e.err.find('\x1b'), std::string::npos) << args << "\n" << e.err;
    EXPECT_NE(e.err.find("\\x1B[31mno"), std::string::npos) << args << "\n" << e.err;
  }
}

}  // namespace
}  // namespace lumora
