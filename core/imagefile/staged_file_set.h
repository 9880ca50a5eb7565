// Replacing a file set as one step. The new set is written into a hidden
// staging folder beside its target; on commit the target's old set is moved
// aside, the new set moved in, and only then is the old set deleted. On any
// failure the old set is put back, so the user's files stay as they were.
// Only the files of a set (see IsFileSetExtension) are replaced; other
// files of the same name ("out.txt") are never touched.
#pragma once

#include <string>
#include <vector>

#include "core/support/messenger.h"
#include "core/support/string_table.h"

namespace lumora {

class StagedFileSet {
 public:
  StagedFileSet() = default;
  ~StagedFileSet();
  StagedFileSet(const StagedFileSet&) = delete;
  StagedFileSet& operator=(const StagedFileSet&) = delete;

  // Creates the staging folder beside targetBase (the new set's path without
  // extension), after removing the staging folders that runs which no longer
  // exist left there. False when the folder cannot be created.
  bool Begin(const std::string& targetBase);
  // The new set's base in the staging folder: write "StageBase() + .ext".
  std::string StageBase() const;
  const std::string& Folder() const { return m_folder; }
  // Replaces the target's set with the staged files. 61290 when the old set
  // cannot be moved aside, failMessage when the new set cannot be moved in;
  // either way the old set is back in place. With only (extensions, lower
  // case, "dem"), just those files of the old set are replaced.
  bool Commit(Messenger& messenger, int failMessage = kMsgCopyFailed,
              const std::vector<std::string>& only = {});

 private:
  std::string m_folder;
  std::string m_targetBase;
};

// True when both bases name one file set as the file system resolves names
// (case on a case-folding disk, links): the same folder and name, or a file
// of the source set that is reached under the target's name.
bool SameFileSet(const std::string& targetBase, const std::string& sourceBase);

}  // namespace lumora
