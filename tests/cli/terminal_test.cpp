// What reaches the terminal: lumora-cli speaks English when the locale asks
// for it and Japanese otherwise (what it writes is the same in both), and
// info shows the control bytes of texts read from the file set escaped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "core/support/string_table.h"
#include "tests/support/cli_run.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Runs lumora-cli with the locale variables given (empty: unset).
test::CliResult RunIn(const TempDir& dir, const char* lcAll, const char* lang,
                      const std::string& args) {
  auto put = [](const char* name, const char* value) {
    if (*value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  };
  put("LC_ALL", lcAll);
  put("LC_MESSAGES", "");
  put("LANG", lang);
  const test::CliResult r = test::RunCli(dir, args);
  put("LC_ALL", "");
  put("LANG", "C.UTF-8");
  return r;
}

TEST(CliLanguage, MessagesFollowTheLocale) {
  TempDir dir;
  WriteFile(dir / "blocked", "");
  const std::string args = "sample --sensor mss --size 32x32 -o '" + (dir / "blocked/s.inf") + "'";
  const struct {
    const char* lcAll;
    const char* lang;
    Language expected;
  } cases[] = {
      {"", "en_US.UTF-8", Language::kEnglish},
      {"C", "en_US.UTF-8", Language::kJapanese},  // LC_ALL wins
      {"en_GB.UTF-8", "ja_JP.UTF-8", Language::kEnglish},
  };
  for (const auto& c : cases) {
    const auto r = RunIn(dir, c.lcAll, c.lang, args);
    EXPECT_EQ(r.status, 1);
    // The message, then the file it concerns.
    EXPECT_EQ(r.err.rfind(MessageText(kMsgSampleFolderFailed, c.expected), 0), 0u)
        << c.lcAll << " " << c.lang << ": " << r.err;
  }
}

TEST(CliLanguage, FilesWrittenAreTheSameInEveryLanguage) {
  TempDir dir;
  for (const char* lang : {"ja_JP.UTF-8", "en_US.UTF-8"}) {
    const std::string out = dir / lang;
    ASSERT_EQ(
        RunIn(dir, "", lang, "sample --sensor tm --size 40x30 --seed 5 -o '" + out + "/s.inf'")
            .status,
        0);
    ASSERT_EQ(
        RunIn(dir, "", lang, "filter '" + out + "/s.inf' --kind median -o '" + out + "/f.inf'")
            .status,
        0);
  }
  size_t compared = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir / "ja_JP.UTF-8")) {
    const std::string name = e.path().filename().string();
    EXPECT_EQ(ReadFile(e.path().string()), ReadFile(dir / ("en_US.UTF-8/" + name))) << name;
    ++compared;
  }
  EXPECT_GT(compared, 20u);
}

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
