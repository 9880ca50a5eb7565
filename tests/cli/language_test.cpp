// lumora-cli speaks English when the locale asks for it and Japanese
// otherwise; what it writes is the same in both.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "core/support/string_table.h"
#include "tests/support/cli_run.h"

namespace lumora {
namespace {

using test::ReadFile;
using test::TempDir;

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
  test::WriteFile(dir / "blocked", "");
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

}  // namespace
}  // namespace lumora
