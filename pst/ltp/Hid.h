#pragma once

#include <cstdint>

#include "pst/ndb/Ids.h"

namespace tarnwick::pst {

/// HID: an allocation in a heap-on-node (type 0, 1-based index, page number).
struct Hid {
  std::uint32_t value = 0;

  static constexpr Hid make(std::uint32_t pageIndex, std::uint32_t allocIndex) {
    return Hid{(pageIndex << 16) | (allocIndex << 5)};
  }
  constexpr bool isNull() const { return value == 0; }
  friend constexpr auto operator<=>(Hid, Hid) = default;
};

/// HNID: either a HID (value in the heap) or a subnode NID (value in a subnode).
struct Hnid {
  std::uint32_t value = 0;
  static constexpr Hnid of(Hid h) { return Hnid{h.value}; }
  static constexpr Hnid of(Nid n) { return Hnid{n.value}; }
};

}  // namespace tarnwick::pst
