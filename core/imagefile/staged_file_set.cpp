#include "core/imagefile/staged_file_set.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <set>
#include <utility>
#include <vector>

#include "core/support/file_handle.h"
#include "core/support/file_set.h"
#include "core/support/regular_file.h"
#include "core/support/text.h"

namespace lumora {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHiddenPrefix = ".lumora-";
constexpr std::string_view kStagePrefix = ".lumora-stage-";
constexpr std::string_view kAsidePrefix = ".lumora-aside-";
// An aside folder holds, besides the old files: the journal (and its
// temporary while it is written), the mark that the new set goes in, and the
// staging folder.
constexpr const char* kJournal = "journal";
constexpr const char* kJournalPart = "journal.part";
constexpr const char* kMark = "committed";
constexpr const char* kNew = "new";
constexpr std::string_view kJournalHead = "lumora replacement 1\n";
// A journal names at most every set file of one base: far below this.
constexpr size_t kMaxJournalBytes = size_t{1} << 20;

ReplacementStepHook g_stepHook = nullptr;
int g_steps = 0;

void Stepped() {
  if (g_stepHook) g_stepHook(++g_steps);
}

fs::path FolderOf(const std::string& path) {
  fs::path folder = fs::path(path).parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

// The run that made a hidden folder or file "PREFIX<pid>-...", 0 for a name
// of another kind.
int OwnerOf(const std::string& name, std::string_view prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return 0;
  int pid = 0;
  const char* end = name.data() + name.size();
  const auto r = std::from_chars(name.data() + prefix.size(), end, pid);
  return r.ec == std::errc() && pid > 0 && r.ptr != end && *r.ptr == '-' ? pid : 0;
}

bool Ended(int pid) { return pid > 0 && pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH; }

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::weakly_canonical(fs::absolute(a, ec), ec) ==
         fs::weakly_canonical(fs::absolute(b, ec), ec);
}

bool Exists(const fs::path& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// A new name never replaces a file that is there: whatever holds the name
// was not moved aside and is not ours to lose.
bool MoveNoReplace(const fs::path& from, const fs::path& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  struct stat st;
  return lstat(to.c_str(), &st) != 0 && errno == ENOENT && rename(from.c_str(), to.c_str()) == 0;
}

// Makes the names moved in or out of a folder reach the disk. Some file
// systems cannot sync a folder; their renames are as durable as they get.
void SyncFolder(const fs::path& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

bool SyncFile(const fs::path& file) {
  const int fd = open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = fsync(fd) == 0 || errno == EINVAL;
  close(fd);
  return synced;
}

// Creates a file of our own with the text, on the disk before this returns.
bool WriteDurably(const fs::path& path, std::string_view text) {
  FilePtr f = CreateFileForWriting(path.string(), true);
  if (!f) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), f.get()) == text.size() &&
                       std::fflush(f.get()) == 0 && fsync(fileno(f.get())) == 0;
  return CloseWritten(f) && written;
}

// What is replaced by what: the names in the target folder of the old files
// and of the new ones (with their sizes, to know them again in place).
struct Journal {
  std::string base;
  std::vector<std::string> oldFiles;
  std::vector<std::pair<std::string, uint64_t>> newFiles;
};

// Names are written with blanks, control bytes and '%' as "%XX", one a line.
std::string Escaped(std::string_view name) {
  std::string out;
  for (const char ch : name) {
    const unsigned char c = static_cast<unsigned char>(ch);
    out += c <= ' ' || c == '%' || c == 0x7f ? Format("%%%02X", c) : std::string(1, ch);
  }
  return out;
}

bool Unescaped(std::string_view text, std::string& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    unsigned value = 0;
    if (text.size() - i < 3) return false;
    const auto r = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
    if (r.ec != std::errc() || r.ptr != text.data() + i + 3 || value == 0) return false;
    out += static_cast<char>(value);
    i += 2;
  }
  return true;
}

uint64_t Checksum(std::string_view text) {
  uint64_t h = 14695981039346656037ull;  // FNV-1a
  for (const char c : text) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return h;
}

std::string SumLine(std::string_view body) {
  return Format("sum %016llx\n", static_cast<unsigned long long>(Checksum(body)));
}

std::string JournalText(const Journal& j) {
  std::string text(kJournalHead);
  text += "base " + Escaped(j.base) + "\n";
  for (const auto& name : j.oldFiles) text += "old " + Escaped(name) + "\n";
  for (const auto& [name, size] : j.newFiles)
    text += Format("new %llu ", static_cast<unsigned long long>(size)) + Escaped(name) + "\n";
  return text + SumLine(text);
}

