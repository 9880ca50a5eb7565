// Allocations that fail with a report instead of an exception.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

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

// Makes room for `bytes` in an empty buffer about to be filled, in huge
// pages where the system offers them: on some machines touching a large
// buffer 4 KB page by page costs more than the work done in it. Throws
// std::bad_alloc as reserve does.
void ReserveLarge(std::vector<uint8_t>& buffer, size_t bytes);

}  // namespace lumora
