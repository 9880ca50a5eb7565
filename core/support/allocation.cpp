#include "core/support/allocation.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace lumora {

void ReserveLarge(std::vector<uint8_t>& buffer, size_t bytes) {
  buffer.reserve(bytes);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Huge pages cover whole aligned 2 MB spans; the advice is only a hint, so
  // its failure changes nothing.
  constexpr uintptr_t kHuge = uintptr_t{2} << 20;
  const auto start = reinterpret_cast<uintptr_t>(buffer.data());
  const uintptr_t from = (start + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t to = (start + bytes) & ~(kHuge - 1);
  if (bytes >= kHuge && to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#endif
}

}  // namespace lumora
