#pragma once

// A small independent PST reader for the tests: it walks the B-trees and decodes heaps,
// property contexts and table contexts straight from the bytes, so that the tests can
// look at what libpff and readpst do not (hierarchy and contents tables, page maps, tree
// depths) and compare Outlook's own empty file with ours.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::pst::testing {

struct RawProp {
  std::uint16_t type = 0;
  std::vector<std::uint8_t> bytes;  // value bytes (fixed types little-endian)
};

struct TableData {
  std::vector<std::uint32_t> columnTags;
  std::vector<std::map<std::uint32_t, RawProp>> rows;  // by column tag, only cells that exist
  bool rowsInSubnode = false;
};

class PstTestReader {
 public:
  explicit PstTestReader(const std::filesystem::path& path);

  struct Node {
    std::uint64_t data = 0, sub = 0;
    std::uint32_t parent = 0;
  };
  const std::map<std::uint32_t, Node>& nodes() const { return nodes_; }
  int nbtDepth() const { return nbtDepth_; }
  int bbtDepth() const { return bbtDepth_; }
  std::size_t blockCount() const { return blocks_.size(); }
  std::uint64_t fileSize() const { return file_.size(); }

  /// Whole data of a block tree (XBLOCK/XXBLOCK resolved); `levels` gets its depth.
  std::vector<std::uint8_t> readData(std::uint64_t bid, int* levels = nullptr) const;
  /// Subnodes (nid -> data bid, sub bid) of a subnode tree; `levels` gets its depth.
  std::map<std::uint32_t, std::pair<std::uint64_t, std::uint64_t>> readSubnodes(std::uint64_t bid,
                                                                                int* levels = nullptr) const;
  std::map<std::uint16_t, RawProp> properties(std::uint64_t dataBid, std::uint64_t subBid) const;
  std::map<std::uint16_t, RawProp> nodeProperties(std::uint32_t nid) const;
  TableData table(std::uint64_t dataBid, std::uint64_t subBid) const;
  TableData nodeTable(std::uint32_t nid) const;

  /// Checks every page and block trailer (CRC, signature, id) and heap page maps;
  /// returns the problems found.
  std::vector<std::string> verifyTrailers() const;

  /// Checks that every AMap marks exactly the pages and blocks in use (and its map
  /// pages), that the header's free count, last AMap and end of file agree, and that
  /// the density list names existing AMaps; returns the problems found.
  std::vector<std::string> verifyAllocationMaps() const;

  /// Blocks of the block B-tree that no node reaches (through data and subnode trees).
  std::vector<std::uint64_t> unreferencedBlocks() const;

  static std::string utf16(const std::vector<std::uint8_t>& b);
  static std::uint32_t u32(const std::vector<std::uint8_t>& b);

 private:
  struct Block {
    std::uint64_t ib = 0;
    std::uint16_t cb = 0;
  };
  std::vector<std::uint8_t> block(std::uint64_t bid) const;
  void walk(std::uint64_t ib, bool nbt, int depth);
  std::vector<std::vector<std::uint8_t>> heapAllocations(const std::vector<std::uint8_t>& data,
                                                         std::vector<std::size_t>& pageStarts) const;

  std::vector<std::uint8_t> file_;
  std::uint8_t crypt_ = 0;
  std::map<std::uint32_t, Node> nodes_;
  std::map<std::uint64_t, Block> blocks_;
  std::vector<std::uint64_t> pages_;
  int nbtDepth_ = 0, bbtDepth_ = 0;
};

}  // namespace tarnwick::pst::testing
