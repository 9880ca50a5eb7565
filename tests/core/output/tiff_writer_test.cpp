#include "core/output/tiff_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "core/support/messenger.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::TempDir;

struct Field {
  int type;
  uint32_t count;
  uint32_t value;  // a SHORT from the first two value bytes
  bool operator==(const Field&) const = default;
};

uint32_t Be(const std::string& s, size_t p, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = v << 8 | static_cast<uint8_t>(s[p + i]);
  return v;
}

std::map<int, Field> Directory(const std::string& f) {
  std::map<int, Field> out;
  const uint32_t ifd = Be(f, 4, 4);
  const uint32_t n = Be(f, ifd, 2);
  for (uint32_t i = 0; i < n; ++i) {
    const size_t e = ifd + 2 + 12 * i;
    const int type = static_cast<int>(Be(f, e + 2, 2));
    const uint32_t count = Be(f, e + 4, 4);
    out[static_cast<int>(Be(f, e, 2))] = {
        type, count, type == 3 && count == 1 ? Be(f, e + 8, 2) : Be(f, e + 8, 4)};
  }
  return out;
}

std::string Write(const std::vector<uint8_t>& bits, const BitmapHeader& h, int align) {
  RecordingMessenger m;
  CTiffWriter w(m);
  std::string out;
  EXPECT_TRUE(w.ReadData(bits, &h, align));
  EXPECT_TRUE(w.Encode(out));
  return out;
}

TEST(TiffLayout, ThreeByTwoImageByTheByte) {
  // Bottom row first, blue-green-red, rows padded to 12 bytes.
  std::vector<uint8_t> bits(24, 0xEE);
  for (int row = 0; row < 2; ++row)
    for (int x = 0; x < 3; ++x)
      for (int c = 0; c < 3; ++c)
        bits[row * 12 + x * 3 + c] = static_cast<uint8_t>(row * 100 + x * 10 + c);
  const std::string f = Write(bits, BitmapHeader{3, 2, 24, 0, 4761, 4760}, 0);
  ASSERT_EQ(f.size(), 210u);
  EXPECT_EQ(f.substr(0, 10), std::string("MM\0\x2a\0\0\0\x08\0\x0d", 10));
  const std::map<int, Field> expected = {{256, {3, 1, 3}},   {257, {3, 1, 2}},   {258, {3, 3, 170}},
                                         {259, {3, 1, 1}},   {262, {3, 1, 2}},   {273, {4, 1, 192}},
                                         {277, {3, 1, 3}},   {278, {3, 1, 2}},   {279, {4, 1, 18}},
                                         {282, {5, 1, 176}}, {283, {5, 1, 184}}, {284, {3, 1, 1}},
                                         {296, {3, 1, 3}}};
  EXPECT_EQ(Directory(f), expected);
  EXPECT_EQ(Be(f, 166, 4), 0u);
  EXPECT_EQ(f.substr(170, 6), std::string("\0\x08\0\x08\0\x08", 6));
  EXPECT_EQ(Be(f, 176, 4), 4761u);
  EXPECT_EQ(Be(f, 180, 4), 100u);
  EXPECT_EQ(Be(f, 184, 4), 4760u);
  EXPECT_EQ(Be(f, 188, 4), 100u);
  // Top line first (bitmap row 1), red-green-blue, no padding.
  const uint8_t pixels[18] = {102, 101, 100, 112, 111, 110, 122, 121, 120,
                              2,   1,   0,   12,  11,  10,  22,  21,  20};
  EXPECT_EQ(f.substr(192), std::string(reinterpret_cast<const char*>(pixels), 18));
}

TEST(TiffLayout, TwoByteRowsAndTheAnnotatedPage) {
  // Rows padded to 2 bytes: a 1-pixel-wide image has 4-byte rows.
  const std::vector<uint8_t> bits = {1, 2, 3, 0, 4, 5, 6, 0};
  EXPECT_EQ(Write(bits, BitmapHeader{1, 2, 24, 0, 283, 283}, 1).substr(192),
            std::string("\x06\x05\x04\x03\x02\x01", 6));

  std::vector<uint8_t> page(static_cast<size_t>(Dib::StrideFor(1000) * 1414), 0x80);
  const std::string f = Write(page, BitmapHeader{1000, 1414, 24, 0, 4761, 4760}, 0);
  const auto dir = Directory(f);
  EXPECT_EQ(dir.at(279).value, 4242000u);
  EXPECT_EQ(dir.at(256).value, 1000u);
  EXPECT_EQ(dir.at(257).value, 1414u);
  EXPECT_EQ(f.size(), 192u + 4242000u);
}

std::string Capture(const std::string& cmd) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> p(popen(cmd.c_str(), "r"), pclose);
  char buf[512];
  while (p && fgets(buf, sizeof buf, p.get())) out += buf;
  return out;
}

// The installed TIFF tools read the file without complaint.
TEST(TiffReadBack, IndependentReaderAcceptsIt) {
  if (Capture("command -v tiffinfo").empty()) GTEST_SKIP() << "tiffinfo is not installed";
  TempDir dir;
  std::vector<uint8_t> bits(static_cast<size_t>(Dib::StrideFor(5) * 4), 0x40);
  RecordingMessenger m;
  CTiffWriter w(m);
  const BitmapHeader header{5, 4, 24, 0, 4761, 4760};
  ASSERT_TRUE(w.ReadData(bits, &header, 0));
  const std::string path = dir / "out.tif";
  ASSERT_TRUE(w.SaveTiff(path));
  const std::string info = Capture("tiffinfo '" + path + "' 2>&1");
  for (const char* want :
       {"Image Width: 5 Image Length: 4", "Resolution: 47.61, 47.6 pixels/cm", "Bits/Sample: 8",
        "Photometric Interpretation: RGB color", "Samples/Pixel: 3", "Rows/Strip: 4",
        "Planar Configuration: single image plane"})
    EXPECT_NE(info.find(want), std::string::npos) << want << "\n" << info;
  EXPECT_EQ(info.find("arning"), std::string::npos) << info;
  EXPECT_EQ(info.find("rror"), std::string::npos) << info;
}

}  // namespace
}  // namespace lumora
