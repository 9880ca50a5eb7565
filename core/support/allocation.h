// Allocations that fail with a report instead of an exception.
#pragma once

#include <new>

#include "core/support/messenger.h"
#include "core/support/progress.h"
#include "core/support/string_table.h"

namespace lumora {

// Runs allocate(); false when it ran out of memory.
template <class F>
bool TryAllocate(F&& allocate) {
  try {
    allocate();
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// The same, telling the user (61233) when it fails; an open progress window
// closes before the message.
template <class F>
bool AllocateOrReport(Messenger& messenger, F&& allocate, Progress* progress = nullptr) {
  if (TryAllocate(allocate)) return true;
  if (progress) return progress->Fail(messenger, kMsgNoMemory);
  messenger.ShowMessage(kMsgNoMemory);
  return false;
}

}  // namespace lumora
