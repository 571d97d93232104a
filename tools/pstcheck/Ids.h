// Identifier types of the node database: node ids, block ids, heap ids and
// file offsets are different things and cannot be passed for one another.
#pragma once

#include <compare>
#include <cstdint>
#include <functional>

#include "tools/pstcheck/PstLayout.h"

namespace tarnwick::pstcheck {

/// NID: a node's id; its low five bits give the node type.
struct Nid {
  std::uint32_t value = 0;
  constexpr std::uint32_t type() const { return value & layout::kNidTypeMask; }
  constexpr std::uint32_t index() const { return value >> 5; }
  constexpr Nid withType(std::uint32_t t) const { return Nid{(value & ~layout::kNidTypeMask) | t}; }
  auto operator<=>(const Nid&) const = default;
};

/// BID: a block's or page's id.
struct Bid {
  std::uint64_t value = 0;
  constexpr bool internal() const { return (value & layout::kBidInternal) != 0; }
  auto operator<=>(const Bid&) const = default;
};

/// IB: an absolute byte offset in the file.
struct FileOffset {
  std::uint64_t value = 0;
  auto operator<=>(const FileOffset&) const = default;
};

/// HID: an allocation in a heap-on-node (type bits zero).
struct Hid {
  std::uint32_t value = 0;
  constexpr bool isHid() const { return (value & layout::kNidTypeMask) == 0; }
  constexpr std::uint32_t index() const { return (value >> 5) & 0x7FF; }
  constexpr std::uint32_t blockIndex() const { return value >> 16; }
};

}  // namespace tarnwick::pstcheck

template <>
struct std::hash<tarnwick::pstcheck::Nid> {
  std::size_t operator()(const tarnwick::pstcheck::Nid& n) const noexcept {
    return std::hash<std::uint32_t>{}(n.value);
  }
};
template <>
struct std::hash<tarnwick::pstcheck::Bid> {
  std::size_t operator()(const tarnwick::pstcheck::Bid& b) const noexcept {
    return std::hash<std::uint64_t>{}(b.value);
  }
};
