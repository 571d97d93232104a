#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "pst/ltp/Hid.h"

namespace tarnwick::pst {

class DataTreeWriter;

/// Builds a heap-on-node: allocations of at most 3,580 bytes packed into pages of one
/// block each, every page ending in its page map, with the fill levels of the HNHDR and
/// HNBITMAPHDR computed from the free space each page leaves.
class HeapBuilder {
 public:
  explicit HeapBuilder(std::uint8_t clientSignature) : clientSignature_(clientSignature) { pages_.emplace_back(); }

  Hid allocate(std::span<const std::uint8_t> bytes);
  /// Replaces an allocation by one of the same size.
  void overwrite(Hid hid, std::span<const std::uint8_t> bytes);
  void setUserRoot(Hid hid) { userRoot_ = hid; }
  std::size_t pageCount() const { return pages_.size(); }

  /// Writes every page as its own block of the node's data tree.
  void writeTo(DataTreeWriter& out) const;
  /// The bytes of one page as they go to disk.
  std::vector<std::uint8_t> pageBytes(std::size_t pageIndex) const;

 private:
  struct Page {
    std::vector<std::vector<std::uint8_t>> allocations;
    std::size_t used = 0;  // bytes of allocations
  };
  static std::size_t headerSize(std::size_t pageIndex);
  static std::size_t pageSizeFor(std::size_t pageIndex, std::size_t used, std::size_t count);
  std::uint8_t fillLevel(std::size_t pageIndex) const;

  std::uint8_t clientSignature_;
  Hid userRoot_;
  std::vector<Page> pages_;
};

}  // namespace tarnwick::pst
