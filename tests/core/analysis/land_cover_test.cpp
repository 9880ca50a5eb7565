#include "core/analysis/land_cover.h"

#include <gtest/gtest.h>

#include "core/analysis/class_legend.h"
#include "core/support/string_table.h"
#include "core/support/text_encoding.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

ClassItem Example() { return ClassItem{255, 0, 128, 10, 60, 80, 20, "water"}; }

void ExpectSame(const ClassItem& a, const ClassItem& b) {
  const auto fields = [](const ClassItem& c) {
    return std::tie(c.red, c.green, c.blue, c.top, c.bottom, c.right, c.left, c.title);
  };
  EXPECT_EQ(fields(a), fields(b));
}

TEST(ClassLine, FixedColumnsRoundTripAndHostileLines) {
  const std::string line = FormatClassLine(Example());
  EXPECT_EQ(line, "255   0 128    10    60    80    20 water");
  EXPECT_EQ(line.size(), 41u);
  ExpectSame(ParseClassLine(line + "\n"), Example());

  ClassItem spaced = Example();
  spaced.title = "田 と 畑";  // spaces survive; stored as CP932
  const std::string stored = FormatClassLine(spaced);
  EXPECT_EQ(stored.substr(36), ToCp932("田 と 畑"));
  ExpectSame(ParseClassLine(stored + "\r\n"), spaced);
  // A last line without its line break keeps the whole title.
  ExpectSame(ParseClassLine(line), Example());
  EXPECT_EQ(AreaText(Example()), "(  21,  11)-(  81,  61)");
  EXPECT_EQ(AreaText(ClassItem()), "(   0,   0)-(   0,   0)");
  // Short lines read as zeros, colours out of range are limited, a long
  // title is cut at a character boundary so the line fits its buffer.
  const ClassItem shortLine = ParseClassLine("12\n");
  EXPECT_EQ(shortLine.red, 12);
  EXPECT_EQ(shortLine.left, 0);
  EXPECT_EQ(shortLine.title, "");
  EXPECT_EQ(ParseClassLine("999  -5 300").red, 255);
  EXPECT_EQ(ParseClassLine("999  -5 300").green, 0);
  ClassItem longTitle = Example();
  for (int i = 0; i < 60; ++i) longTitle.title += "森";
  const std::string cut = FormatClassLine(longTitle);
  EXPECT_LE(cut.size(), 36 + kMaxClassTitleBytes);
  EXPECT_TRUE(IsValidUtf8(ParseClassLine(cut).title));
  ClassItem broken = Example();
  broken.title = "a\nb";
  EXPECT_EQ(ParseClassLine(FormatClassLine(broken)).title, "a b");
}