// A name the journal may act on: a file of the set. With a base that holds
// no '/' and an extension of letters and digits, it names a file in the
// target folder itself, never a path.
bool SetFileName(const std::string& name, const std::string& base) {
  return name.size() > base.size() + 1 &&
         EqualsNoCase(std::string_view(name).substr(0, base.size()), base) &&
         name[base.size()] == '.' && IsFileSetExtension(name.substr(base.size() + 1));
}

bool ParseJournal(const std::string& text, Journal& j) {
  const size_t sumSize = SumLine("").size();
  if (text.size() < kJournalHead.size() + sumSize ||
      text.compare(0, kJournalHead.size(), kJournalHead) != 0)
    return false;
  const std::string_view body(text.data(), text.size() - sumSize);
  if (text.compare(body.size(), sumSize, SumLine(body)) != 0) return false;
  std::set<std::string> seen;
  for (size_t at = kJournalHead.size(); at < body.size();) {
    const size_t end = body.find('\n', at);
    if (end == std::string_view::npos) return false;
    const std::string_view line = body.substr(at, end - at);
    const bool first = at == kJournalHead.size();
    at = end + 1;
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) return false;
    const std::string_view key = line.substr(0, space);
    std::string_view rest = line.substr(space + 1);
    unsigned long long size = 0;
    if (key == "new") {
      const auto r = std::from_chars(rest.data(), rest.data() + rest.size(), size);
      if (r.ec != std::errc() || r.ptr == rest.data() + rest.size() || *r.ptr != ' ') return false;
      rest.remove_prefix(static_cast<size_t>(r.ptr - rest.data()) + 1);
    }
    std::string name;
    if (!Unescaped(rest, name)) return false;
    if (first) {
      if (key != "base" || name.empty() || name.find('/') != std::string::npos) return false;
      j.base = name;
    } else if (!SetFileName(name, j.base) || !seen.insert(std::string(key) + " " + name).second) {
      return false;
    } else if (key == "old") {
      j.oldFiles.push_back(name);
    } else if (key == "new") {
      j.newFiles.emplace_back(name, size);
    } else {
      return false;
    }
  }
  return !j.base.empty();
}

// One replacement on disk: the target folder, its aside folder, and what the
// journal there says.
struct Replacement {
  fs::path folder, aside;
  Journal journal;

  enum class Outcome { kNew, kOld, kStuck };

  fs::path Staged(const std::string& name) const { return aside / kNew / name; }

