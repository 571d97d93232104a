#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace tarnwick::store {

// A read-only view of stored bytes whose every read is bounded by the view. Positions are
// signed because the readers compute them as distances before and after a marker; a read
// that does not lie wholly inside the view is refused (`has` is false) or, for the probes
// that only look for markers, yields 0.
class BoundedBytes {
 public:
  BoundedBytes() = default;
  explicit BoundedBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::int64_t size() const { return static_cast<std::int64_t>(bytes_.size()); }
  std::span<const std::uint8_t> span() const { return bytes_; }

  // True when the `count` bytes from `pos` lie inside the view.
  bool has(std::int64_t pos, std::int64_t count) const {
    return pos >= 0 && count >= 0 && pos <= size() && count <= size() - pos;
  }

  // The byte at `pos`, or 0 outside the view.
  std::uint8_t u8(std::int64_t pos) const { return has(pos, 1) ? bytes_[static_cast<std::size_t>(pos)] : 0; }
  // Little-endian values; 0 when any of their bytes lies outside the view.
  std::uint16_t u16(std::int64_t pos) const {
    if (!has(pos, 2)) return 0;
    return static_cast<std::uint16_t>(u8(pos) | (u8(pos + 1) << 8));
  }
  std::int16_t s16(std::int64_t pos) const { return static_cast<std::int16_t>(u16(pos)); }
  std::uint32_t u32(std::int64_t pos) const {
    if (!has(pos, 4)) return 0;
    return static_cast<std::uint32_t>(u8(pos)) | (static_cast<std::uint32_t>(u8(pos + 1)) << 8) |
           (static_cast<std::uint32_t>(u8(pos + 2)) << 16) | (static_cast<std::uint32_t>(u8(pos + 3)) << 24);
  }
  // A big-endian 32-bit value; 0 when any of its bytes lies outside the view.
  std::uint32_t u32be(std::int64_t pos) const {
    if (!has(pos, 4)) return 0;
    return (static_cast<std::uint32_t>(u8(pos)) << 24) | (static_cast<std::uint32_t>(u8(pos + 1)) << 16) |
           (static_cast<std::uint32_t>(u8(pos + 2)) << 8) | static_cast<std::uint32_t>(u8(pos + 3));
  }

  // The `count` bytes from `pos`; empty when they do not lie inside the view.
  std::span<const std::uint8_t> slice(std::int64_t pos, std::int64_t count) const {
    if (!has(pos, count)) return {};
    return bytes_.subspan(static_cast<std::size_t>(pos), static_cast<std::size_t>(count));
  }

  // Copies 8 bytes from `pos` into `out`; false (and `out` untouched) outside the view.
  bool copy8(std::int64_t pos, std::array<std::uint8_t, 8>& out) const {
    if (!has(pos, 8)) return false;
    for (std::size_t i = 0; i < 8; ++i) out[i] = bytes_[static_cast<std::size_t>(pos) + i];
    return true;
  }

  // True when the bytes at `pos` equal `text` byte for byte (all inside the view).
  bool equals(std::int64_t pos, std::string_view text) const;
  // The same, ASCII letters compared without regard to case.
  bool equalsNoCase(std::int64_t pos, std::string_view text) const;
  // True when the bytes at `pos` equal `bytes`.
  bool equals(std::int64_t pos, std::span<const std::uint8_t> bytes) const;

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace tarnwick::store
