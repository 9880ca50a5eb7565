// Replacing a file set as one step, even across a crash or a power cut.
//
// The new set is written into a hidden staging folder beside its target. On
// commit a hidden aside folder is made, and a journal in it names the set and
// every old and new file before any of the user's files moves. The staging
// folder goes into the aside folder, the old files follow, and a mark is
// written: from then on the replacement goes ahead. The new files move in,
// and only then are the old ones deleted.
//
// A run that ended part way is settled by the next that reads or writes a set
// in that folder (RecoverInterruptedReplacements), as a database does: with
// the mark, the new set is moved in whole (and when that cannot be, put
// back); without it, the old set is put back. Either way the set is then
// wholly old or wholly new. Nothing of the user's is deleted before the other
// set is whole, nor on the word of a journal that is damaged or names files
// outside its set.
//
// A set replaces a set whole. Where no settings file of that name was, only
// the files the new set writes are replaced, with the files the readers would
// take for part of it (bands, descriptions, elevation); a legend, class list
// or display state of the user's of that name stays. Other files of the same
// name ("out.txt") are never touched.
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
  // extension), after settling what runs which no longer exist left there
  // (reported through messenger). False when the folder cannot be created.
  bool Begin(const std::string& targetBase, Messenger& messenger);
  // The new set's base in the staging folder: write "StageBase() + .ext".
  std::string StageBase() const;
  const std::string& Folder() const { return m_folder; }
  // Replaces the target's set with the staged files. 61290 when the old set
  // cannot be moved aside, failMessage when the new set cannot be moved in;
  // either way the old set is back in place (61490 when it cannot be: its
  // files then wait in the aside folder for the next run). With only
  // (extensions, lower case, "dem"), just those files of the old set are
  // replaced.
  bool Commit(Messenger& messenger, int failMessage = kMsgCopyFailed,
              const std::vector<std::string>& only = {});

 private:
  std::string m_folder;
  std::string m_targetBase;
};

// Settles the replacements in folder that runs which have ended left
// unfinished, and removes their staging folders and temporary files. A
// replacement that cannot be settled (a name taken, a folder not writable, a
// damaged journal) is reported (61490) and its files are kept for a later
// run; false then. One look at the folder when there is nothing to do.
bool RecoverInterruptedReplacements(const std::string& folder, Messenger& messenger);

// Test seam: called after each change a replacement or its recovery makes on
// disk, numbered from 1 since the hook was set; null for none.
using ReplacementStepHook = void (*)(int step);
void SetReplacementStepHook(ReplacementStepHook hook);

// True when both bases name one file set as the file system resolves names
// (case on a case-folding disk, links): the same folder and name, or a file
// of the source set that is reached under the target's name.
bool SameFileSet(const std::string& targetBase, const std::string& sourceBase);

}  // namespace lumora
