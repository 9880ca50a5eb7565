#include "core/output/image_file_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>

#include "core/output/jpeg_encoder.h"
#include "core/output/tiff_writer.h"
#include "core/support/messenger.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::FileExists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

Dib SmallDib() {
  Dib dib;
  dib.Create(5, 3);
  for (size_t i = 0; i < dib.bits.size(); ++i) dib.bits[i] = static_cast<uint8_t>(i * 7);
  return dib;
}

TEST(ImageFileKind, ChosenByTheUpperCasedLastExtension) {
  const std::pair<const char*, ImageFileKind> cases[] = {
      {"a.jpg", ImageFileKind::kJpeg},        {"a.JPG", ImageFileKind::kJpeg},
      {"b.x/a.Jpg", ImageFileKind::kJpeg},    {"a.tif", ImageFileKind::kTiff},
      {"A.TIF", ImageFileKind::kTiff},        {"a.tif.jpg", ImageFileKind::kJpeg},
      {"a.jpeg", ImageFileKind::kNone},       {"a.tiff", ImageFileKind::kNone},
      {"a.png", ImageFileKind::kNone},        {"noextension", ImageFileKind::kNone},
      {"dir.jpg/file", ImageFileKind::kNone}, {"a.", ImageFileKind::kNone}};
  for (auto [path, kind] : cases) EXPECT_EQ(ImageFileKindOf(path), kind) << path;
}

TEST(ImageFileWriter, WritesTheChosenFormat) {
  TempDir dir;
  RecordingMessenger m;
  CImageFileWriter writer(m);
  const Dib dib = SmallDib();
  ASSERT_TRUE(
      writer.SaveImageFile(dir / "a.JPG", dib, 1.0f, kScreenPelsPerMeter, kScreenPelsPerMeter));
  ASSERT_TRUE(
      writer.SaveImageFile(dir / "a.Tif", dib, 1.0f, kPageXPelsPerMeter, kPageYPelsPerMeter));
  EXPECT_EQ(ReadFile(dir / "a.JPG").substr(0, 4), "\xFF\xD8\xFF\xE0");
  EXPECT_EQ(ReadFile(dir / "a.Tif").size(), 192u + 5 * 3 * 3);
  EXPECT_TRUE(m.entries.empty());

  // Any other name writes nothing, and says so.
  EXPECT_FALSE(writer.SaveImageFile(dir / "a.png", dib, 1.0f, 283, 283));
  EXPECT_FALSE(FileExists(dir / "a.png"));
  ASSERT_EQ(m.entries.size(), 1u);
  EXPECT_EQ(m.entries[0].text, writer_text::kNotImageFileName);
}

struct Hostile {
  const char* name;
  std::function<void(std::vector<uint8_t>& bits, BitmapHeader& h, float& ratio)> spoil;
  const char* message;
};

// Each spoiled input is refused with its message by both writers, and an
// existing file of that name keeps its content.
TEST(ImageFileWriter, RefusesBadInputAndKeepsTheExistingFile) {
  const Hostile cases[] = {
      {"no bits", [](auto& b, auto&, auto&) { b.clear(); }, writer_text::kReadFailed},
      {"short bits", [](auto& b, auto&, auto&) { b.resize(b.size() - 2); },
       writer_text::kReadFailed},
      {"32 bits", [](auto&, auto& h, auto&) { h.bitCount = 32; }, writer_text::kUnsupported},
      {"8 bits", [](auto&, auto& h, auto&) { h.bitCount = 8; }, writer_text::kUnsupported},
      {"compressed", [](auto&, auto& h, auto&) { h.compression = 1; }, writer_text::kUnsupported},
      {"zero width", [](auto&, auto& h, auto&) { h.width = 0; }, writer_text::kUnsupported},
      {"negative height", [](auto&, auto& h, auto&) { h.height = -3; }, writer_text::kUnsupported},
      {"too wide", [](auto&, auto& h, auto&) { h.width = 70000; }, writer_text::kUnsupported},
      {"huge", [](auto&, auto& h, auto&) { h.width = h.height = 65535; }, writer_text::kReadFailed},
      // Only a JPEG file has a compression ratio, from 0 to 1.
      {"ratio below 0", [](auto&, auto&, auto& r) { r = -0.01f; }, writer_text::kBadRatio},
      {"ratio above 1", [](auto&, auto&, auto& r) { r = 1.01f; }, writer_text::kBadRatio},
      {"ratio not a number", [](auto&, auto&, auto& r) { r = std::nanf(""); },
       writer_text::kBadRatio},
  };
  TempDir dir;
  const Dib dib = SmallDib();
  for (const char* name : {"old.jpg", "old.tif"}) {
    for (const auto& c : cases) {
      if (c.message == std::string(writer_text::kBadRatio) && name == std::string("old.tif"))
        continue;
      const std::string path = dir / name;
      WriteFile(path, "precious");
      std::vector<uint8_t> bits = dib.bits;
      BitmapHeader h = HeaderOf(dib, 283, 283);
      float ratio = 1.0f;
      c.spoil(bits, h, ratio);
      RecordingMessenger m;
      CImageFileWriter writer(m);
      EXPECT_FALSE(writer.SaveImageFile(path, bits, &h, 0, ratio)) << name << " " << c.name;
      ASSERT_EQ(m.entries.size(), 1u) << name << " " << c.name;
      EXPECT_EQ(m.entries[0].text, c.message) << name << " " << c.name;
      EXPECT_EQ(ReadFile(path), "precious") << name << " " << c.name;
    }
  }
}

// Places that cannot take the file, and a save with no picture read: one
// message each, and an existing file keeps its content.
TEST(ImageFileWriter, UnwritablePlacesAndMissingDataAreReported) {
  TempDir dir;
  const Dib dib = SmallDib();
  fs::create_directory(dir / "taken.jpg");
  fs::create_directory(dir / "taken.tif");
  for (const std::string& path :
       {dir / "missing/a.jpg", dir / "missing/a.tif", dir / "taken.jpg", dir / "taken.tif"}) {
    RecordingMessenger m;
    CImageFileWriter writer(m);
    EXPECT_FALSE(writer.SaveImageFile(path, dib, 1.0f, 283, 283)) << path;
    ASSERT_EQ(m.entries.size(), 1u) << path;
    EXPECT_EQ(m.entries[0].text, writer_text::kCreateFailed) << path;
  }
  // Nothing is left behind beside the targets.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
  WriteFile(dir / "keep.jpg", "precious");
  WriteFile(dir / "keep.tif", "precious");
  RecordingMessenger m;
  CJpegEncoder enc(m);
  CTiffWriter w(m);
  EXPECT_FALSE(enc.SaveJpeg(dir / "keep.jpg", 1.0f));
  EXPECT_FALSE(w.SaveTiff(dir / "keep.tif"));
  ASSERT_EQ(m.entries.size(), 2u);
  EXPECT_EQ(m.entries[0].text, writer_text::kNoData);
  EXPECT_EQ(m.entries[1].text, writer_text::kNoData);
  EXPECT_EQ(ReadFile(dir / "keep.jpg"), "precious");
  EXPECT_EQ(ReadFile(dir / "keep.tif"), "precious");
}

}  // namespace
}  // namespace lumora
