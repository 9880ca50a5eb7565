#include "core/imagefile/band_catalogue.h"

#include <gtest/gtest.h>

#include "core/support/string_table.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(BandCatalogue, SuffixRulesDecideWhichBandsAreListed) {
  TempDir dir;
  const std::string base = dir / "scene";
  for (const char* ext :
       {".b01", ".B07", ".i03", ".R04", ".b00", ".bx1", ".b256", ".c05", ".b1", ".inf", ".d01"})
    WriteFile(base + ext, "");
  WriteFile(dir / "other.b02", "");
  WriteFile(base + ".d05", "no band file\n");
  auto types = ScanBandTypes(base);
  EXPECT_EQ(types[3], 2);
  EXPECT_EQ(types[4], 3);
  // Only 1 and 7 are 8-bit bands; the other set's band 2 and the lone
  // description 5 are none.
  auto all8 = ListBands(base + ".inf", true, 1);
  ASSERT_EQ(all8.size(), 2u);
  EXPECT_EQ(all8[0].number, 1);
  EXPECT_EQ(all8[1].number, 7);
  EXPECT_EQ(ListBands(base + ".inf", true, 7).size(), 4u);
  auto every = ListBands(base + ".inf", false, 0);
  ASSERT_EQ(every.size(), 255u);
  EXPECT_EQ(every[254].text, "255 : ");
  EXPECT_EQ(every[1].sampleType, 0);
  EXPECT_EQ(every[4].text, "05 : ");
}

TEST(BandCatalogue, DescriptionsAreFirstLinesOfAtMost79BytesStoredAsCp932) {
  TempDir dir;
  const std::string base = dir / "s";
  WriteFile(base + ".b01", "");
  WriteFile(base + ".b02", "");
  WriteFile(base + ".b03", "");
  WriteFile(base + ".b04", "");
  WriteFile(base + ".d01", "Blue  0.45-0.52\r\nsecond line\n");
  WriteFile(base + ".d02", std::string(100, 'a') + "\n");
  WriteFile(base + ".d03", "\x97\xce\x90\x46\n");  // 緑色 in CP932
  // 27 three-byte characters = 81 bytes: cut to 26 characters, never mid-character.
  std::string kana;
  for (int i = 0; i < 27; ++i) kana += "あ";
  WriteFile(base + ".D04", kana);
  // CP932 (not UTF-8): 亜 and 76 letters fill 78 bytes; the two-byte 漾 (lead
  // byte 0xE0) would pass 79 and is left out whole.
  WriteFile(base + ".b05", "");
  WriteFile(base + ".d05", "\x88\x9f" + std::string(76, 'a') + "\xe0\x40zz\n");
  auto items = ListBands(base + ".inf", true, 7);
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(items[0].text, "01 : Blue  0.45-0.52");
  EXPECT_EQ(items[1].text, "02 : " + std::string(79, 'a'));
  EXPECT_EQ(items[2].text, "03 : 緑色");
  EXPECT_EQ(items[3].text.size(), 5u + 78u);
  EXPECT_EQ(items[4].text, "05 : 亜" + std::string(76, 'a'));
  // Written descriptions are stored as CP932.
  ASSERT_TRUE(WriteBandDescription(base, 12, "フィルタ処理"));
  EXPECT_EQ(test::ReadFile(base + ".d12").size(), 13u);  // 6 double-byte characters + "\n"
  EXPECT_EQ(ReadBandDescription(base, 12), "フィルタ処理");
}

// In English the descriptions the program writes are shown in English, a
// user's own text as it is; the list keeps the file's text beside.
TEST(BandCatalogue, OwnDescriptionsAreShownInTheInterfaceLanguage) {
  const struct {
    const char* file;
    const char* english;
  } cases[] = {
      {"TM バンド3 赤 0.63-0.69μm", "TM band 3 red 0.63-0.69μm"},
      {"OLI バンド6 短波長赤外 1.57-1.65μm", "OLI band 6 shortwave infrared 1.57-1.65μm"},
      {"ASTER バンド13 熱赤外 10.25-10.95μm", "ASTER band 13 thermal infrared 10.25-10.95μm"},
      {"kanto.tif バンド2", "kanto.tif band 2"},
      {"植生指数データ　単バンド", "Vegetation index, one band"},
      {"土地被覆分類データ　緑", "Land cover classes, green"},
      {"鳥瞰画像　白黒", "Bird's-eye view, grey"},
      {"フィルタ済み画像データ", "Filtered image"},
      // Not ours: kept.
      {"森のバンド", "森のバンド"},
      {"サブバンド1", "サブバンド1"},
      {"全 バンド", "全 バンド"},
      {"TM バンド3 赤 約0.63-0.69μm", "TM バンド3 赤 約0.63-0.69μm"},
      {"TM バンド3 赤い 0.63-0.69μm", "TM バンド3 赤い 0.63-0.69μm"},
      {"TM バンド3 赤 とても明るい", "TM バンド3 赤 とても明るい"},
      {"Blue  0.45-0.52", "Blue  0.45-0.52"},
  };
  TempDir dir;
  const std::string base = dir / "s";
  WriteFile(base + ".b01", "");
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteBandDescription(base, 1, c.file));
    SetLanguage(Language::kEnglish);
    const BandItem item = ListBands(base + ".inf", true, 7).at(0);
    EXPECT_EQ(item.shown, std::string("01 : ") + c.english);
    EXPECT_EQ(item.text, std::string("01 : ") + c.file);
    SetLanguage(Language::kJapanese);
    EXPECT_EQ(ShownBandDescription(c.file), c.file);
  }
}

TEST(BandCatalogue, NumbersFromItemTexts) {
  EXPECT_EQ(BandNumberFromText("07 : near infrared"), 7);
  EXPECT_EQ(BandNumberFromText("255 : "), 255);
  EXPECT_EQ(BandNumberFromText(""), -1);
  EXPECT_EQ(BandNumberFromText(kUnknownBand), 0);
  std::vector<BandItem> items = {{3, 2, "03 : ", "03 : "}};
  EXPECT_EQ(SampleTypeOf(items, 3), 2);
  EXPECT_EQ(SampleTypeOf(items, 4), 0);
  EXPECT_EQ(SampleTypeOf(items, 0), 0);
  EXPECT_EQ(BandFilePath("/a/x", 3, 4), "/a/x.r04");
}

}  // namespace
}  // namespace lumora
