// Runs lumora-cli with a command line and collects its exit status and output.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <map>
#include <string>

#include "core/imagefile/band_catalogue.h"
#include "core/imagefile/settings_file.h"
#include "tests/support/temp_dir.h"

namespace lumora::test {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

// args is passed to the shell as written (quote paths yourself); the output
// files go into dir. shellPrefix runs before (a limit to put in place).
inline CliResult RunCli(const TempDir& dir, const std::string& args,
                        const std::string& shellPrefix = "") {
  const std::string outPath = dir / "cli_stdout.txt", errPath = dir / "cli_stderr.txt";
  const std::string cmd = shellPrefix + std::string(LUMORA_CLI_PATH) + " " + args + " > '" +
                          outPath + "' 2> '" + errPath + "'";
  const int raw = std::system(cmd.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(outPath), ReadFile(errPath)};
}

// The shell prefix that runs a command in dir, where it names files plainly.
inline std::string InFolder(const TempDir& dir) { return "cd '" + dir.path().string() + "' && "; }

// The settings file a command wrote; all defaults (size 0) when it cannot be read.
inline ImageSettings WrittenSettings(const std::string& inf) {
  ImageSettings s;
  RecordingMessenger m;
  if (!ReadSettings(inf, s, m)) s = ImageSettings();
  return s;
}

// A command run over x.inf, a TM image of 3 x 2 pixels with the byte bands a
// test gives and a range file of its elevation model; its output is n.inf.
class SmallSceneCommand : public ::testing::Test {
 protected:
  void WriteScene(const std::map<int, std::string>& bands) {
    WriteFile(dir / "x.inf", "LINE = 2\nPIXEL = 3\nSENSOR = 1\nFile_State = 0\nRainbow = 0\n");
    for (const auto& [number, bytes] : bands)
      WriteFile(BandFilePath(dir / "x", kSample8, number), bytes);
    WriteFile(dir / "x.lev", "levels");
  }
  CliResult Run(const std::string& command, const std::string& options) {
    return RunCli(dir, command + " '" + (dir / "x.inf") + "' " + options);
  }

  TempDir dir;
  std::string out = dir / "n.inf";
};

}  // namespace lumora::test
