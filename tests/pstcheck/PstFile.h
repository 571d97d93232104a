// A writable copy of Outlook's Empty.pst for planting faults: finds pages,
// blocks and nodes, edits plain block bytes and re-seals CRCs so that only
// the planted fault remains.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/pstcheck/Report.h"

namespace tarnwick::pstcheck::test {

class PstFile {
 public:
  static PstFile empty();  ///< a copy of testdata/pst/Empty.pst

  std::vector<std::uint8_t>& bytes() { return bytes_; }
  Report check() const;

  std::uint64_t blockOffset(std::uint64_t bid) const;
  std::uint16_t blockSize(std::uint64_t bid) const;
  std::uint64_t nodeData(std::uint32_t nid) const;
  /// File offset of the leaf page entry (NBT or BBT) whose key is `key`.
  std::uint64_t leafEntry(bool nbt, std::uint64_t key) const;

  std::vector<std::uint8_t> plainBlock(std::uint64_t bid) const;
  /// Writes plain bytes back into a block (same size), encoding and re-sealing its CRC.
  void writePlainBlock(std::uint64_t bid, const std::vector<std::uint8_t>& plain);
  void resealPage(std::uint64_t ib);
  void resealBlock(std::uint64_t bid);
  void resealHeader();

  void put16(std::uint64_t at, std::uint16_t v);
  void put32(std::uint64_t at, std::uint32_t v);
  void put64(std::uint64_t at, std::uint64_t v);
  std::uint64_t get64(std::uint64_t at) const;

 private:
  std::vector<std::uint8_t> bytes_;
};

/// Faults of an area whose text (where + what) contains `needle`.
std::size_t countFaults(const Report& r, Area area, const std::string& needle = {});
std::string describe(const Report& r);

}  // namespace tarnwick::pstcheck::test
