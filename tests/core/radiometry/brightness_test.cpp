#include "core/radiometry/brightness.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

// A display image whose pixels are given top row first as (blue, green, red).
Dib MakeDib(int w, int h, const std::vector<std::array<uint8_t, 3>>& pixels) {
  Dib d;
  EXPECT_TRUE(d.Create(w, h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) d.TopRow(y)[x * 3 + c] = pixels[y * w + x][c];
  return d;
}

// A histogram with the given counts per level.
Histogram Counts(std::initializer_list<std::pair<int, uint32_t>> levels) {
  Histogram h;
  for (auto [level, n] : levels) {
    h.counts[level] += n;
    h.total += n;
  }
  return h;
}

TEST(StretchTable, CornerCasesAndCorrections) {
  struct Case {
    StretchValues in;
    StretchValues stored;  // after the equal-input correction
    int level;
    int entry;
  } cases[] = {
      {{0, 0, 255, 0}, {1, 0, 255, 0}, 0, 0},  // slope 255 over 1
      {{0, 0, 255, 0}, {1, 0, 255, 0}, 1, 255},
      {{255, 255, 255, 0}, {255, 254, 255, 0}, 254, 0},
      {{255, 255, 255, 0}, {255, 254, 255, 0}, 255, 255},
      {{255, 0, 100, 200}, {255, 0, 100, 200}, 0, 200},  // output low above high: flat
      {{255, 0, 100, 200}, {255, 0, 100, 200}, 255, 200},
      {{50, 200, 255, 0}, {50, 200, 255, 0}, 49, 255},  // inverted
      {{50, 200, 255, 0}, {50, 200, 255, 0}, 201, 0},
      {{50, 200, 255, 0}, {50, 200, 255, 0}, 125, 128},  // 255 - 75 * 1.7 + 0.5
      {{160, 40, 255, 0}, {160, 40, 255, 0}, 100, 128},  // (60 * 2.125) + 0.5
      {{255, 0, 255, 0}, {255, 0, 255, 0}, 77, 77},
  };
  for (const auto& c : cases) {
    StretchValues v = c.in;
    LookupTable t{};
    BuildStretchTable(v, t);
    EXPECT_EQ(v, c.stored);
    EXPECT_EQ(t[c.level], c.entry) << c.in.inHigh << "," << c.in.inLow << "," << c.in.outHigh << ","
                                   << c.in.outLow << " level " << c.level;
  }
}

TEST(AutoStretch, MeanPlusMinusThreeDeviations) {
  // Half the samples at mean - sd, half at mean + sd.
  EXPECT_EQ(AutoStretch(Counts({{80, 500}, {120, 500}}), true), (StretchValues{160, 40, 255, 0}));
  EXPECT_EQ(AutoStretch(Counts({{40, 500}, {160, 500}}), true), (StretchValues{255, 0, 255, 0}));
  // Black counts only when it is not excluded.
  const Histogram withBlack = Counts({{0, 1000}, {80, 500}, {120, 500}});
  EXPECT_EQ(AutoStretch(withBlack, true), (StretchValues{160, 40, 255, 0}));
  EXPECT_EQ(AutoStretch(withBlack, false).inLow, 0);
  EXPECT_EQ(AutoStretch(withBlack, false).inHigh, 205);  // 50 + 3 * sqrt(2700)
  // Truncation toward zero: mean 10.5, sd 0.5 -> 12.0 and 9.0.
  EXPECT_EQ(AutoStretch(Counts({{10, 1}, {11, 1}}), false), (StretchValues{12, 9, 255, 0}));
  // Nothing counted: the full range, which changes nothing.
  EXPECT_EQ(AutoStretch(Counts({{0, 1000}}), true), (StretchValues{}));
  EXPECT_EQ(AutoStretch(Histogram{}, false), (StretchValues{}));
}

TEST(Histogram, ChannelsAllChannelsPaddingAndPeak) {
  // Width 3: rows carry 3 padding bytes that must not count as black.
  const Dib d = MakeDib(3, 2, {{0, 5, 9}, {0, 5, 9}, {0, 7, 9}, {1, 5, 9}, {0, 5, 9}, {0, 5, 0}});
  const Histogram blue = ComputeHistogram(d, 0, true);
  EXPECT_EQ(blue.total, 6);
  EXPECT_EQ(blue.counts[0], 5u);
  EXPECT_EQ(blue.peak, 1u);  // level 0 is left out of the peak
  EXPECT_EQ(ComputeHistogram(d, 0, false).peak, 5u);
  EXPECT_EQ(ComputeHistogram(d, 1, true).counts[5], 5u);
  const Histogram all = ComputeHistogram(d, kAllChannels, false);
  EXPECT_EQ(all.total, 18);
  EXPECT_EQ(all.counts[0], 6u);
  EXPECT_EQ(all.counts[9], 5u);
  EXPECT_EQ(all.peak, 6u);
}

TEST(Equalisation, CumulativeShareKeepsEntryZero) {
  const Histogram h = Counts({{0, 2}, {10, 3}, {200, 4}, {255, 1}});
  LookupTable t{};
  t[0] = 17;  // what an earlier stretch left there
  BuildEqualisationTable(h, t);
  EXPECT_EQ(t[0], 17);
  EXPECT_EQ(t[9], 51);    // 2 / 10 * 255
  EXPECT_EQ(t[10], 128);  // 5 / 10 * 255 = 127.5 -> 128
  EXPECT_EQ(t[199], 128);
  EXPECT_EQ(t[200], 230);  // 229.5 -> 230
  EXPECT_EQ(t[254], 230);
  EXPECT_EQ(t[255], 255);
}

TEST(HistogramPanel, BarsAndCurveScaleToPeakAndTotal) {
  Histogram h = Counts({{0, 6}, {1, 3}, {255, 1}});
  h.peak = 3;                               // black excluded
  const PanelRect panel{10, 20, 524, 122};  // scale 2.0, height -100
  const auto bars = HistogramBars(h, true, panel);
  ASSERT_EQ(bars.size(), 255u);
  EXPECT_EQ(bars[0].level, 1);
  EXPECT_EQ(bars[0].x, 13);
  EXPECT_EQ(bars[0].top, 121 - 100);  // the peak reaches the top
  EXPECT_EQ(bars[0].curveY, 121 - 30);
  EXPECT_EQ(bars[1].top, 121);
  EXPECT_EQ(bars.back().x, 521);
  EXPECT_EQ(bars.back().curveY, 121 - 40);  // black still in the total
  EXPECT_EQ(ColourBarPenWidth(panel), 3);
  // Counts of a big image times the panel height do not wrap.
  Histogram big = Counts({{7, 4'000'000'000u}});
  big.peak = big.counts[7];
  EXPECT_EQ(HistogramBars(big, false, panel)[7].top, 21);
}

TEST(MapThroughTables, RewritesEachChannelByItsTableAndLeavesPaddingZero) {
  const Dib d = MakeDib(3, 1, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
  LookupTables t = IdentityTables();
  for (int i = 0; i < 256; ++i) t[0][i] = static_cast<uint8_t>(255 - i), t[2][i] = i / 2;
  Dib out;
  RecordingMessenger m;
  Progress p;
  ASSERT_TRUE(MapThroughTables(d, t, out, m, p));
  EXPECT_EQ(out.bits, (std::vector<uint8_t>{254, 2, 1, 251, 5, 3, 248, 8, 4, 0, 0, 0}));
}

// An opened 4 x 2 image of three bands (blue = band 1, green 2, red 3).
class BrightnessCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string inf = dir / "x.inf";
    test::WriteFile(inf, "LINE = 2\nPIXEL = 4\n");
    test::WriteFile(dir / "x.b01", std::string("\x50\x78\x50\x78\x50\x78\x50\x78", 8));
    test::WriteFile(dir / "x.b02", std::string(8, 'd'));  // all 100
    test::WriteFile(dir / "x.b03", std::string("\x00\x1e\x3c\x5a\x78\x96\xb4\xd2", 8));
    ImageSettings settings;
    ASSERT_TRUE(ReadSettings(inf, settings, m));
    WorkingFiles files;
    files.workDir = dir.path().string() + "/";
    files.names[0] = "0x";
    files.names[1] = "1x";
    files.currentSettingsPath = files.openedSettingsPath = inf;
    ASSERT_TRUE(session.Open(ComposeOnOpen(inf, settings), files, m, p));
  }
  test::TempDir dir;
  RecordingMessenger m;
  Progress p;
  ImageSession session;
};

TEST_F(BrightnessCommands, AutomaticRecordsItsValuesKeepsTheOldImageAndUndoes) {
  const Dib before = session.Display();
  session.StretchStart()[0] = {10, 5, 250, 3};
  ASSERT_TRUE(AutomaticBrightness(session, m, p));
  EXPECT_EQ(session.StretchStart(), kIdentityStretch);
  EXPECT_EQ(session.StretchApplied()[0], (StretchValues{160, 40, 255, 0}));
  // A flat channel: the rule's equal inputs are recorded, the table is
  // built from the corrected ones.
  EXPECT_EQ(session.StretchApplied()[1], (StretchValues{100, 100, 255, 0}));
  EXPECT_EQ(session.Lut(1)[100], 0);
  EXPECT_EQ(session.Lut(1)[101], 255);
  EXPECT_EQ(session.Lut(0)[100], 128);
  ASSERT_NE(session.Previous(), nullptr);
  EXPECT_EQ(session.Previous()->bits, before.bits);
  EXPECT_EQ(session.Display().TopRow(0)[0], session.Lut(0)[80]);
  EXPECT_FALSE(session.State().m_bProcessed);
  // Undo offers the applied values as the start and puts back identity tables.
  const StretchSet applied = session.StretchApplied();
  ASSERT_TRUE(session.Undo(m));
  EXPECT_EQ(session.StretchStart(), applied);
  EXPECT_EQ(session.Lut(0), IdentityTables()[0]);
  EXPECT_EQ(session.Display().bits, before.bits);

  // Equalisation keeps the stretch values and each table's entry 0.
  ASSERT_TRUE(AutomaticBrightness(session, m, p));
  const uint8_t entry0 = session.Lut(2)[0];
  ASSERT_TRUE(EqualiseBrightness(session, m, p));
  EXPECT_EQ(session.StretchApplied(), applied);
  EXPECT_EQ(session.Lut(2)[0], entry0);
}

TEST(BrightnessCommandsWithoutImage, NoMemoryChangesNothing) {
  ImageSession empty;
  RecordingMessenger m;
  Progress p;
  empty.Lut(0)[5] = 9;
  EXPECT_FALSE(AutomaticBrightness(empty, m, p));
  EXPECT_EQ(m.LastId(), 61233);
  EXPECT_EQ(empty.Lut(0)[5], 9);
  EXPECT_EQ(empty.StretchApplied(), kIdentityStretch);
}

TEST(BrightnessDialog, ChannelsStoreEditsOnlyForOneColour) {
  const Dib d = MakeDib(2, 1, {{80, 90, 100}, {120, 110, 100}});
  StretchSet start{};
  start[0] = {200, 10, 255, 0};
  BrightnessDialogState dlg(d, false, start);
  EXPECT_EQ(dlg.Channel(), 0);
  EXPECT_EQ(dlg.Edits(), start[0]);
  EXPECT_FALSE(dlg.SetEdits({256, 0, 255, 0}));
  EXPECT_TRUE(dlg.SetEdits({150, 20, 255, 0}));
  dlg.SelectChannel(2);
  EXPECT_EQ(dlg.Values()[0], (StretchValues{150, 20, 255, 0}));
  EXPECT_EQ(dlg.CurrentHistogram().counts[100], 2u);
  dlg.SetEdits({100, 100, 255, 0});
  dlg.SelectAllChannels();
  EXPECT_EQ(dlg.Edits(), (StretchValues{}));
  EXPECT_FALSE(dlg.EditsEnabled());
  EXPECT_EQ(dlg.CurrentHistogram().total, 6);
  LookupTables t{};
  dlg.Ok(t);  // the full range shown is not stored
  EXPECT_EQ(dlg.Values()[2], (StretchValues{101, 100, 255, 0}));  // corrected and stored
  EXPECT_EQ(t[2][100], 0);
  EXPECT_EQ(t[2][101], 255);

  // Automatic from the three-colour view: values per channel, edits full range.
  dlg.Automatic(t);
  EXPECT_EQ(dlg.Channel(), kAllChannels);
  EXPECT_EQ(dlg.Edits(), (StretchValues{}));
  EXPECT_EQ(dlg.Values()[0], (StretchValues{160, 40, 255, 0}));
}

TEST(BrightnessDialog, SingleBandGivesAllChannelsTheSameTable) {
  const Dib d = MakeDib(2, 1, {{80, 80, 80}, {120, 120, 120}});
  BrightnessDialogState dlg(d, true, kIdentityStretch);
  EXPECT_EQ(dlg.Channel(), kAllChannels);
  EXPECT_TRUE(dlg.EditsEnabled());
  dlg.SetEdits({200, 50, 255, 0});
  LookupTables t{};
  dlg.Ok(t);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(dlg.Values()[c], (StretchValues{200, 50, 255, 0}));
  EXPECT_EQ(t[0], t[2]);
  dlg.Automatic(t);
  EXPECT_EQ(dlg.Edits(), (StretchValues{160, 40, 255, 0}));
  EXPECT_EQ(t[1], t[2]);
}

TEST(BrightnessDialog, MarkersPickMoveAndClamp) {
  const Dib d = MakeDib(1, 1, {{10, 20, 30}});
  BrightnessDialogState dlg(d, false, {});
  dlg.SelectChannel(0);
  dlg.SetEdits({200, 50, 180, 20});
  // Bar from 10 to 524: scale 2.0, level v at 11 + 2v; strip 0..600 x 100..120.
  const BrightnessDialogState::MarkerGeometry g{10, 524, 0, 100, 600, 120};
  EXPECT_EQ(BrightnessDialogState::LevelAt(111, g), 50);
  EXPECT_EQ(BrightnessDialogState::LevelAt(112, g), 51);  // 50.5 rounds up
  EXPECT_EQ(BrightnessDialogState::PositionOf(200, g), 411);
  struct Case {
    int x, y;
    BrightnessDialogState::Drag drag;
  } cases[] = {
      {50, 105, BrightnessDialogState::kInputLow},    // left of input low (111)
      {500, 109, BrightnessDialogState::kInputHigh},  // right of input high (411)
      {200, 105, BrightnessDialogState::kInputLow},   // nearer the low one
      {261, 105, BrightnessDialogState::kInputHigh},  // tie: the high one
      {60, 110, BrightnessDialogState::kOutputLow},   // lower half: output markers
      {380, 119, BrightnessDialogState::kOutputHigh},
  };
  for (const auto& c : cases) {
    BrightnessDialogState fresh = dlg;
    EXPECT_TRUE(fresh.PressMarker(c.x, c.y, g)) << c.x << "," << c.y;
    EXPECT_EQ(fresh.CurrentDrag(), c.drag) << c.x << "," << c.y;
  }
  EXPECT_FALSE(dlg.PressMarker(50, 99, g));  // outside the strip
  ASSERT_TRUE(dlg.PressMarker(5, 105, g));
  EXPECT_EQ(dlg.Edits().inLow, 0);  // level -2 clamped to 0
  dlg.MoveMarker(600, g);
  EXPECT_EQ(dlg.Edits().inLow, 200);  // no further than its partner
  dlg.ReleaseMarker();
  EXPECT_FALSE(dlg.MoveMarker(100, g));
  dlg.SelectAllChannels();
  EXPECT_FALSE(dlg.PressMarker(50, 105, g));  // no markers for three colours
}

}  // namespace
}  // namespace lumora
