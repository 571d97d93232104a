#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "pst/ndb/AllocationMap.h"
#include "pst/ndb/Ids.h"

namespace tarnwick::pst {

/// NBTENTRY: one node of the node B-tree.
struct NodeEntry {
  Nid nid;
  Bid data;
  Bid subnodes;
  Nid parent;
};

/// BBTENTRY: one block of the block B-tree.
struct BlockEntry {
  BlockRef ref;
  std::uint16_t cb = 0;
  std::uint16_t refCount = 0;
};

/// The node database of a new Unicode PST file: blocks are written to disk as they are
/// made; only the node and block B-tree entries stay in memory until `close`, which
/// writes both B-trees bottom-up, the allocation maps, the density list and the header.
class NodeDatabaseWriter {
 public:
  /// Creates the file; an existing file is never overwritten.
  explicit NodeDatabaseWriter(const std::filesystem::path& path);
  ~NodeDatabaseWriter();
  NodeDatabaseWriter(const NodeDatabaseWriter&) = delete;
  NodeDatabaseWriter& operator=(const NodeDatabaseWriter&) = delete;

  /// Writes one block (at most 8,176 bytes) with its trailer.
  Bid writeBlock(std::span<const std::uint8_t> data, bool internal);
  /// Adds a node to the node B-tree.
  void addNode(const NodeEntry& entry);

  void setNidCounter(NidType type, std::uint32_t lastIndex);
  Nid allocateNid(NidType type);

  void close();
  bool isClosed() const { return fd_ < 0; }
  const std::filesystem::path& path() const { return path_; }
  /// Depth of the B-trees written by `close` (1 = a single leaf page).
  int nodeTreeLevels() const { return nodeTreeLevels_; }
  int blockTreeLevels() const { return blockTreeLevels_; }

 private:
  /// Writes go through a buffer of consecutive bytes (blocks are appended in order).
  void writeAt(FileOffset at, std::span<const std::uint8_t> bytes);
  void writeThrough(FileOffset at, std::span<const std::uint8_t> bytes);
  void flushBuffer();
  /// Writes a B-tree from its leaf entries packed one after another.
  BlockRef writeTree(std::uint8_t pageType, std::vector<std::uint8_t> leafEntries, std::size_t leafEntrySize,
                     int& levels);
  BlockRef writeBtPage(std::uint8_t pageType, std::span<const std::uint8_t> entries, std::size_t entrySize,
                       std::size_t entryMax, std::uint8_t level);
  void writeDensityList();
  void writeHeader(FileOffset eof, BlockRef nbt, BlockRef bbt);
  [[noreturn]] void fail(const std::string& what) const;

  std::filesystem::path path_;
  int fd_ = -1;
  // Declared before the allocation map, which writes its first pages as it is made.
  std::vector<std::uint8_t> buffer_;
  std::uint64_t bufferStart_ = 0;
  AllocationMap amap_;
  std::uint64_t nextBlockId_ = 4;
  std::uint64_t nextPageId_ = 1;
  std::uint32_t unique_ = 1;
  std::array<std::uint32_t, 32> nidCounters_{};
  std::vector<NodeEntry> nodes_;
  std::vector<BlockEntry> blocks_;
  int nodeTreeLevels_ = 0;
  int blockTreeLevels_ = 0;
};

}  // namespace tarnwick::pst
