#include "core/imagefile/band_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/imagefile/settings_file.h"
#include "core/support/file_set.h"
#include "core/support/string_table.h"
#include "tests/support/file_limit.h"
#include "tests/support/temp_dir.h"

namespace lumora {
namespace {

using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

TEST(BandSuffix, LetterAndNumberInEitherCase) {
  struct Case {
    const char* ext;
    char letter;
    int band;
    int type;
  } cases[] = {
      {"b01", 'b', 1, 1}, {"B07", 'b', 7, 1}, {"i12", 'i', 12, 2}, {"R255", 'r', 255, 3},
      {"d03", 'd', 3, 0}, {"b1", 'b', 1, 1},  {"b256", 0, 0, 0},   {"b00", 0, 0, 0},
      {"b0001", 0, 0, 0}, {"b", 0, 0, 0},     {"b1x", 0, 0, 0},    {"dem", 0, 0, 0},
      {"inf", 0, 0, 0},   {"x01", 0, 0, 0},   {"b-1", 0, 0, 0},    {"", 0, 0, 0},
  };
  for (const auto& c : cases) {
    const BandSuffix s = ParseBandSuffix(c.ext);
    EXPECT_EQ(s.letter, c.letter) << c.ext;
    EXPECT_EQ(s.band, c.band) << c.ext;
    EXPECT_EQ(s.SampleType(), c.type) << c.ext;
  }
}

TEST(OpenBandFile, RefusesWhatIsNoWholeBand) {
  TempDir dir;
  WriteFile(dir / "whole.b01", std::string(12, 'a'));
  WriteFile(dir / "long.b01", std::string(13, 'a'));
  WriteFile(dir / "short.b01", std::string(11, 'a'));
  WriteFile(dir / "empty.b01", "");
  fs::create_directory(dir / "folder.b01");
  ASSERT_EQ(mkfifo((dir / "fifo.b01").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", dir / "device.b01");
  fs::create_symlink(dir / "whole.b01", dir / "link.b01");
  struct Case {
    const char* name;
    int message;  // 0: opened
  } cases[] = {{"whole.b01", 0},
               {"long.b01", 0},
               {"link.b01", 0},
               {"WHOLE.B01", 0},
               {"short.b01", kMsgBandFileShort},
               {"empty.b01", kMsgBandFileShort},
               {"folder.b01", kMsgOpenFailed},
               {"fifo.b01", kMsgOpenFailed},
               {"device.b01", kMsgOpenFailed},
               {"missing.b01", kMsgOpenFailed}};
  for (const auto& c : cases) {
    RecordingMessenger m;
    const FilePtr f = OpenBandFile(dir / c.name, 12, m);
    EXPECT_EQ(f != nullptr, c.message == 0) << c.name;
    EXPECT_EQ(m.LastId(), c.message) << c.name;
  }
  RecordingMessenger m;
  EXPECT_TRUE(OpenBand(dir / "whole", kSample16, 1, 3, 2, m) == nullptr);  // no .i01
  EXPECT_TRUE(OpenBand(dir / "whole", kSample8, 1, 4, 3, m) != nullptr);
  EXPECT_TRUE(OpenBand(dir / "whole", kSample8, 1, 13, 1, m) == nullptr);
  EXPECT_EQ(m.LastId(), kMsgBandFileShort);
}

TEST(BandWriter, ReportsEveryFailureOnceAtClose) {
  TempDir dir;
  const std::string data(4096, 'x');
  {
    RecordingMessenger m;
    BandWriter w;
    ASSERT_TRUE(w.Create(dir / "ok.b01"));
    EXPECT_TRUE(w.Write(data.data(), data.size()));
    EXPECT_TRUE(w.Close(m));
    EXPECT_TRUE(m.entries.empty());
    EXPECT_EQ(fs::file_size(dir / "ok.b01"), data.size());
  }
  // Past the limit: a write fails at once or when the buffer goes out at close.
  for (size_t rows : {1u, 1000u}) {
    RecordingMessenger m;
    BandWriter w;
    {
      test::FileSizeLimit limit(1024);
      ASSERT_TRUE(w.Create(dir / "full.b01"));
      for (size_t i = 0; i < rows; ++i) w.Write(data.data(), data.size());
      EXPECT_FALSE(w.Close(m));
    }
    EXPECT_EQ(m.entries.size(), 1u);
    EXPECT_EQ(m.LastId(), kMsgCreateFailed);
  }
  // A link planted at the name is not followed.
  WriteFile(dir / "target", "keep");
  fs::create_symlink(dir / "target", dir / "planted.b01");
  BandWriter w;
  EXPECT_FALSE(w.Create(dir / "planted.b01"));
  RecordingMessenger m;
  EXPECT_FALSE(w.Close(m));
  EXPECT_EQ(m.LastId(), kMsgCreateFailed);
  EXPECT_EQ(test::ReadFile(dir / "target"), "keep");
}

}  // namespace
}  // namespace lumora
