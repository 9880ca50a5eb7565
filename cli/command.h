// lumora-cli: each command lives in its own file and registers itself here.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis/land_cover.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "core/view/image_session.h"
#include "core/view/processing_step.h"

namespace lumora::cli {

enum ExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

// Arguments after the command name: positionals and "--name value" options.
class Args {
 public:
  // flags: option names that take no value.
  Args(const std::vector<std::string>& argv, const std::vector<std::string>& flags);
  bool ok() const { return m_error.empty(); }
  const std::string& error() const { return m_error; }
  const std::vector<std::string>& positional() const { return m_positional; }
  bool Has(const std::string& name) const { return m_options.count(name) != 0; }
  std::optional<std::string> Get(const std::string& name) const;
  // Names given that are not in the list; for usage errors.
  std::vector<std::string> Unknown(const std::vector<std::string>& known) const;

 private:
  std::vector<std::string> m_positional;
  std::map<std::string, std::string> m_options;
  std::string m_error;
};

// Parses a whole int / a list "a,b,c" of ints; nullopt on anything else.
std::optional<int> ParseInt(const std::string& s);
std::optional<double> ParseDouble(const std::string& s);
std::optional<std::vector<int>> ParseIntList(const std::string& s, size_t count);
// A list "a,b,c" of count reals; nullopt on anything else.
std::optional<std::vector<double>> ParseDoubleList(const std::string& s, size_t count);
// The SENSOR code of "aster", "tm" or "mss".
std::optional<int> ParseSensor(const std::string& name);
// "WxH" as two ints; false when it is not that.
bool ParseSize(const std::string& text, int& width, int& height);
// The whole int given with an option; nothing when absent or not a number.
std::optional<int> IntOption(const Args& args, const std::string& name);

// Messages go to stderr in the program's own words, each followed by the
// file it concerns: output for the messages of writing, input for the rest.
// Questions take the default.
class StderrMessenger : public Messenger {
 public:
  explicit StderrMessenger(std::string input = {}, std::string output = {})
      : m_input(std::move(input)), m_output(std::move(output)) {}
  void ShowMessage(int id) override;
  void ShowText(const std::string& title, const std::string& text) override;
  bool AskOkCancel(int id) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;

 private:
  std::string m_input;
  std::string m_output;
};

// A bar on stderr when it is a terminal.
class TerminalProgress : public ProgressSink {
 public:
  void Open(const std::string& text) override;
  void Paint(float fraction, const std::string& text) override;
  void Close() override;

 private:
  bool m_tty = false;
  int m_last = -1;
};

using CommandFn = std::function<int(const std::vector<std::string>& args)>;

struct Command {
  std::string usage;
  CommandFn run;
  std::string summary;  // one line for "COMMAND --help"; may be empty
};

std::map<std::string, Command>& Registry();

struct Registrar {
  Registrar(const std::string& name, const std::string& usage, CommandFn fn) {
    Registry()[name] = Command{usage, std::move(fn), {}};
  }
  Registrar(const std::string& name, const std::string& usage, const std::string& summary,
            CommandFn fn) {
    Registry()[name] = Command{usage, std::move(fn), summary};
  }
};

int UsageError(const std::string& command, const std::string& why);

// The classes of a legend file (.mlk); false after 61234 or 61417, naming the file.
bool ReadClassesFile(const std::string& path, std::vector<ClassItem>& classes);

// The bands a composition shows, checked before the display is built from
// them: 61234 for a band that cannot be opened or is no regular file, 61441
// for one shorter than the image. (The program asks about a wrong length in
// its composition dialog; a batch run refuses it, as the processing commands do.)
bool ShownBandsWhole(const OpenRequest& request, Messenger& messenger);

// Runs a processing step into the file set OUT.inf names (WriteStepOutput):
// a failure leaves the output as it was; an output that is the source set
// itself is refused as bad usage.
int RunStepToOutput(const std::string& command, const std::string& settingsPath,
                    const std::string& outInf, const StepBody& body);

}  // namespace lumora::cli
