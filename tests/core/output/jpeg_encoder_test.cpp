#include "core/output/jpeg_encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "core/support/messenger.h"
#include "core/support/string_table.h"
#include "core/support/vector_code.h"
#include "tests/support/jpeg_reference.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::Block;
using test::DecodeBaseline;
using test::TempDir;
using test::TestPicture;

struct Picture {
  int width, height, align;
  std::vector<uint8_t> bits;
  BitmapHeader header;
  Picture(int w, int h, int a, int noise, uint32_t seed, int32_t ppmX = 283, int32_t ppmY = 283)
      : width(w), height(h), align(a), bits(TestPicture(w, h, a, noise, seed)) {
    header = BitmapHeader{w, h, 24, 0, ppmX, ppmY};
  }
  int64_t Stride() const { return (int64_t{width} * 3 + align - 1) / align * align; }
};

// The encoded file; the encoder must not complain.
std::string Encode(const Picture& p, float ratio) {
  RecordingMessenger m;
  CJpegEncoder enc(m);
  std::string out;
  EXPECT_TRUE(enc.ReadData(p.bits, &p.header, p.align == 2 ? 1 : 0));
  EXPECT_TRUE(enc.Encode(ratio, out));
  EXPECT_TRUE(m.entries.empty());
  return out;
}

// The output of the installed reference encoder at quality 50, whose tables
// are the unscaled example tables of the standard.
std::string IndependentEncoderOutput(const TempDir& dir) {
  const std::string ppm = dir / "in.ppm", jpg = dir / "ref.jpg";
  test::WriteFile(ppm, std::string("P6 8 8 255\n") + std::string(192, '\x40'));
  const std::string cmd = "cjpeg -quality 50 -baseline -outfile '" + jpg + "' '" + ppm + "'";
  if (std::system(cmd.c_str()) != 0) return {};
  return test::ReadFile(jpg);
}

TEST(JpegLayout, SegmentsAndTheirFieldsAndTheDensity) {
  Picture p(20, 10, 4, 0, 1, 4761, 4760);
  const auto d = DecodeBaseline(Encode(p, 1.0f));
  ASSERT_EQ(d.error, "");
  std::vector<int> markers;
  for (const auto& s : d.segments) markers.push_back(s.first);
  EXPECT_EQ(markers, (std::vector<int>{0xFFE0, 0xFFDB, 0xFFDB, 0xFFC4, 0xFFC4, 0xFFC4, 0xFFC4,
                                       0xFFC0, 0xFFDA}));
  EXPECT_EQ(d.segments[0].second, std::string("JFIF\0\1\2\1\0\x78\0\x78\0\0", 14));
  EXPECT_EQ(d.segments[1].second[0], 0);
  EXPECT_EQ(d.segments[2].second[0], 1);
  const int dhtIds[4] = {0x00, 0x01, 0x10, 0x11};
  const size_t dhtSizes[4] = {29, 29, 179, 179};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(static_cast<uint8_t>(d.segments[3 + i].second[0]), dhtIds[i]);
    EXPECT_EQ(d.segments[3 + i].second.size(), dhtSizes[i]);
  }
  // Component identifiers 0, 1, 2; luminance sampled 2 x 2.
  EXPECT_EQ(d.segments[7].second,
            std::string("\x08\0\x0a\0\x14\x03\0\x22\0\x01\x11\x01\x02\x11\x01", 15));
  EXPECT_EQ(d.segments[8].second, std::string("\x03\0\0\x01\x11\x02\x11\0\x3f\0", 10));
  // The density is in dots per inch, within sixteen bits.
  const std::pair<int32_t, int> densities[] = {
      {4760, 120}, {283, 7},  {39, 0},
      {0, 0},      {-500, 0}, {std::numeric_limits<int32_t>::max(), 65535}};
  for (auto [ppm, dpi] : densities) {
    const std::string f = Encode(Picture(1, 1, 4, 0, 1, ppm, ppm), 1.0f);
    EXPECT_EQ(static_cast<uint8_t>(f[14]) << 8 | static_cast<uint8_t>(f[15]), dpi) << ppm;
    EXPECT_EQ(static_cast<uint8_t>(f[16]) << 8 | static_cast<uint8_t>(f[17]), dpi) << ppm;
  }
}

