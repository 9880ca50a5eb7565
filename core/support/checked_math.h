// Size arithmetic that cannot overflow silently.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace lumora {

// a * b, or nothing when the product does not fit in int64.
inline std::optional<int64_t> CheckedMul(int64_t a, int64_t b) {
  int64_t r;
  if (__builtin_mul_overflow(a, b, &r)) return std::nullopt;
  return r;
}

inline std::optional<int64_t> CheckedMul(int64_t a, int64_t b, int64_t c) {
  auto ab = CheckedMul(a, b);
  if (!ab) return std::nullopt;
  return CheckedMul(*ab, c);
}

inline std::optional<int64_t> CheckedAdd(int64_t a, int64_t b) {
  int64_t r;
  if (__builtin_add_overflow(a, b, &r)) return std::nullopt;
  return r;
}

// Largest single buffer the program allocates: keeps a hostile settings file
// from asking for more memory than any real scene needs.
inline constexpr int64_t kMaxBufferBytes = int64_t{8} << 30;

// A byte count that may be allocated: non-negative and within the limit.
inline bool AllocatableBytes(std::optional<int64_t> bytes) {
  return bytes && *bytes >= 0 && *bytes <= kMaxBufferBytes;
}

}  // namespace lumora
