// The image writers' files read back with Qt's image readers.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "core/output/image_file_writer.h"
#include "core/output/jpeg_encoder.h"
#include "core/output/tiff_writer.h"
#include "core/support/messenger.h"
#include "tests/support/jpeg_reference.h"

namespace lumora {
namespace {

// Read-back pixels as RGB bytes, top line first.
std::vector<uint8_t> ImageRgb(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  std::vector<uint8_t> out;
  for (int y = 0; y < rgb.height(); ++y) {
    const uchar* line = rgb.constScanLine(y);
    out.insert(out.end(), line, line + rgb.width() * 3);
  }
  return out;
}

// Floors in dB for the smooth test picture with brightness edges: the writer
// samples chroma from one pixel of four and truncates, so it stays a few dB
// below a rounding encoder; a swapped channel or a shifted block falls far
// below these.
TEST(QtReadBack, JpegDecodesAboveTheQualityFloor) {
  const int w = 157, h = 93;
  const auto bits = test::TestPicture(w, h, 4, 6, 9);
  const BitmapHeader header{w, h, 24, 0, kScreenPelsPerMeter, kScreenPelsPerMeter};
  const struct {
    float ratio;
    double floor;
  } cases[] = {{0.0f, 34.0}, {JpegRatioFromSlider(50), 25.0}, {1.0f, 22.0}};
  for (const auto& c : cases) {
    RecordingMessenger m;
    CJpegEncoder enc(m);
    std::string file;
    ASSERT_TRUE(enc.ReadData(bits, &header, 0));
    ASSERT_TRUE(enc.Encode(c.ratio, file));
    QImage image;
    ASSERT_TRUE(
        image.loadFromData(QByteArray(file.data(), static_cast<qsizetype>(file.size())), "JPG"))
        << c.ratio;
    ASSERT_EQ(image.width(), w);
    ASSERT_EQ(image.height(), h);
    EXPECT_GE(test::Psnr(test::TopDownRgb(bits.data(), w, h, Dib::StrideFor(w)), ImageRgb(image)),
              c.floor)
        << c.ratio;
  }
}

TEST(QtReadBack, TiffGivesThePixelsBack) {
  if (!QImageReader::supportedImageFormats().contains("tiff"))
    GTEST_SKIP() << "Qt's TIFF reader is not installed";
  const int w = 31, h = 17;
  const auto bits = test::TestPicture(w, h, 4, 50, 4);
  const BitmapHeader header{w, h, 24, 0, kPageXPelsPerMeter, kPageYPelsPerMeter};
  RecordingMessenger m;
  CTiffWriter writer(m);
  std::string file;
  ASSERT_TRUE(writer.ReadData(bits, &header, 0));
  ASSERT_TRUE(writer.Encode(file));
  QImage image;
  ASSERT_TRUE(
      image.loadFromData(QByteArray(file.data(), static_cast<qsizetype>(file.size())), "TIF"));
  EXPECT_EQ(ImageRgb(image), test::TopDownRgb(bits.data(), w, h, Dib::StrideFor(w)));
  // 4761 pixels per metre.
  EXPECT_EQ(image.dotsPerMeterX(), 4761);
  EXPECT_EQ(image.dotsPerMeterY(), 4760);
}

}  // namespace
}  // namespace lumora