TEST(JpegTables, HuffmanAndQuantisationTablesMatchAnIndependentEncoder) {
  TempDir dir;
  const std::string ref = IndependentEncoderOutput(dir);
  if (ref.empty()) GTEST_SKIP() << "cjpeg is not installed";
  const auto r = DecodeBaseline(ref);
  ASSERT_EQ(r.error, "");
  Picture p(8, 8, 4, 0, 1);
  const auto ours = DecodeBaseline(Encode(p, 1.0f));
  std::map<int, std::string> refTables, ourTables;
  for (const auto& s : r.segments)
    if (s.first == 0xFFC4) refTables[static_cast<uint8_t>(s.second[0])] = s.second;
  for (const auto& s : ours.segments)
    if (s.first == 0xFFC4) ourTables[static_cast<uint8_t>(s.second[0])] = s.second;
  EXPECT_EQ(ourTables, refTables);
  ASSERT_EQ(r.quant.size(), 2u);

  // Divisors: trunc((Q - 1) * r + 1) in float; 0.0 gives ones, 1.0 the tables.
  for (float ratio : {0.0f, 1.0f, JpegRatioFromSlider(80), JpegRatioFromSlider(37), 0.5f}) {
    const auto d = DecodeBaseline(Encode(p, ratio));
    for (int t = 0; t < 2; ++t) {
      for (int k = 0; k < 64; ++k) {
        const float expected = (r.quant.at(t)[k] - 1) * ratio + 1;
        EXPECT_EQ(d.quant.at(t)[k], static_cast<int>(expected)) << ratio << " " << t << " " << k;
      }
    }
  }
}

struct ScanCase {
  const char* name;
  int width, height, align, noise;
  float ratio;
};

class JpegScan : public testing::TestWithParam<ScanCase> {};

// Every block of the scan, read back by a separate decoder, equals the plain
// quadruple-sum reference, and the scan ends in 1-bits and the end marker.
// (The other vector width writes the same bytes: JpegFastStages.)
TEST_P(JpegScan, CoefficientsMatchTheReference) {
  const ScanCase c = GetParam();
  Picture p(c.width, c.height, c.align, c.noise, 7);
  const auto d = DecodeBaseline(Encode(p, c.ratio));
  ASSERT_EQ(d.error, "");
  EXPECT_TRUE(d.fillAllOnes);
  EXPECT_EQ(d.width, c.width);
  EXPECT_EQ(d.height, c.height);
  const auto ref = test::ReferenceBlocks(p.bits.data(), p.width, p.height, p.Stride(),
                                         d.quant.at(0), d.quant.at(1));
  ASSERT_EQ(d.blocks.size(), ref.size());
  for (size_t i = 0; i < ref.size(); ++i) ASSERT_EQ(d.blocks[i], ref[i]) << "block " << i;
}

INSTANTIATE_TEST_SUITE_P(Pictures, JpegScan,
                         testing::Values(ScanCase{"OnePixel", 1, 1, 4, 0, 1.0f},
                                         ScanCase{"SeventeenSquare", 17, 17, 4, 0, 0.5f},
                                         ScanCase{"TwoByteRows", 33, 20, 2, 30, 1.0f},
                                         ScanCase{"NoisyBestQuality", 40, 37, 4, 128, 0.0f},
                                         ScanCase{"WideStrip", 130, 3, 4, 10, 0.8f}),
                         [](const auto& info) { return std::string(info.param.name); });

// Alternating black and white pixels push coefficients to their largest
// sizes; a one-pixel column of random black and white, replicated to 16
// columns, makes a scan well over twice the bitmap's 3 bytes per pixel.
TEST(JpegScan, ExtremePicturesStayWithinTheTablesAndGrowTheBuffer) {
  std::vector<Picture> pictures;
  for (int period : {1, 2, 4}) {
    Picture p(32, 32, 4, 0, 1);
    for (int row = 0; row < 32; ++row)
      for (int x = 0; x < 96; ++x)
        p.bits[static_cast<size_t>(row * 96 + x)] = ((row / period + x / 3 / period) % 2) ? 255 : 0;
    pictures.push_back(p);
  }
  Picture column(1, 1000, 4, 0, 11);
  uint32_t state = 12345;
  for (auto& b : column.bits) {
    state = state * 1664525u + 1013904223u;
    b = (state >> 31) ? 255 : 0;
  }
  pictures.push_back(column);
  for (const Picture& p : pictures) {
    const std::string file = Encode(p, 0.0f);
    const auto d = DecodeBaseline(file);
    ASSERT_EQ(d.error, "") << p.width;
    EXPECT_EQ(d.blocks, test::ReferenceBlocks(p.bits.data(), p.width, p.height, p.Stride(),
                                              d.quant.at(0), d.quant.at(1)))
        << p.width;
    if (p.width == 1) {
      EXPECT_GT(file.size(), 2u * 3000u);
    }
  }
}

