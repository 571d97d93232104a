#pragma once

#include <compare>
#include <cstdint>
#include <functional>

namespace tarnwick::store {

// Strong types for the three ways the store names a place in the database file, so that a
// page number can never be passed where a byte offset is expected.

// A byte offset from the start of the database file.
struct FileOffset {
  std::int64_t value = 0;

  constexpr FileOffset() = default;
  constexpr explicit FileOffset(std::int64_t v) : value(v) {}
  constexpr auto operator<=>(const FileOffset&) const = default;
  constexpr FileOffset operator+(std::int64_t bytes) const { return FileOffset(value + bytes); }
};

// A database page number; page n lies at file offset (n + 1) x page size.
struct PageNumber {
  std::int64_t value = 0;

  constexpr PageNumber() = default;
  constexpr explicit PageNumber(std::int64_t v) : value(v) {}
  constexpr auto operator<=>(const PageNumber&) const = default;
};

// A position counted in 512-byte units, as the message-header tables list their pages.
struct SectorPosition {
  static constexpr std::int64_t kSectorSize = 512;
  std::int64_t value = 0;

  constexpr SectorPosition() = default;
  constexpr explicit SectorPosition(std::int64_t v) : value(v) {}
  constexpr auto operator<=>(const SectorPosition&) const = default;
  constexpr FileOffset toFileOffset() const { return FileOffset(value * kSectorSize); }
};

}  // namespace tarnwick::store

template <>
struct std::hash<tarnwick::store::FileOffset> {
  std::size_t operator()(const tarnwick::store::FileOffset& o) const noexcept {
    return std::hash<std::int64_t>{}(o.value);
  }
};

template <>
struct std::hash<tarnwick::store::SectorPosition> {
  std::size_t operator()(const tarnwick::store::SectorPosition& p) const noexcept {
    return std::hash<std::int64_t>{}(p.value);
  }
};