TEST(ClassList, BandsEachSensorClassifies) {
  struct Case {
    int sensor;
    int bandCount;
    std::vector<int> used;
  };
  const Case cases[] = {
      {1, 7, {1, 2, 3, 4, 5, 7}}, {1, 9, {1, 2, 3, 4, 5, 7}},           {2, 4, {1, 2, 3, 4}},
      {2, 7, {1, 2, 3, 4}},       {0, 14, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
  };
  for (const auto& c : cases) {
    std::vector<int> bands;
    for (int b = 1; b <= c.bandCount; ++b) bands.push_back(b);
    EXPECT_EQ(SelectClassifiedBands(c.sensor, bands), c.used) << c.sensor;
  }
}

TEST(ClassList, AreasGoToTheRowArmed) {
  TempDir dir;
  WriteFile(dir / "img.inf", "LINE = 4\nPIXEL = 4\nSENSOR = 1\n");
  for (int b : {1, 2, 6, 8}) WriteFile(dir / ("img.b0" + std::to_string(b)), "");
  WriteFile(dir / "img.mlk", FormatLandCoverFile({1}, {Example()}));
  RecordingMessenger m;
  LandCoverList list;
  list.Load(dir / "img.inf", 1, m);
  EXPECT_EQ(list.Bands(), (std::vector<int>{1, 2}));
  ASSERT_EQ(list.Count(), 1);
  list.Add(1, 2, 3, "new");
  list.Add(4, 5, 6, "later");
  EXPECT_FALSE(list.AddTrainingArea(1, 2, 3, 4));  // nothing armed
  list.Select(2);
  ASSERT_TRUE(list.ArmArea());
  list.Select(1);
  ASSERT_TRUE(list.RemoveSelected());  // the armed row moves up
  ASSERT_TRUE(list.AddTrainingArea(5, 9, 8, 2));
  EXPECT_EQ(list.Classes()[1].title, "later");
  EXPECT_EQ(AreaText(list.Classes()[1]), "(   3,   6)-(   9,  10)");
  std::vector<OutlinePoint> outline;
  EXPECT_FALSE(list.SelectedOutline(outline));
  list.Select(1);
  ASSERT_TRUE(list.SelectedOutline(outline));
  ASSERT_EQ(outline.size(), 5u);
  EXPECT_EQ(outline[2].x, 8);
  EXPECT_EQ(outline[2].y, 9);
  list.Select(1);
  list.RemoveSelected();  // the armed row itself goes: later areas go nowhere
  EXPECT_FALSE(list.AddTrainingArea(1, 2, 3, 4));
}

TEST(LegendFile, WrittenFormReadsBack) {
  ClassItem second = Example();
  second.title = "市街地";
  second.red = 1;
  const std::vector<ClassItem> classes = {Example(), second};
  const std::string text = FormatLandCoverFile({1, 2, 3, 4, 5, 7}, classes);
  EXPECT_EQ(text.substr(0, 22), "1\n2\n3\n6\n1\n2\n3\n4\n5\n7\n2\n");
  std::vector<ClassItem> back;
  ASSERT_TRUE(ParseLandCoverClasses(text, back));
  ASSERT_EQ(back.size(), 2u);
  ExpectSame(back[0], classes[0]);
  ExpectSame(back[1], classes[1]);

  // The legend window's and the page's readings (their counts are checked below).
  std::vector<LegendItem> items;
  ASSERT_TRUE(ParseClassLegend(text, items));
  EXPECT_EQ(items.at(1).title, "市街地");
  EXPECT_EQ(items.at(1).red, 1);
  EXPECT_EQ(items.at(0).blue, 128);
  EXPECT_EQ(ParseClassLegendForPage(text).at(1).title, "市街地");
}

TEST(LegendFile, ShortAndHostileCounts) {
  const std::string line = FormatClassLine(Example()) + "\n";
  struct Case {
    const char* name;
    std::string text;
    bool complete;
    size_t classes;      // as the dialog and the window read them
    size_t pageClasses;  // as the page reads them
  };
  const Case cases[] = {
      {"complete", "1\n2\n3\n1\n4\n2\n" + line + line, true, 2, 2},
      {"count above the lines", "1\n2\n3\n1\n4\n5\n" + line + line, false, 2, 2},
      {"huge class count", "1\n2\n3\n1\n4\n2147483647\n" + line, false, 1, 1},
      {"huge band count", "1\n2\n3\n2147483647\n4\n1\n" + line, false, 0, 0},
      {"negative counts", "1\n2\n3\n-5\n-3\n" + line, true, 0, 1},
      {"ends in the header", "1\n2\n", false, 0, 0},
      {"empty", "", false, 0, 0},
      {"last line cut", "1\n2\n3\n0\n2\n" + line + line.substr(0, 20), true, 2, 2},
  };
  for (const auto& c : cases) {
    std::vector<ClassItem> classes;
    EXPECT_EQ(ParseLandCoverClasses(c.text, classes), c.complete) << c.name;
    EXPECT_EQ(classes.size(), c.classes) << c.name;
    std::vector<LegendItem> items;
    EXPECT_EQ(ParseClassLegend(c.text, items), c.complete) << c.name;
    EXPECT_EQ(items.size(), c.classes) << c.name;
    EXPECT_EQ(ParseClassLegendForPage(c.text).size(), c.pageClasses) << c.name;
  }
}

TEST(LegendFile, LoadingReportsMissingAndShortFiles) {
  TempDir dir;
  RecordingMessenger m;
  std::vector<ClassItem> classes;
  LoadLandCoverClasses(dir / "none.inf", classes, m);
  EXPECT_TRUE(classes.empty());
  EXPECT_TRUE(m.entries.empty());  // no legend yet is normal for the dialog
  WriteFile(dir / "short.mlk", "1\n2\n3\n0\n3\n" + FormatClassLine(Example()) + "\n");
  LoadLandCoverClasses(dir / "short.inf", classes, m);
  EXPECT_EQ(classes.size(), 1u);
  EXPECT_EQ(m.LastId(), kMsgBadMlkFile);

  std::vector<LegendItem> items;
  EXPECT_FALSE(LoadClassLegend(dir / "none.mlk", items, m));
  EXPECT_EQ(m.LastId(), kMsgOpenFailed);
  EXPECT_FALSE(LoadClassLegend(dir / "short.mlk", items, m));
  EXPECT_EQ(m.LastId(), kMsgBadMlkFile);
  EXPECT_EQ(items.size(), 1u);
}

TEST(LegendPage, TitleWrapping) {
  struct Case {
    std::string title;
    int width, column;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      // 10 bytes 1.5 columns wide: 2 lines, 5 per line made even: 4, 4, 2.
      {"abcdefghij", 150, 100, {"abcd", "efgh", "ij"}},
      {"森林と田畑", 150, 100, {"森林", "と田", "畑"}},
      // An odd count is made even even on one line, as the page always did.
      {"abc", 50, 100, {"ab", "c"}},
      {"abcd", 50, 100, {"abcd"}},
      // One byte three columns wide would give 0 bytes a line.
      {"a", 300, 100, {"a"}},
      // Mixed one- and two-byte characters never split a character.
      {"a森b林", 150, 100, {"a", "森", "b", "林"}},
      {"abcd", 100, 0, {"abcd"}},
      {"", 0, 100, {""}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WrapLegendTitle(c.title, c.width, c.column), c.lines) << c.title;
}

TEST(LegendPage, LayoutOrderByCorner) {
  const std::vector<LegendItem> items = {{10, 20, 30, "abcdefghij"}, {1, 2, 3, "ab"}};
  const TextMeasure measure = [](const std::string& t) {
    return TextSize{static_cast<int>(t.size()) * 15, 10};
  };
  // Scale 2: column 150 wide; the first title (150 wide) gets 2 lines of
  // 5 bytes, made even: 4, 4, 2 on three lines.
  const auto upper = LayoutClassLegendOnPage(items, 100, 200, 0, 2.0, measure);
  ASSERT_EQ(upper.swatches.size(), 2u);
  EXPECT_EQ(upper.swatches[0].left, 110);
  EXPECT_EQ(upper.swatches[0].top, 200);
  EXPECT_EQ(upper.swatches[0].right, 150);
  EXPECT_EQ(upper.colours[0].red, 10);
  ASSERT_EQ(upper.lines.size(), 4u);
  EXPECT_EQ(upper.lines[0].text, "abcd");
  EXPECT_EQ(upper.lines[0].x, 160);
  EXPECT_EQ(upper.lines[1].y, 211);
  EXPECT_EQ(upper.lines[2].text, "ij");
  EXPECT_EQ(upper.swatches[1].top, 243);

  const auto lower = LayoutClassLegendOnPage(items, 100, 200, 1, 2.0, measure);
  ASSERT_EQ(lower.swatches.size(), 2u);
  EXPECT_EQ(lower.colours[0].red, 1);  // last item first, from the bottom up
  EXPECT_EQ(lower.lines[0].text, "ab");
  EXPECT_EQ(lower.lines[0].y, 190);
  EXPECT_EQ(lower.swatches[0].top, 191);
  EXPECT_EQ(lower.lines[1].text, "ij");
  EXPECT_EQ(lower.lines[1].y, 171);
  EXPECT_EQ(lower.swatches[1].top, 154);
  // Notes (the class's area) are lines of their own under the title, unwrapped.
  const std::vector<LegendItem> noted = {{1, 2, 3, "ab", {"5 px", "62.5 %"}}};
  const auto withNote = LayoutClassLegendOnPage(noted, 100, 200, 0, 2.0, measure);
  ASSERT_EQ(withNote.lines.size(), 3u);
  EXPECT_EQ(withNote.lines[1].text, "5 px");
  EXPECT_EQ(withNote.lines[2].text, "62.5 %");
  EXPECT_EQ(withNote.lines[2].y, 222);
  const auto noteBelow = LayoutClassLegendOnPage(noted, 100, 200, 1, 2.0, measure);
  ASSERT_EQ(noteBelow.lines.size(), 3u);
  EXPECT_EQ(noteBelow.lines[0].text, "62.5 %");
  EXPECT_EQ(noteBelow.lines[0].y, 190);
  EXPECT_EQ(noteBelow.lines[2].y, 172);
  EXPECT_EQ(noteBelow.swatches[0].top, 173);
}

}  // namespace
}  // namespace lumora
