#include "core/view/display_loader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "core/imagefile/settings_file.h"
#include "core/support/string_table.h"
#include "core/view/image_info.h"
#include "tests/support/temp_dir.h"
#include "tests/support/view_reference.h"

namespace lumora {
namespace {

using test::TestBand;

TEST(DisplayLoader, AutomaticStepKeepsTheBitmapSmall) {
  struct Case {
    int pixels, lines, step, width, height;
  } cases[] = {
      {3000, 2000, 3, 1000, 666},   // wider than 1024 at steps 1 and 2
      {1024, 1400, 2, 512, 700},    // 4,300,800 bytes at step 1
      {1024, 1365, 1, 1024, 1365},  // 4,193,280 bytes: just fits
      {1025, 10, 2, 512, 5},       {1, 1, 1, 1, 1},       {1, 5000, 1, 1, 5000},
      {10240, 100, 10, 1024, 10},  {10250, 100, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pixels << "x" << c.lines);
    const AreaRect area{0, c.lines, 0, c.pixels};
    EXPECT_EQ(AutomaticStep(area), c.step);
    DisplayState s;
    s.m_nStep = -1;
    Dib dib;
    RecordingMessenger m;
    if (c.step == 0) {
      EXPECT_FALSE(AllocateDisplayImage(s, area, dib, m));
      EXPECT_EQ(m.LastId(), kMsgNoMemory);
      continue;
    }
    ASSERT_TRUE(AllocateDisplayImage(s, area, dib, m));
    EXPECT_EQ(s.m_nStep, c.step);
    if (c.width) {
      EXPECT_EQ(s.m_nDibWidth, c.width);
      EXPECT_EQ(s.m_nDibHeight, c.height);
      EXPECT_EQ(dib.SizeBytes(), Dib::StrideFor(c.width) * c.height);
    }
  }
}

TEST(DisplayLoader, ChannelScaleMinimumSpanAndClamps) {
  const ChannelScale wide = MakeChannelScale(0.0f, 65535.0f);
  EXPECT_EQ(MapSample(0.0f, wide), 0);
  EXPECT_EQ(MapSample(65535.0f, wide), 255);
  EXPECT_EQ(MapSample(256.0f, wide), 0);  // 0.99610895 in float
  EXPECT_EQ(MapSample(257.0f, wide), 1);
  EXPECT_EQ(MapSample(770.0f, wide), 2);
  const ChannelScale flat = MakeChannelScale(3.0f, 3.0f);
  EXPECT_GT(flat.hi, flat.lo);
  EXPECT_EQ(MapSample(3.0f, flat), 0);
  EXPECT_EQ(MapSample(4.0f, flat), 255);
  EXPECT_EQ(MapSample(-1e30f, flat), 0);
  EXPECT_EQ(MapSample(std::numeric_limits<float>::quiet_NaN(), flat), 0);
  EXPECT_EQ(MapSample(std::numeric_limits<float>::infinity(), flat), 255);
}

struct Loaded {
  bool ok = false;
  DisplayState state;
  Dib dib;
  RecordingMessenger messenger;
};

Loaded Load(const std::string& inf, int pixels, int lines, std::array<int, 3> bands,
            std::array<int, 3> types, AreaRect area, int step) {
  Loaded out;
  out.state.m_strSettingsPath = inf;
  out.state.m_nImagePixels = pixels;
  out.state.m_nImageLines = lines;
  out.state.m_nBlueBand = bands[0] - 1;
  out.state.m_nGreenBand = bands[1] - 1;
  out.state.m_nRedBand = bands[2] - 1;
  out.state.m_nBlueType = types[0];
  out.state.m_nGreenType = types[1];
  out.state.m_nRedType = types[2];
  out.state.m_nStep = step;
  Progress progress;
  out.ok = AllocateDisplayImage(out.state, area, out.dib, out.messenger) &&
           ReadDisplayChannels(out.state, area, true, out.dib, out.messenger, progress);
  return out;
}

void ExpectSameAsReference(const Loaded& got, const test::ReferenceDisplay& want) {
  ASSERT_EQ(got.dib.width, want.width);
  ASSERT_EQ(got.dib.height, want.height);
  EXPECT_TRUE(got.dib.bits == want.bits);
  EXPECT_EQ(got.state.m_fDispMin, want.dispMin);
  EXPECT_EQ(got.state.m_fDispMax, want.dispMax);
}

// Every sample type, areas and steps, short files: the streaming loader and
// the whole-file reference agree to the bit.
TEST(DisplayLoader, MatchesReferenceForTypesAreasAndSteps) {
  test::TempDir dir;
  const int W = 257, H = 131;
  std::vector<uint16_t> wide(W * H);
  std::vector<float> real(W * H);
  for (int i = 0; i < W * H; ++i) {
    wide[i] = static_cast<uint16_t>(i * 977u);
    real[i] = std::sin(i * 0.01f) * 1000.0f + (i % 7);
  }
  std::vector<uint8_t> shortBand = test::NoiseBytes(W * H - W * 10 - 3, 9);
  const std::map<int, TestBand> bands = {
      {1, {1, test::NoiseBytes(W * H, 1)}},
      {2, {2, test::Bytes16(wide)}},
      {3, {3, test::BytesFloat(real)}},
      {4, {1, shortBand}},
      {5, {3, test::BytesFloat({1.0f, 2.0f, 3.0f})}},  // almost empty float band
  };
  const std::string inf = test::WriteTestImage(dir / "img", W, H, bands);
  struct Case {
    int bands[3];
    AreaRect area;
    int step;
  } cases[] = {
      {{1, 2, 3}, {0, H, 0, W}, 1},      {{3, 2, 1}, {0, H, 0, W}, 3},
      {{1, 1, 1}, {5, 100, 7, 200}, 2},  {{4, 4, 4}, {0, H, 0, W}, 1},
      {{4, 3, 2}, {3, 128, 1, 255}, 10}, {{5, 1, 5}, {0, H, 0, W}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.bands[0] << c.bands[1] << c.bands[2] << " step " << c.step);
    std::array<int, 3> types;
    const TestBand* refs[3];
    for (int k = 0; k < 3; ++k) {
      refs[k] = &bands.at(c.bands[k]);
      types[k] = refs[k]->type;
    }
    const Loaded got = Load(inf, W, H, {c.bands[0], c.bands[1], c.bands[2]}, types, c.area, c.step);
    ASSERT_TRUE(got.ok);
    ExpectSameAsReference(got,
                          test::ReferenceLoad(refs, W, c.area.m_nAreaTop, c.area.m_nAreaLines,
                                              c.area.m_nAreaLeft, c.area.m_nAreaPixels, c.step));
  }
}

TEST(DisplayLoader, FloatGridSkipsFirstByte255AndNonFinite) {
  test::TempDir dir;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  // 10.0f has first byte 0; a value whose low byte is 255 is left out.
  float marked;
  const uint32_t bits = 0x42C800FFu;  // about 100.0, first stored byte 255
  std::memcpy(&marked, &bits, 4);
  struct Case {
    std::vector<float> samples;
    float lo, hi;
  } cases[] = {
      {{10.0f, marked, 20.0f, 30.0f}, 10.0f, 30.0f},
      {{nan, 5.0f, -inf, 7.0f}, 5.0f, 7.0f},
      {{nan, nan, nan, nan}, 0.0f, 0.0f},
      {{marked, marked, marked, marked}, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    const std::string path = dir / "f.r01";
    test::WriteFile(path,
                    std::string(reinterpret_cast<const char*>(test::BytesFloat(c.samples).data()),
                                c.samples.size() * 4));
    float lo = -1, hi = -1;
    FloatGridRange(path, 2, AreaRect{0, 2, 0, 2}, 2, 2, lo, hi);
    EXPECT_EQ(lo, c.lo);
    EXPECT_EQ(hi, c.hi);
  }
}

TEST(DisplayLoader, BandsFullOfNanOr255FirstBytesLoadAsBlack) {
  test::TempDir dir;
  std::vector<float> nans(6 * 4, std::numeric_limits<float>::quiet_NaN());
  std::vector<uint8_t> marked(6 * 4 * 4, 255);
  const std::string inf =
      test::WriteTestImage(dir / "f", 6, 4, {{1, {3, test::BytesFloat(nans)}}, {2, {3, marked}}});
  for (int band : {1, 2}) {
    const Loaded got = Load(inf, 6, 4, {band, band, band}, {3, 3, 3}, {0, 4, 0, 6}, 1);
    ASSERT_TRUE(got.ok);
    // NaN maps to 0; 0xffffffff is a NaN too.
    for (uint8_t b : got.dib.bits) EXPECT_EQ(b, 0);
  }
}

TEST(DisplayLoader, MissingBandKeepsChannelsReadSoFar) {
  test::TempDir dir;
  const std::string inf =
      test::WriteTestImage(dir / "m", 4, 2, {{1, {1, std::vector<uint8_t>(8, 40)}}});
  const Loaded got = Load(inf, 4, 2, {1, 7, 1}, {1, 1, 1}, {0, 2, 0, 4}, 1);
  EXPECT_FALSE(got.ok);
  EXPECT_EQ(got.messenger.LastId(), kMsgOpenFailed);
  ASSERT_EQ(got.dib.width, 4);
  EXPECT_EQ(got.dib.StoredRow(0)[0], 40);  // blue was read
  EXPECT_EQ(got.dib.StoredRow(0)[1], 0);   // green was not
  EXPECT_EQ(got.dib.StoredRow(0)[2], 0);
}

TEST(DisplayLoader, OnePixelAndOneLineImages) {
  test::TempDir dir;
  const std::string one = test::WriteTestImage(dir / "one", 1, 1, {{1, {1, {77}}}});
  const Loaded got = Load(one, 1, 1, {1, 1, 1}, {1, 1, 1}, {0, 1, 0, 1}, -1);
  ASSERT_TRUE(got.ok);
  EXPECT_EQ(got.dib.bits, (std::vector<uint8_t>{77, 77, 77, 0}));
  EXPECT_EQ(got.state.m_fDispMin, 77.0f);
  EXPECT_EQ(got.state.m_fDispMax, 77.0f);

  const std::string line =
      test::WriteTestImage(dir / "line", 3000, 1, {{1, {1, test::NoiseBytes(3000, 3)}}});
  const Loaded wide = Load(line, 3000, 1, {1, 1, 1}, {1, 1, 1}, {0, 1, 0, 3000}, -1);
  // Step 3 would leave no line: the loader finds no bitmap.
  EXPECT_FALSE(wide.ok);
  EXPECT_EQ(wide.messenger.LastId(), kMsgNoMemory);
}

TEST(DisplayLoader, TitleAndFrame) {
  DisplayState s;
  s.m_nStep = 1;
  s.m_nRedBand = 2;
  s.m_nGreenBand = 1;
  s.m_nBlueBand = 0;
  EXPECT_EQ(DisplayTitle("/d/tokyo.inf", s, AreaRect{0, 512, 0, 512}),
            "*/d/tokyo.inf 1/1 (1,1)-(512,512) (R,G,B)=(3,2,1)");
  s.m_nStep = 3;
  EXPECT_EQ(DisplayTitle("a.inf", s, AreaRect{10, 20, 5, 30}),
            "*a.inf 1/3 (6,11)-(35,30) (R,G,B)=(3,2,1)");
  const FrameSize fit = FitFrame(1000, 666, 12, 40, 1280, 700);
  EXPECT_EQ(fit.width, 1012);
  EXPECT_EQ(fit.height, 660);
}

TEST(DisplayLoader, BirdsEyeLegendAndRangeComeFromItsFile) {
  test::TempDir dir;
  DisplayState s;
  s.m_nFileState = kStateBirdsEye;
  s.m_strSettingsPath = dir / "bird.inf";
  s.m_fDispMin = 1;
  s.m_fDispMax = 2;
  EXPECT_EQ(DecideOpenLegend(s), LegendKind::kNone);  // no .brd: dropped, range kept
  EXPECT_EQ(s.m_fDispMin, 1.0f);
  test::WriteFile(dir / "bird.brd", "State = 1\nMax_Val = 180\nMin_Val = -3\n");
  EXPECT_EQ(DecideOpenLegend(s), LegendKind::kVegetation);
  EXPECT_EQ(s.m_fDispMin, -3.0f);
  EXPECT_EQ(s.m_fDispMax, 180.0f);
  test::WriteFile(dir / "bird.brd", "State = 5\nMax_Val = 9\nMin_Val = 0\n");
  s.m_bRainbow = true;
  EXPECT_EQ(DecideOpenLegend(s), LegendKind::kColourRamp);
}

TEST(ImageInfo, SensorAndSizeTexts) {
  ImageSettings s;
  s.sensor = kSensorTm;
  EXPECT_EQ(MakeImageInfoTexts(s, 0, 0).sensor,
            "撮像センサ\t：ランドサット衛星\n　　　　　　\t　TMセンサ");
  s.sensor = kSensorMss;
  EXPECT_EQ(MakeImageInfoTexts(s, 0, 0).sensor,
            "撮像センサ\t：ランドサット衛星\n　　　　　　\t　MMSセンサ");
  s.sensor = 7;  // anything else is the ASTER text
  const ImageInfoTexts t = MakeImageInfoTexts(s, 640, 480);
  EXPECT_EQ(t.sensor, "撮像センサ\t：テラ衛星\n　　　　　\t　アスターセンサ");
  EXPECT_EQ(t.size, "画像サイズ\t横：640 pixel\n　　　　　\t縦：480 pixel");
}

TEST(ImageInfo, PositionPixelLengthAndInclination) {
  ImageSettings s;
  s.leftTopLon = 139.5;
  s.leftTopLat = -33.25;
  s.lengthPerPixel = 0.0285;
  s.inclination = -12.345;
  const ImageInfoTexts t = MakeImageInfoTexts(s, 1, 1);
  EXPECT_EQ(t.position, "画像左上経緯度\n\t東経：139°30’00.00\n\t南緯： 33°15’00.00\n");
  EXPECT_EQ(t.pixelLength, "１ピクセル当たりの長さ\t：28.50 m");
  EXPECT_EQ(t.inclination, "画像と経緯線との傾き\t：-12.35°");

  s.leftTopLon = -0.5;
  s.leftTopLat = 500.0;  // not set: shown as it is
  EXPECT_EQ(MakeImageInfoTexts(s, 1, 1).position,
            "画像左上経緯度\n\t西経：  0°30’00.00\n\t北緯：500° 0’00.00\n");

  // The same numbers in English.
  SetLanguage(Language::kEnglish);
  const ImageInfoTexts e = MakeImageInfoTexts(s, 640, 480);
  SetLanguage(Language::kJapanese);
  EXPECT_EQ(e.position, "Top left corner\n\tWest:   0°30’00.00\n\tNorth: 500° 0’00.00\n");
  EXPECT_EQ(e.size, "Image size\tWidth: 640 pixel\n\tHeight: 480 pixel");
  EXPECT_EQ(e.pixelLength, "Length of one pixel\t: 28.50 m");
  EXPECT_EQ(e.inclination, "Tilt to the grid\t: -12.35°");
}

TEST(ImageInfo, SecondsNeverShowSixty) {
  struct Case {
    double v;
    int d, m;
    double sec;
  } cases[] = {
      {139.5, 139, 30, 0.0},
      {35.0 + 59.0 / 60 + 59.999 / 3600, 36, 0, 0.0},  // would print 59'60.00
      {10.0 + 12.0 / 60 + 34.5 / 3600, 10, 12, 34.5},
      {-(1.0 + 59.9999 / 3600), 1, 1, 0.0},
  };
  for (const Case& c : cases) {
    const DegMinSec r = SplitDegrees(c.v);
    EXPECT_EQ(r.degrees, c.d) << c.v;
    EXPECT_EQ(r.minutes, c.m) << c.v;
    EXPECT_NEAR(r.seconds, c.sec, 1e-6) << c.v;
    EXPECT_EQ(r.negative, c.v < 0);
  }
}

}  // namespace
}  // namespace lumora
