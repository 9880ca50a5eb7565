#include "core/view/image_info.h"

#include <gtest/gtest.h>

#include "core/support/string_table.h"

namespace lumora {
namespace {

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