// Decodes with the installed command-line decoder; a PSNR below the floor
// means colours, sampling or transform went wrong.
TEST(JpegDecode, IndependentDecoderReadsItBack) {
  TempDir dir;
  const struct {
    float ratio;
    double floor;
  } cases[] = {{0.0f, 34.0}, {0.5f, 25.0}, {1.0f, 22.0}};
  Picture p(203, 117, 4, 6, 5);
  for (const auto& c : cases) {
    RecordingMessenger m;
    const std::string jpg = dir / "out.jpg", ppm = dir / "out.ppm";
    CJpegEncoder enc(m);
    ASSERT_TRUE(enc.ReadData(p.bits, &p.header, 0));
    std::string refused;
    EXPECT_FALSE(enc.Encode(1.0f + c.ratio + 1e-3f, refused));  // quality ratios end at 1
    ASSERT_TRUE(enc.SaveJpeg(jpg, c.ratio));
    const std::string cmd = "djpeg -ppm -outfile '" + ppm + "' '" + jpg + "' 2>&1";
    if (std::system("command -v djpeg >/dev/null") != 0) GTEST_SKIP() << "djpeg is not installed";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string out = test::ReadFile(ppm);
    const std::string head = "P6\n203 117\n255\n";
    ASSERT_EQ(out.substr(0, head.size()), head);
    std::vector<uint8_t> decoded(out.begin() + static_cast<long>(head.size()), out.end());
    const auto source = test::TopDownRgb(p.bits.data(), 203, 117, p.Stride());
    ASSERT_EQ(decoded.size(), source.size());
    EXPECT_GE(test::Psnr(source, decoded), c.floor) << c.ratio;
  }
}

// The fast stages (both vector widths) write the plain stages' bytes: odd
// sizes leave partial vectors and MCUs, flat grey puts coefficients exactly
// on multiples of their divisors, and noise and hard edges reach the largest.
TEST(JpegFastStages, WriteThePlainBytes) {
  const struct {
    int width, height, align, noise;
  } sizes[] = {{1, 1, 4, 0}, {7, 9, 2, 40}, {13, 17, 4, 0}, {33, 20, 2, 128}, {130, 31, 4, 10}};
  std::vector<Picture> pictures;
  for (const auto& z : sizes) pictures.emplace_back(z.width, z.height, z.align, z.noise, 7);
  Picture grey(37, 18, 4, 0, 1), edges(24, 16, 4, 0, 1);
  std::fill(grey.bits.begin(), grey.bits.end(), uint8_t{130});
  for (size_t i = 0; i < edges.bits.size(); ++i) edges.bits[i] = (i / 3 + i / 72) % 2 ? 255 : 0;
  pictures.push_back(grey);
  pictures.push_back(edges);
  for (const bool wide : {true, false}) {
    AllowWideVectors(wide);
    for (const Picture& p : pictures)
      for (const float ratio : {0.0f, 0.37f, 1.0f}) {
        RecordingMessenger m;
        CJpegEncoder enc(m);
        ASSERT_TRUE(enc.ReadData(p.bits, &p.header, p.align == 2 ? 1 : 0));
        std::string fast, plain;
        ASSERT_TRUE(enc.Encode(ratio, fast));
        enc.UsePlainStages(true);
        ASSERT_TRUE(enc.Encode(ratio, plain));
        EXPECT_TRUE(fast == plain) << p.width << "x" << p.height << " " << ratio << " " << wide;
      }
  }
  AllowWideVectors(true);
}

// Byte-exact files guard against any change of the output.
TEST(JpegGolden, SmallPicturesAreByteExact) {
  const struct {
    const char* file;
    int width, height, noise;
    float ratio;
  } cases[] = {{"jpeg_1x1.jpg", 1, 1, 0, 1.0f}, {"jpeg_17x17.jpg", 17, 17, 20, 0.8f}};
  for (const auto& c : cases) {
    Picture p(c.width, c.height, 4, c.noise, 3, 4761, 4760);
    const std::string file = Encode(p, c.ratio);
    const std::string path = std::string(LUMORA_TEST_DATA) + "/" + c.file;
    if (std::getenv("LUMORA_UPDATE_GOLDEN")) test::WriteFile(path, file);
    ASSERT_TRUE(test::FileExists(path)) << path;
    EXPECT_EQ(file, test::ReadFile(path)) << c.file;
  }
}

}  // namespace
}  // namespace lumora
