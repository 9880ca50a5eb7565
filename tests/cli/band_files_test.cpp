// What every command does with band files it cannot use and with outputs it
// cannot write: refused the same way everywhere, and nothing of an earlier
// output lost.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "core/output/bitmap_source.h"
#include "core/support/string_table.h"
#include "tests/support/cli_run.h"
#include "tests/support/file_limit.h"

namespace lumora {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

class BandFiles : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(
        test::RunCli(m_dir, "sample --sensor tm --size 128x128 -o " + Q(m_dir / "s.inf")).status,
        0);
  }
  static std::string Q(const std::string& s) { return "'" + s + "'"; }
  std::string In() const { return Q(m_dir / "s.inf"); }
  std::string Out(const char* name) const { return Q(m_dir / name); }
  static bool Says(const test::CliResult& r, int id) {
    return r.err.find(MessageText(id)) != std::string::npos;
  }
  TempDir m_dir;
};

TEST_F(BandFiles, ShownBandThatIsNoWholeBandIsRefusedByEveryCommand) {
  const struct {
    const char* name;
    int message;
  } defects[] = {
      {"empty", kMsgBandFileShort}, {"short", kMsgBandFileShort}, {"folder", kMsgOpenFailed}};
  const struct {
    const char* args;
    const char* output;
  } commands[] = {
      {"compose %IN -o %OUT", "out.tif"},
      {"profile %IN --row 1 --from 1 --to 9 -o %OUT", "out.txt"},
      {"dem %IN --kind birdseye -o %OUT", "out.inf"},
      {"filter %IN --kind blur -o %OUT", "out.inf"},
      {"crop %IN --area 0,0,5,5 -o %OUT", "out.inf"},
      {"scatter %IN --x 3 --y 4 -o %OUT", "out.jpg"},
  };
  const std::string band = m_dir / "s.b03";
  const std::string whole = test::ReadFile(band);
  for (const auto& d : defects) {
    fs::remove_all(band);
    if (d.name == std::string("folder"))
      fs::create_directory(band);
    else
      test::WriteFile(band, d.name == std::string("empty") ? "" : whole.substr(1));
    for (const auto& c : commands) {
      std::string args = c.args;
      args.replace(args.find("%IN"), 3, In());
      args.replace(args.find("%OUT"), 4, Out(c.output));
      const auto r = test::RunCli(m_dir, args);
      EXPECT_EQ(r.status, 1) << d.name << ": " << c.args;
      EXPECT_TRUE(Says(r, d.message)) << d.name << ": " << c.args << "\n" << r.err;
      EXPECT_FALSE(fs::exists(m_dir / c.output)) << d.name << ": " << c.args;
    }
  }
}

TEST_F(BandFiles, WriteFailureKeepsTheEarlierOutput) {
  // File sets report 61289; the picture and profile writers keep their own words.
  const std::string set = MessageText(kMsgCreateFailed), picture = writer_text::kCreateFailed;
  const struct {
    const char* args;
    std::vector<const char*> outputs;
    std::string message;
  } commands[] = {
      {"filter %IN --kind median -o %OUT", {"out.inf", "out.b01"}, set},
      {"crop %IN --area 0,0,100,100 -o %OUT", {"out.inf", "out.b01"}, set},
      {"sample --sensor tm --size 128x128 -o %OUT", {"out.inf", "out.b01"}, set},
      {"compose %IN -o %OUT", {"out.tif"}, picture},
      {"scatter %IN --x 3 --y 4 -o %OUT", {"out.tif"}, picture},
      {"profile %IN --row 1 --from 1 --to 128 -o %OUT",
       {"out.txt"},
       MessageText(kMsgProfileCreateFailed)},
  };
  for (const auto& c : commands) {
    for (const char* name : c.outputs) test::WriteFile(m_dir / name, "earlier");
    SCOPED_TRACE(c.args);
    std::string args = c.args;
    if (args.find("%IN") != std::string::npos) args.replace(args.find("%IN"), 3, In());
    args.replace(args.find("%OUT"), 4, Out(c.outputs[0]));
    const auto r = test::RunCli(m_dir, args, test::kSmallFileLimit);
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
    // The file that could not be written, by its own name, and the reason.
    EXPECT_NE(r.err.find(" " + (m_dir / "out.")), std::string::npos) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(std::string("(") + SystemErrorText(EFBIG) + ")"), std::string::npos)
        << c.args << "\n"
        << r.err;
    for (const char* name : c.outputs) EXPECT_EQ(test::ReadFile(m_dir / name), "earlier") << c.args;
    for (const char* name : c.outputs) fs::remove(m_dir / name);
  }
}

TEST_F(BandFiles, OutputThatReachesAFileOfTheInputIsRefused) {
  // A link at the output's name, symbolic or hard, to a file of the input
  // set; a link to a file elsewhere is replaced and its file kept.
  test::WriteFile(m_dir / "elsewhere", "elsewhere");
  const struct {
    const char* target;
    bool hard;
    bool refused;
  } links[] = {{"s.b01", false, true},
               {"s.inf", true, true},
               {"S.B02", false, true},
               {"elsewhere", false, false}};
  const char* commands[] = {"compose %IN -o %OUT.tif", "scatter %IN --x 3 --y 4 -o %OUT.jpg",
                            "profile %IN --row 1 --from 1 --to 9 -o %OUT.txt",
                            "page %IN --title t -o %OUT.pdf"};
  fs::rename(m_dir / "s.b02", m_dir / "S.B02");
  for (const auto& l : links) {
    for (const char* c : commands) {
      std::string args = c;
      args.replace(args.find("%IN"), 3, In());
      const std::string ext = args.substr(args.rfind('.'));
      const std::string out = m_dir / ("out" + ext);
      args.replace(args.find("%OUT" + ext), 4 + ext.size(), Q(out));
      const std::string before = test::ReadFile(m_dir / l.target);
      if (l.hard)
        fs::create_hard_link(m_dir / l.target, out);
      else
        fs::create_symlink(l.target, out);
      const auto r = test::RunCli(m_dir, args);
      EXPECT_EQ(r.status, l.refused ? 1 : 0) << c << " " << l.target << "\n" << r.err;
      EXPECT_EQ(Says(r, kMsgWorkingFileInUse), l.refused) << c << " " << l.target;
      EXPECT_EQ(test::ReadFile(m_dir / l.target), before) << c << " " << l.target;
      EXPECT_EQ(fs::is_symlink(out), !l.hard && l.refused) << c << " " << l.target;
      fs::remove(out);
    }
  }
}

TEST_F(BandFiles, OutputNameTooLongIsTheOneBlamed) {
  const std::string name = std::string(252, 'n');
  for (const std::string args :
       {"filter %IN --kind blur -o %OUT.inf", "crop %IN --area 0,0,5,5 -o %OUT.inf"}) {
    std::string a = args;
    a.replace(a.find("%IN"), 3, In());
    a.replace(a.find("%OUT"), 4, Q(m_dir / name));
    const auto r = test::RunCli(m_dir, a);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_NE(r.err.find(name), std::string::npos) << args << "\n" << r.err;
    EXPECT_NE(r.err.find(SystemErrorText(ENAMETOOLONG)), std::string::npos) << args << "\n"
                                                                            << r.err;
    EXPECT_EQ(r.err.find("s.inf"), std::string::npos) << args << "\n" << r.err;
  }
}

}  // namespace
}  // namespace lumora
