#include "cli/command.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/imagefile/band_io.h"
#include "core/support/file_handle.h"
#include "core/support/file_set.h"
#include "core/support/regular_file.h"
#include "core/support/string_table.h"
#include "core/support/text.h"

namespace lumora::cli {

Args::Args(const std::vector<std::string>& argv, const std::vector<std::string>& flags) {
  for (size_t i = 0; i < argv.size(); ++i) {
    const std::string& a = argv[i];
    if (a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9')) {
      std::string name = a;
      while (!name.empty() && name[0] == '-') name.erase(0, 1);
      if (std::find(flags.begin(), flags.end(), name) != flags.end()) {
        m_options[name] = "";
      } else if (i + 1 < argv.size()) {
        m_options[name] = argv[++i];
      } else {
        m_error = "option " + a + " needs a value";
        return;
      }
    } else {
      m_positional.push_back(a);
    }
  }
}

std::optional<std::string> Args::Get(const std::string& name) const {
  auto it = m_options.find(name);
  if (it == m_options.end()) return std::nullopt;
  return it->second;
}

std::vector<std::string> Args::Unknown(const std::vector<std::string>& known) const {
  std::vector<std::string> out;
  for (const auto& [k, v] : m_options)
    if (std::find(known.begin(), known.end(), k) == known.end()) out.push_back(k);
  return out;
}

std::optional<int> ParseInt(const std::string& s) {
  int v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
}

std::optional<double> ParseDouble(const std::string& s) {
  double v = 0;
  const char* b = s.data();
  if (!s.empty() && s[0] == '+') ++b;
  auto r = std::from_chars(b, s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
}

std::optional<int> IntOption(const Args& args, const std::string& name) {
  const auto text = args.Get(name);
  if (!text) return std::nullopt;
  return ParseInt(*text);
}

namespace {

// The parts of "a,b,c" read by parse; nullopt unless there are count of them.
template <typename T, typename Parse>
std::optional<std::vector<T>> ParseList(const std::string& s, size_t count, Parse parse) {
  std::vector<T> out;
  size_t start = 0;
  while (out.size() <= count) {
    const size_t comma = s.find(',', start);
    auto v = parse(s.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (!v) return std::nullopt;
    out.push_back(*v);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (out.size() != count) return std::nullopt;
  return out;
}

}  // namespace

std::optional<std::vector<int>> ParseIntList(const std::string& s, size_t count) {
  return ParseList<int>(s, count, ParseInt);
}

std::optional<std::vector<double>> ParseDoubleList(const std::string& s, size_t count) {
  return ParseList<double>(s, count, ParseDouble);
}

std::optional<int> ParseSensor(const std::string& name) {
  if (name == "aster") return 0;
  if (name == "tm") return 1;
  if (name == "mss") return 2;
  return std::nullopt;
}

bool ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  auto w = ParseInt(text.substr(0, x));
  auto h = ParseInt(text.substr(x + 1));
  if (!w || !h) return false;
  width = *w;
  height = *h;
  return true;
}

namespace {

// Names and texts from files and the command line are shown, never obeyed:
// a control byte in them could steer the terminal. Line breaks of a text
// stay; each line is escaped.
std::string Shown(const std::string& text) {
  std::string out;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    out += EscapeControlCharacters(std::string_view(text).substr(start, end - start)) + "\n";
  return out + EscapeControlCharacters(std::string_view(text).substr(start));
}

// The file a write failed on and why, when one is pending: " PATH (reason)".
std::string PendingWriteFailure() {
  const WriteFailure f = TakeWriteFailure();
  std::string out;
  if (f.path.empty()) return out;
  out.append(" ").append(Shown(f.path));
  if (f.error) out.append(" (").append(SystemErrorText(f.error)).append(")");
  return out;
}

}  // namespace

void StderrMessenger::ShowMessage(int id) {
  const std::string& path = IsWriteMessage(id) ? m_output : m_input;
  // A file that could not be written is the one the message is about.
  std::string about = PendingWriteFailure();
  if (about.empty() && !path.empty()) about.append(" ").append(Shown(path));
  std::fprintf(stderr, "%s%s\n", MessageText(id), about.c_str());
}

void StderrMessenger::ShowText(const std::string& title, const std::string& text) {
  std::fprintf(stderr, "%s: %s%s\n", Shown(ShownText(title)).c_str(),
               Shown(ShownText(text)).c_str(), PendingWriteFailure().c_str());
}

bool StderrMessenger::AskOkCancel(int id) {
  std::fprintf(stderr, "%s\n", MessageText(id));
  return true;
}

bool StderrMessenger::AskYesNo(const std::string&, const std::string&) { return true; }

void TerminalProgress::Open(const std::string&) {
  m_tty = isatty(2) != 0;
  m_last = -1;
}

void TerminalProgress::Paint(float fraction, const std::string&) {
  if (!m_tty) return;
  int pct = static_cast<int>(fraction * 100);
  if (pct == m_last) return;
  m_last = pct;
  int filled = pct * 40 / 100;
  std::fprintf(stderr, "\r[%-40s] %3d%%",
               std::string(static_cast<size_t>(std::clamp(filled, 0, 40)), '#').c_str(), pct);
  std::fflush(stderr);
}

void TerminalProgress::Close() {
  if (m_tty && m_last >= 0) std::fprintf(stderr, "\r%60s\r", "");
  m_last = -1;
}

std::map<std::string, Command>& Registry() {
  static std::map<std::string, Command> reg;
  return reg;
}

int UsageError(const std::string& command, const std::string& why) {
  std::fprintf(stderr, "lumora-cli %s: %s\n", command.c_str(), Shown(why).c_str());
  auto it = Registry().find(command);
  if (it != Registry().end())
    std::fprintf(stderr, "usage: lumora-cli %s\n", it->second.usage.c_str());
  return kExitUsage;
}

bool ShownBandsWhole(const OpenRequest& r, Messenger& messenger) {
  const std::string base = StripExtension(r.settingsPath);
  const Composition& c = r.composition;
  for (const auto& [band, type] :
       {std::pair{c.red, c.redType}, {c.green, c.greenType}, {c.blue, c.blueType}}) {
    if (!OpenBand(base, type, band, r.settings.pixels, r.settings.lines, messenger)) return false;
  }
  return true;
}

bool ReadClassesFile(const std::string& path, std::vector<ClassItem>& classes) {
  std::string text;
  StderrMessenger messenger(path);
  const TextRead read = ReadTextFile(path, kMaxLegendFileBytes, text);
  if (read == TextRead::kCannotOpen) {
    messenger.ShowMessage(kMsgOpenFailed);
    return false;
  }
  // A legend cut short or too long is refused; an empty class list is a
  // valid one and classifies every pixel black, as the class dialog does.
  if (read == TextRead::kTooLarge || !ParseLandCoverClasses(text, classes)) {
    messenger.ShowMessage(kMsgBadMlkFile);
    return false;
  }
  return true;
}

int RunStepToOutput(const std::string& command, const std::string& settingsPath,
                    const std::string& outInf, const StepBody& body) {
  if (BaseName(outInf).empty()) return UsageError(command, "the output needs a file name");
  StderrMessenger messenger(settingsPath, outInf);
  TerminalProgress bar;
  Progress progress(&bar);
  switch (WriteStepOutput(settingsPath, outInf, body, messenger, progress, kMsgCreateFailed)) {
    case StepOutput::kWritten: return kExitOk;
    case StepOutput::kOutputIsInput:
      return UsageError(command, "the output must not be the input image");
    default: return kExitFailure;
  }
}

}  // namespace lumora::cli
