// Bounds-checked little-endian reads over a byte span. A read that would leave
// the span yields nothing; callers report the fault instead of reading on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tarnwick::pstcheck {

using Bytes = std::span<const std::uint8_t>;

inline bool fits(Bytes b, std::uint64_t offset, std::uint64_t length) {
  return offset <= b.size() && length <= b.size() - offset;
}

inline std::optional<Bytes> sub(Bytes b, std::uint64_t offset, std::uint64_t length) {
  if (!fits(b, offset, length)) return std::nullopt;
  return b.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
}

template <typename T>
inline T readLe(Bytes b, std::uint64_t offset, T fallback = 0) {
  if (!fits(b, offset, sizeof(T))) return fallback;
  T v = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) v |= static_cast<T>(static_cast<T>(b[offset + i]) << (8 * i));
  return v;
}

inline std::uint8_t u8(Bytes b, std::uint64_t o) { return readLe<std::uint8_t>(b, o); }
inline std::uint16_t u16(Bytes b, std::uint64_t o) { return readLe<std::uint16_t>(b, o); }
inline std::uint32_t u32(Bytes b, std::uint64_t o) { return readLe<std::uint32_t>(b, o); }
inline std::uint64_t u64(Bytes b, std::uint64_t o) { return readLe<std::uint64_t>(b, o); }

}  // namespace tarnwick::pstcheck
