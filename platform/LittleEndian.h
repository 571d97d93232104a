#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tarnwick {

// Bounded little-endian reads from a byte span: a read that would leave the span gives
// no value instead of touching bytes outside it.

inline std::optional<std::uint8_t> ReadU8(std::span<const std::uint8_t> bytes, std::size_t offset) {
  if (offset >= bytes.size()) return std::nullopt;
  return bytes[offset];
}

inline std::optional<std::uint16_t> ReadU16LE(std::span<const std::uint8_t> bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 2) return std::nullopt;
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline std::optional<std::uint32_t> ReadU32LE(std::span<const std::uint8_t> bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 4) return std::nullopt;
  return static_cast<std::uint32_t>(bytes[offset]) | (static_cast<std::uint32_t>(bytes[offset + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[offset + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[offset + 3]) << 24);
}

inline std::optional<std::uint64_t> ReadU64LE(std::span<const std::uint8_t> bytes, std::size_t offset) {
  auto low = ReadU32LE(bytes, offset);
  auto high = ReadU32LE(bytes, offset + 4);
  if (!low || !high) return std::nullopt;
  return (static_cast<std::uint64_t>(*high) << 32) | *low;
}

}  // namespace tarnwick
