#include "core/view/image_info.h"

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

static std::string DmsLine(const char* label, const DegMinSec& v) {
  return Format("\t%s：%3d°%2d’%05.2f\n", label, v.degrees, v.minutes, v.seconds);
}

ImageInfoTexts MakeImageInfoTexts(const ImageSettings& settings, int pixels, int lines) {
  ImageInfoTexts t;
  switch (settings.sensor) {
    case kSensorTm: t.sensor = "撮像センサ\t：ランドサット衛星\n　　　　　　\t　TMセンサ"; break;
    case kSensorMss: t.sensor = "撮像センサ\t：ランドサット衛星\n　　　　　　\t　MMSセンサ"; break;
    default: t.sensor = "撮像センサ\t：テラ衛星\n　　　　　\t　アスターセンサ"; break;
  }
  t.size = Format("画像サイズ\t横：%d pixel\n　　　　　\t縦：%d pixel", pixels, lines);
  t.pixelLength = Format("１ピクセル当たりの長さ\t：%.2lf m", settings.lengthPerPixel * 1000);
  const DegMinSec lon = SplitDegrees(settings.leftTopLon);
  const DegMinSec lat = SplitDegrees(settings.leftTopLat);
  t.position = "画像左上経緯度\n" + DmsLine(lon.negative ? "西経" : "東経", lon) +
               DmsLine(lat.negative ? "南緯" : "北緯", lat);
  t.inclination = Format("画像と経緯線との傾き\t：%.2f°", settings.inclination);
  return t;
}

}  // namespace lumora
