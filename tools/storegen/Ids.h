#pragma once

// Identifiers the writer must not mix up: page numbers, object (tree) ids, column ids and
// long-value ids.

#include <compare>
#include <cstdint>

namespace tarnwick::storegen {

struct PageNumber {
  std::uint32_t value = 0;
  auto operator<=>(const PageNumber&) const = default;
};

struct ObjectId {
  std::uint32_t value = 0;
  auto operator<=>(const ObjectId&) const = default;
};

struct LongValueId {
  std::uint32_t value = 0;
  auto operator<=>(const LongValueId&) const = default;
};

// File offset of a page: page n lies at (n + 1) x page size.
inline std::uint64_t fileOffsetOf(PageNumber page, std::uint32_t pageSize) {
  return (static_cast<std::uint64_t>(page.value) + 1) * pageSize;
}

}  // namespace tarnwick::storegen
