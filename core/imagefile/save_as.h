// Save as: the file set now shown is copied under a new base name. The new
// set is built in a staging folder beside the target and moved into place
// only when complete, so a failure leaves the files at the target as they were.
#pragma once

#include <string>
#include <vector>

#include "core/imagefile/working_files.h"
#include "core/support/messenger.h"

namespace lumora {

// Copies the shown set (the current working slot's set, or the opened image
// at slot -1) to the folder and base name of targetSettingsPath. Refuses
// (61273) the current settings file and any target whose base names the
// shown set itself; 61280 when a copy fails, 61290 when an old target file
// cannot be deleted.
bool SaveImageAs(const std::string& targetSettingsPath, const WorkingFiles& files,
                 Messenger& messenger);

// True when both name the same file set: equal folder (by file identity when
// it exists) and equal base name without regard to ASCII case.
bool SameFileSetBase(const std::string& baseA, const std::string& baseB);

// Files written under a hidden folder in the target folder and then moved
// into place together. The folder and anything left in it are removed when
// the object goes.
class StagedFileSet {
 public:
  StagedFileSet() = default;
  ~StagedFileSet();
  StagedFileSet(const StagedFileSet&) = delete;
  StagedFileSet& operator=(const StagedFileSet&) = delete;

  // Creates the staging folder in targetFolder; false when it cannot.
  bool Begin(const std::string& targetFolder);
  // Where a file of the new set is written before it is moved into place.
  std::string PathFor(const std::string& fileName) const;
  const std::string& Folder() const { return m_folder; }
  // Deletes every file targetBase.* (61290 on failure, nothing moved), then
  // moves every staged file into the target folder (61280 on failure).
  bool Commit(const std::string& targetBase, Messenger& messenger);

 private:
  std::string m_folder;
  std::string m_target;
};

}  // namespace lumora