  // A new file that is no longer staged is in place when the target folder
  // holds a file of its size under its name.
  bool InPlace(const std::string& name, uint64_t size) const {
    struct stat st;
    return lstat((folder / name).c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           static_cast<uint64_t>(st.st_size) == size;
  }

  bool WriteJournal() const {
    const fs::path part = aside / kJournalPart;
    if (!WriteDurably(part, JournalText(journal)) || !MoveNoReplace(part, aside / kJournal)) {
      std::error_code ec;
      fs::remove(part, ec);
      return false;
    }
    SyncFolder(aside);
    SyncFolder(folder);
    return true;
  }

  bool WriteMark() const {
    if (!WriteDurably(aside / kMark, "")) return false;
    SyncFolder(aside);
    return true;
  }

  Outcome Settle() {
    if (Exists(aside / kMark)) {
      if (RollForward()) return Outcome::kNew;
      if (!Withdraw()) return Outcome::kStuck;
    }
    return RollBack() ? Outcome::kOld : Outcome::kStuck;
  }

  bool RollForward() {
    for (const auto& [name, size] : journal.newFiles) {
      if (Exists(Staged(name))) {
        if (!MoveNoReplace(Staged(name), folder / name)) return false;
        Stepped();
      } else if (!InPlace(name, size)) {
        return false;
      }
    }
    SyncFolder(folder);
    // The new set is whole: only now does the old one go.
    std::error_code ec;
    for (const auto& name : journal.oldFiles)
      if (fs::remove(aside / name, ec)) Stepped();
    Tidy();
    return true;
  }

  // Takes the new files that went in back into the aside folder and drops
  // the mark, so that the old set can return.
  bool Withdraw() {
    for (const auto& [name, size] : journal.newFiles) {
      if (Exists(Staged(name)) || !InPlace(name, size)) continue;
      if (!MoveNoReplace(folder / name, Staged(name))) return false;
      Stepped();
    }
    SyncFolder(aside / kNew);
    std::error_code ec;
    if (!fs::remove(aside / kMark, ec)) return false;
    SyncFolder(aside);
    Stepped();
    return true;
  }

  bool RollBack() {
    bool all = true;
    for (const auto& name : journal.oldFiles) {
      if (!Exists(aside / name)) continue;
      if (MoveNoReplace(aside / name, folder / name))
        Stepped();
      else
        all = false;
    }
    SyncFolder(folder);
    // Whatever could not go back stays, with the journal, for a later run.
    if (!all) return false;
    std::error_code ec;
    for (const auto& entry : journal.newFiles)
      if (fs::remove(Staged(entry.first), ec)) Stepped();
    Tidy();
    return true;
  }

  // The bookkeeping goes last, the journal before the mark; a folder that
  // still holds anything else stays.
  void Tidy() const {
    std::error_code ec;
    for (const char* name : {kNew, kJournal, kMark})
      if (fs::remove(aside / name, ec)) Stepped();
    if (fs::remove(aside, ec)) Stepped();
    SyncFolder(folder);
  }
};

// The old files wait in the hidden folder for a later run; the user is told where.
void ReportKept(const fs::path& aside, Messenger& messenger) {
  messenger.ShowText(kReplacementTitle, std::string(MessageText(kMsgReplacementKept)) + "\n" +
                                            EscapeControlCharacters(aside.string()));
}

// Which of the target's old files (extension in lower case) the new set
// replaces; see the header.
bool Replaces(const std::string& ext, bool oldSettings, const std::vector<std::string>& newExts,
              const std::vector<std::string>& only) {
  if (!only.empty()) return std::find(only.begin(), only.end(), ext) != only.end();
  return oldSettings || ParseBandSuffix(ext).letter != 0 || ext == "dem" || ext == "lev" ||
         std::find(newExts.begin(), newExts.end(), ext) != newExts.end();
}

// Settles one aside folder of an ended run, after claiming it under this
// run's name: two runs never settle one replacement at once, and a claim of
// a run that ends in turn is settled by the next.
bool RecoverAside(const fs::path& folder, const fs::path& found, fs::path& kept) {
  kept = found;
  std::string claim = (folder / Format("%s%d-XXXXXX", std::string(kAsidePrefix).c_str(),
                                       static_cast<int>(getpid())))
                          .string();
  if (!mkdtemp(claim.data())) return false;
  std::error_code ec;
  // Renaming onto the empty folder just made replaces it; the loser of a
  // race finds the folder gone and leaves it to the winner.
  if (rename(found.c_str(), claim.c_str()) != 0) {
    const bool gone = errno == ENOENT;
    fs::remove(claim, ec);
    return gone;
  }
  kept = claim;
  Stepped();
  Replacement r{folder, claim, {}};
  std::string text;
  if (Exists(r.aside / kJournal)) {
    return ReadTextFile(r.aside / kJournal, kMaxJournalBytes, text) == TextRead::kOk &&
           ParseJournal(text, r.journal) && r.Settle() != Replacement::Outcome::kStuck;
  }
  // Without a journal nothing of the user's has moved yet: the folder holds
  // at most the bookkeeping. Anything else is kept.
  for (const char* name : {kJournalPart, kMark})
    if (fs::remove(r.aside / name, ec)) Stepped();
  return fs::remove(r.aside, ec);
}

}  // namespace

void SetReplacementStepHook(ReplacementStepHook hook) {
  g_stepHook = hook;
  g_steps = 0;
}

bool RecoverInterruptedReplacements(const std::string& folderPath, Messenger& messenger) {
  const fs::path folder = folderPath.empty() ? fs::path(".") : fs::path(folderPath);
  std::vector<fs::path> asides, leftovers;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.compare(0, kHiddenPrefix.size(), kHiddenPrefix) != 0) continue;
    struct stat st;
    if (lstat(it->path().c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode) && Ended(OwnerOf(name, kAsidePrefix)))
      asides.push_back(it->path());
    else if (S_ISDIR(st.st_mode) && Ended(OwnerOf(name, kStagePrefix)))
      leftovers.push_back(it->path());
    else if (S_ISREG(st.st_mode) && name.size() > 5 && name.ends_with(".part") &&
             Ended(OwnerOf(name, kHiddenPrefix)))
      leftovers.push_back(it->path());  // a settings file's temporary
  }
  bool settled = true;
  for (const auto& aside : asides) {
    fs::path kept;
    if (RecoverAside(folder, aside, kept)) continue;
    settled = false;
    ReportKept(kept, messenger);
  }
  // After the replacements: one that went ahead holds its staged files in
  // its aside folder, so a staging folder left outside is never needed.
  for (const auto& path : leftovers) fs::remove_all(path, ec);
  return settled;
}

