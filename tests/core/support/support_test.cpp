#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "core/support/checked_math.h"
#include "core/support/line_reader.h"
#include "core/support/progress.h"
#include "core/support/string_table.h"
#include "core/support/text.h"
#include "core/support/text_encoding.h"

namespace lumora {
namespace {

TEST(ProgressCounter, IntervalDecidesHowOftenTheShownValueChanges) {
  struct Case {
    int interval;
    int changesEvery;
  } cases[] = {{10, 12}, {0, 2}, {3, 5}};
  for (const auto& c : cases) {
    ProgressCounter p;
    p.Create(c.interval, "読み込み中");
    for (int call = 1; call <= 3 * c.changesEvery; ++call) {
      const bool changed = p.SetProgress(static_cast<float>(call) / 100.0f);
      EXPECT_EQ(changed, call % c.changesEvery == 0)
          << "interval " << c.interval << " call " << call;
    }
  }
  ProgressCounter p;
  p.Create(-1, "");
  p.SetProgress(0.999f);
  EXPECT_EQ(p.Percent(), 99);  // truncated, never shown as done too early
}

TEST(Text, AtoiAndAtofFollowTheCRuntime) {
  EXPECT_EQ(AtoI("  42xyz"), 42);
  EXPECT_EQ(AtoI("\t-3"), -3);
  EXPECT_EQ(AtoI("+8"), 8);
  EXPECT_EQ(AtoI("x1"), 0);
  EXPECT_EQ(AtoI("-99999999999999999999"), -2147483647 - 1);
  EXPECT_EQ(AtoI("99999999999999999999"), 2147483647);
  EXPECT_TRUE(StartsWith("State =", "State ="));
  EXPECT_FALSE(StartsWith("State", "State ="));
  EXPECT_EQ(AtoF(" 0.0285km"), 0.0285);
  EXPECT_EQ(AtoF("-1.5e2"), -150.0);
  EXPECT_EQ(AtoF("+2."), 2.0);
  EXPECT_EQ(AtoF(".5"), 0.5);
  EXPECT_EQ(AtoF("e5"), 0.0);
  EXPECT_EQ(AtoF("+-1"), 0.0);
  EXPECT_TRUE(std::isinf(AtoF("1e999")));
  EXPECT_EQ(AtoF("1e-999"), 0.0);
  EXPECT_TRUE(std::isnan(AtoF("nan")));
}

TEST(Text, ControlCharactersAreShownEscaped) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"plain 森林", "plain 森林"},
      {"\x1b[2Jred", "\\x1B[2Jred"},
      {"a\tb\x7f\x01", "a\\x09b\\x7F\\x01"},
      {"\xc2\x9b"
       "31m",
       "\\u009B31m"},                          // the one-byte CSI of C1, in UTF-8
      {"\xc2\x80\xc2\x9f", "\\u0080\\u009F"},  // both ends of C1
      {"\xc2\xa0\xc2", "\xc2\xa0\xc2"},        // no-break space and a cut sequence stay
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeControlCharacters(c.in), c.out) << c.in;
}

TEST(LineReader, PiecesLikeFgetsWithCrlfAsOneBreak) {
  StringLineReader r("ab\r\ncdefg\rh\nlast", 4);
  std::string p;
  std::vector<std::string> got;
  while (r.Next(p)) got.push_back(p);
  EXPECT_EQ(got, (std::vector<std::string>{"ab\n", "cde", "fg\r", "h\n", "las", "t"}));
}

TEST(TextEncoding, Cp932AndUtf8) {
  EXPECT_EQ(ToUtf8FromFile("\x93\x8c\x8b\x9e"), "東京");
  EXPECT_EQ(ToUtf8FromFile("東京"), "東京");
  EXPECT_EQ(ToCp932("東京"), "\x93\x8c\x8b\x9e");
  EXPECT_EQ(ToUtf8FromFile("\x93"), "\xEF\xBF\xBD");
  EXPECT_EQ(TruncateUtf8("あい", 4), "あ");
  EXPECT_FALSE(IsValidUtf8("\xC0\x80"));
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));
}

TEST(CheckedMath, OverflowIsCaught) {
  EXPECT_EQ(*CheckedMul(7000, 6000, 4), 168000000);
  EXPECT_FALSE(CheckedMul(INT64_MAX, 2));
  EXPECT_FALSE(AllocatableBytes(CheckedMul(2147483647, 2147483647, 4)));
  EXPECT_FALSE(AllocatableBytes(int64_t{-1}));
  EXPECT_TRUE(AllocatableBytes(int64_t{0}));
}

// Every message the table holds has an English text of its own, in plain
// ASCII, and the locale's variables choose the language as POSIX orders them.
TEST(StringTable, EnglishBesideEveryJapaneseText) {
  const std::string error = MessageText(kMsgError, Language::kEnglish);
  int messages = 0;
  for (int id = 61000; id < 62000; ++id) {
    const std::string ja = MessageText(id), en = MessageText(id, Language::kEnglish);
    if (id != kMsgError && ja == MessageText(kMsgError)) continue;  // no such message
    ++messages;
    EXPECT_FALSE(en.empty()) << id;
    EXPECT_TRUE(std::all_of(en.begin(), en.end(), [](char c) { return c > 0 && c < 0x7f; }))
        << id << " " << en;
    EXPECT_TRUE(id == kMsgError || en != error) << id;
  }
  EXPECT_GT(messages, 30);
  EXPECT_STREQ(MessageText(12345), MessageText(kMsgError));  // no such message
  const struct {
    const char *all, *messages, *lang;
    Language expected;
  } locales[] = {
      {nullptr, nullptr, "en_US.UTF-8", Language::kEnglish},
      {nullptr, nullptr, "en", Language::kEnglish},
      {nullptr, nullptr, "ja_JP.UTF-8", Language::kJapanese},
      {nullptr, nullptr, nullptr, Language::kJapanese},
      {nullptr, nullptr, "C.UTF-8", Language::kJapanese},
      {"", "", "en_GB.UTF-8", Language::kEnglish},  // empty counts as unset
      {nullptr, "en_US.UTF-8", "ja_JP.UTF-8", Language::kEnglish},
      {"ja_JP.UTF-8", "en_US.UTF-8", "en_US.UTF-8", Language::kJapanese},
      {"POSIX", nullptr, "en_US.UTF-8", Language::kJapanese},
  };
  for (const auto& l : locales)
    EXPECT_EQ(LanguageFromLocale(l.all, l.messages, l.lang), l.expected)
        << (l.all ? l.all : "-") << " " << (l.messages ? l.messages : "-") << " "
        << (l.lang ? l.lang : "-");
}

}  // namespace
}  // namespace lumora
