// Hot loops compiled twice: once for any processor and once for processors
// with 256-bit vectors, the wide version chosen at run time. Write the loop
// as an always-inline function, define a portable and a LUMORA_WIDE_VECTORS
// caller of it, and call (UseWideVectors() ? Wide : Portable)(...). Where
// the compiler or machine has no such vectors both callers are the portable
// code and UseWideVectors() is false.
#pragma once

#include <atomic>

#if defined(__x86_64__) && defined(__GNUC__)
#define LUMORA_HAS_WIDE_VECTORS 1
#define LUMORA_WIDE_VECTORS __attribute__((target("avx2")))
#else
#define LUMORA_HAS_WIDE_VECTORS 0
#define LUMORA_WIDE_VECTORS
#endif

namespace lumora {

inline std::atomic<bool> g_wideVectorsAllowed{true};

// Tests and benchmarks switch the wide versions off to run the portable ones.
inline void AllowWideVectors(bool allowed) {
  g_wideVectorsAllowed.store(allowed, std::memory_order_relaxed);
}

// True when the wide versions may run on this processor.
inline bool UseWideVectors() {
#if LUMORA_HAS_WIDE_VECTORS
  static const bool hasWide = __builtin_cpu_supports("avx2");
  return hasWide && g_wideVectorsAllowed.load(std::memory_order_relaxed);
#else
  return false;
#endif
}

}  // namespace lumora
