// Where an open image's data lives while the user works on it: two working
// base names per open, the slot that alternates between them with every
// processing step, and the dedicated working folder.
#pragma once

#include <string>

#include "core/support/messenger.h"

namespace lumora {

// Application-wide counter of opens; the working names of an open are
// "%d%s" with the counter and counter + 1 and the opened base name.
class WorkingNamer {
 public:
  int Counter() const { return m_counter; }
  // Forms the two names for an open of settingsPath and advances the counter by 2.
  void Next(const std::string& settingsPath, std::string& name0, std::string& name1);

 private:
  int m_counter = 0;
};

// The working files of one view.
struct WorkingFiles {
  std::string workDir;  // ends with a separator
  std::string names[2];
  int slot = -1;  // -1: the image as opened; 0/1: the working set of that name
  std::string currentSettingsPath;
  std::string openedSettingsPath;

  // Open: new names from the namer, slot -1, and both names' files deleted
  // (61290 on failure, and the open is abandoned).
  bool Prepare(WorkingNamer& namer, const std::string& workDirectory,
               const std::string& settingsPath, Messenger& messenger);

  // The base path (no extension) of the file set now shown.
  std::string CurrentBase() const;
  // Flips the slot for a processing step (-1/1 -> 0, 0 -> 1) and returns the
  // base path the step writes.
  std::string BeginStep();
  // Base path of a slot's working set.
  std::string SlotBase(int s) const { return workDir + names[s]; }

  // Goes back one step: deletes the current slot's files, flips the slot and
  // shows that slot's set when its settings file exists, else the opened
  // image. Nothing happens at slot -1. 61290 when a deletion fails (the slot
  // stays).
  bool Undo(Messenger& messenger);
};

// Creates (when missing) and empties the working folder. Only a folder that
// carries our marker, is no symbolic link and has none on its path, and is
// not the home folder or above it is emptied; a folder that exists without
// the marker is only used when empty. Before anything is emptied the folder
// is locked for the rest of the process (a lock file beside it); while
// another process holds that lock, 61283 and nothing is touched. 61281 when
// it cannot be created or locked, 61290 when emptying fails, 61402 when it is
// not safe to use.
bool PrepareWorkingDirectory(const std::string& workDir, const std::string& homeDir,
                             Messenger& messenger);

inline constexpr const char* kWorkDirMarker = ".lumora-workdir";

}  // namespace lumora
