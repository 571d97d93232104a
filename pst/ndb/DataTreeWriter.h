#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "pst/ndb/Ids.h"

namespace tarnwick::pst {

class NodeDatabaseWriter;

/// Streams the data of one node (or subnode) to disk as data blocks of at most 8,176
/// bytes; `finish` adds an XBLOCK (up to 1,021 blocks) or an XXBLOCK above them when the
/// data needs more than one block. Only the block ids are held in memory.
class DataTreeWriter {
 public:
  explicit DataTreeWriter(NodeDatabaseWriter& db) : db_(db) {}

  void append(std::span<const std::uint8_t> bytes);
  /// Ends the current block even when it is not full (heap pages are one block each).
  void endBlock();
  /// The root block id; null when no data was written.
  Bid finish();
  std::uint64_t size() const { return total_; }
  /// Levels above the data blocks in the tree that `finish` wrote (0, 1 or 2).
  int levels() const { return levels_; }

  /// Writes a whole buffer as a data tree.
  static Bid write(NodeDatabaseWriter& db, std::span<const std::uint8_t> bytes);

 private:
  void flush();

  NodeDatabaseWriter& db_;
  std::vector<std::uint8_t> pending_;
  std::vector<Bid> leaves_;
  std::vector<std::uint16_t> leafSizes_;
  std::uint64_t total_ = 0;
  int levels_ = 0;
};

}  // namespace tarnwick::pst
