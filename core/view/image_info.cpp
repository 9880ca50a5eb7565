#include "core/view/image_info.h"

#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora {

DegMinSec SplitDegrees(double value) {
  DegMinSec r;
  const int d = static_cast<int>(value);
  const int m = static_cast<int>((value - d) * 60);
  const double s = ((value - d) * 60 - m) * 60;
  r.negative = value < 0;
  r.degrees = r.negative ? -d : d;
  r.minutes = r.negative ? -m : m;
  r.seconds = (r.negative ? -s : s) + 0.0;  // no "-0.00" for a negated zero
  // "%05.2f" would show 59.996 as 60.00; the carry keeps the minute right.
  if (r.seconds >= 59.995) {
    r.seconds = 0.0;
    if (++r.minutes == 60) {
      r.minutes = 0;
      ++r.degrees;
    }
  }
  return r;
}

namespace {

// The words of the window in one language; formats take the numbers.
struct InfoWords {
  const char* tm;
  const char* mss;
  const char* aster;
  const char* size;  // pixels, lines
  const char* pixelLength;
  const char* corner;
  const char* east;
  const char* west;
  const char* north;
  const char* south;
  const char* colon;
  const char* inclination;
};

constexpr InfoWords kJapanese = {
    "撮像センサ\t：ランドサット衛星\n　　　　　　\t　TMセンサ",
    "撮像センサ\t：ランドサット衛星\n　　　　　　\t　MMSセンサ",
    "撮像センサ\t：テラ衛星\n　　　　　\t　アスターセンサ",
    "画像サイズ\t横：%d pixel\n　　　　　\t縦：%d pixel",
    "１ピクセル当たりの長さ\t：%.2lf m",
    "画像左上経緯度\n",
    "東経",
    "西経",
    "北緯",
    "南緯",
    "：",
    "画像と経緯線との傾き\t：%.2f°",
};

constexpr InfoWords kEnglish = {
    "Sensor\t: Landsat satellite\n\t  TM sensor",
    "Sensor\t: Landsat satellite\n\t  MSS sensor",
    "Sensor\t: Terra satellite\n\t  ASTER sensor",
    "Image size\tWidth: %d pixel\n\tHeight: %d pixel",
    "Length of one pixel\t: %.2lf m",
    "Top left corner\n",
    "East",
    "West",
    "North",
    "South",
    ": ",
    "Tilt to the grid\t: %.2f°",
};

std::string DmsLine(const char* label, const char* colon, const DegMinSec& v) {
  return Format("\t%s%s%3d°%2d’%05.2f\n", label, colon, v.degrees, v.minutes, v.seconds);
}

}  // namespace

ImageInfoTexts MakeImageInfoTexts(const ImageSettings& settings, int pixels, int lines) {
  const InfoWords& w = CurrentLanguage() == Language::kEnglish ? kEnglish : kJapanese;
  ImageInfoTexts t;
  switch (settings.sensor) {
    case kSensorTm: t.sensor = w.tm; break;
    case kSensorMss: t.sensor = w.mss; break;
    default: t.sensor = w.aster; break;
  }
  t.size = Format(w.size, pixels, lines);
  t.pixelLength = Format(w.pixelLength, settings.lengthPerPixel * 1000);
  const DegMinSec lon = SplitDegrees(settings.leftTopLon);
  const DegMinSec lat = SplitDegrees(settings.leftTopLat);
  t.position = w.corner + DmsLine(lon.negative ? w.west : w.east, w.colon, lon) +
               DmsLine(lat.negative ? w.south : w.north, w.colon, lat);
  t.inclination = Format(w.inclination, settings.inclination);
  return t;
}

}  // namespace lumora
