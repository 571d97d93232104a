#pragma once

#include <cstdint>
#include <vector>

#include "pst/ltp/HeapBuilder.h"
#include "pst/ltp/Hid.h"

namespace tarnwick::pst {

/// Builds a BTH (B-tree on heap) inside a heap: leaf records sorted by key, packed into
/// allocations of at most 3,580 bytes, with index levels above them when needed.
class BthBuilder {
 public:
  /// Reserves the BTHHEADER in the heap (so that it comes first, as Outlook lays it out).
  BthBuilder(HeapBuilder& heap, std::uint8_t keySize, std::uint8_t dataSize);
  Hid header() const { return header_; }
  /// Writes the records, each key then data bytes, packed one after another (sorted
  /// here by key as unsigned little-endian numbers).
  void build(std::vector<std::uint8_t> records);
  int indexLevels() const { return levels_; }

 private:
  HeapBuilder& heap_;
  std::uint8_t keySize_;
  std::uint8_t dataSize_;
  Hid header_;
  int levels_ = 0;
};

}  // namespace tarnwick::pst