bool SameFileSet(const std::string& targetBase, const std::string& sourceBase) {
  if (EqualsNoCase(fs::path(targetBase).filename().string(),
                   fs::path(sourceBase).filename().string()) &&
      SameFolder(FolderOf(targetBase), FolderOf(sourceBase)))
    return true;
  const auto sourceFiles = SetFiles(sourceBase);
  for (const auto& t : SetFiles(targetBase)) {
    for (const auto& s : sourceFiles) {
      std::error_code ec;
      if (fs::equivalent(t, s, ec)) return true;
    }
  }
  return false;
}

StagedFileSet::~StagedFileSet() {
  if (m_folder.empty()) return;
  std::error_code ec;
  fs::remove_all(m_folder, ec);
}

bool StagedFileSet::Begin(const std::string& targetBase, Messenger& messenger) {
  m_targetBase = targetBase;
  const fs::path folder = FolderOf(targetBase);
  RecoverInterruptedReplacements(folder.string(), messenger);
  // Short on purpose: a valid output name of 255 characters must still fit.
  std::string pattern =
      (folder / Format("%s%d-XXXXXX", std::string(kStagePrefix).c_str(), getpid())).string();
  if (!mkdtemp(pattern.data())) return false;
  m_folder = pattern;
  return true;
}

std::string StagedFileSet::StageBase() const {
  return (fs::path(m_folder) / fs::path(m_targetBase).filename()).string();
}

bool StagedFileSet::Commit(Messenger& messenger, int failMessage,
                           const std::vector<std::string>& only) {
  Replacement r;
  r.folder = FolderOf(m_targetBase);
  r.journal.base = fs::path(m_targetBase).filename().string();
  // The new files reach the disk before anything of the user's moves, so
  // that a replacement the journal lets go ahead has them whole.
  std::vector<std::string> newExts;
  std::error_code ec;
  for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
    struct stat st;
    if (lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !SyncFile(it->path())) {
      messenger.ShowMessage(failMessage);
      return false;
    }
    r.journal.newFiles.emplace_back(it->path().filename().string(),
                                    static_cast<uint64_t>(st.st_size));
    newExts.push_back(LowerExtension(it->path()));
  }
  if (ec) {
    messenger.ShowMessage(failMessage);
    return false;
  }
  std::sort(r.journal.newFiles.begin(), r.journal.newFiles.end());
  const auto oldFiles = SetFiles(m_targetBase);
  const size_t nameSize = r.journal.base.size() + 1;
  const bool oldSettings = std::any_of(oldFiles.begin(), oldFiles.end(), [&](const fs::path& f) {
    return EqualsNoCase(f.filename().string().substr(nameSize), "inf");
  });
  for (const auto& old : oldFiles) {
    const std::string name = old.filename().string();
    if (Replaces(ToLowerAscii(name.substr(nameSize)), oldSettings, newExts, only))
      r.journal.oldFiles.push_back(name);
  }

  std::string aside =
      (r.folder / Format("%s%d-XXXXXX", std::string(kAsidePrefix).c_str(), getpid())).string();
  if (!mkdtemp(aside.data())) {
    messenger.ShowMessage(kMsgDeleteFailed);
    return false;
  }
  r.aside = aside;
  Stepped();
  if (!r.WriteJournal()) {
    fs::remove(r.aside, ec);
    messenger.ShowMessage(kMsgCreateFailed);
    return false;
  }
  Stepped();
  // From here on the aside folder and its journal own the staged files.
  auto failed = [&](Replacement::Outcome outcome, int message) {
    messenger.ShowMessage(message);
    if (outcome == Replacement::Outcome::kStuck) ReportKept(r.aside, messenger);
    return false;
  };
  if (!MoveNoReplace(m_folder, r.aside / kNew)) return failed(r.Settle(), failMessage);
  m_folder.clear();
  SyncFolder(r.folder);
  Stepped();
  for (const auto& name : r.journal.oldFiles) {
    if (!MoveNoReplace(r.folder / name, r.aside / name))
      return failed(r.Settle(), kMsgDeleteFailed);
    Stepped();
  }
  SyncFolder(r.folder);
  SyncFolder(r.aside);
  if (!r.WriteMark()) return failed(r.Settle(), kMsgDeleteFailed);
  Stepped();
  const Replacement::Outcome outcome = r.Settle();
  return outcome == Replacement::Outcome::kNew || failed(outcome, failMessage);
}

}  // namespace lumora
