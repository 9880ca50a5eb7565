// Runs lumora-cli with a command line and collects its exit status and output.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

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

// The settings file a command wrote; all defaults (size 0) when it cannot be read.
inline ImageSettings WrittenSettings(const std::string& inf) {
  ImageSettings s;
  RecordingMessenger m;
  if (!ReadSettings(inf, s, m)) s = ImageSettings();
  return s;
}

}  // namespace lumora::test
