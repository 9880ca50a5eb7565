// What the pupil does with the groups of a classification result in its
// legend: names and colours a group ("what is this? water"), merges two
// groups into one, and hands the named groups of a k-means result to the
// supervised run as training classes. Each edit is a processing step: the
// planes are written anew with the changed colours, so the picture, the
// legend and the group means stay in agreement and the edit can be undone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/analysis/land_cover.h"
#include "core/support/messenger.h"
#include "core/support/progress.h"

namespace lumora {

struct GroupEdit {
  enum Kind { kRename, kMerge };
  Kind kind = kRename;
  int group = 0;                         // the group renamed, or the one the other goes into
  int other = 0;                         // merged into group (kMerge)
  uint8_t red = 0, green = 0, blue = 0;  // kRename
  std::string title;                     // kRename, UTF-8
};

// Checks an edit against the legend's classes before anything runs: 0, or
// the message id of why not (a group that is not there, a group merged
// with itself, a colour another group has or black, an empty title).
// *clash: the group whose colour it is.
int CheckGroupEdit(const std::vector<ClassItem>& classes, const GroupEdit& edit,
                   int* clash = nullptr);

// The edit as a step over a classification result: the three planes with
// the group's pixels in their new colour (a pixel belongs to the first
// class of its colour; pixels of no class stay), the legend file with the
// changed or merged classes, the group means merged, the other companions
// copied. A bad edit or a legend that cannot be read is reported and
// nothing is written.
bool RunGroupEdit(const StepSource& source, const std::string& targetBase, const GroupEdit& edit,
                  StepResult& result, Messenger& messenger, Progress& progress);
StepBody MakeGroupEditStep(GroupEdit edit);

// Whether the pupil named a group: its title is not the "グループN" the
// k-means run gave it.
bool IsNamedGroup(const std::string& title);

// A class title as the interface shows it: a group not yet named in the
// interface language ("Group 3" in English), any other title as it is.
// Files keep the title the run wrote.
std::string ShownGroupTitle(const std::string& title);

// Training classes from the named groups of the classification result at
// resultSettingsPath, whose size must be width x height: each with its
// group's title and colour and, as its training area, the largest square
// of the group's pixels in one piece (the first from the top left among
// equals). False after a message when the result cannot be read, is of
// another size, or has no named group.
bool ClassesFromNamedGroups(const std::string& resultSettingsPath, int width, int height,
                            std::vector<ClassItem>& out, Messenger& messenger);

// The largest square of one label per label (labels[y * width + x]; 255:
// none) as a training area: top, left and, one past, bottom and right;
// (0, 0)-(0, 0) for a label no pixel has. labelCount labels.
std::vector<ClassItem> LargestSquares(const std::vector<uint8_t>& labels, int width, int height,
                                      int labelCount);

}  // namespace lumora
