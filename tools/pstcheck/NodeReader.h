// Reads what a node refers to: its data tree (XBLOCK/XXBLOCK over data blocks)
// and its subnode tree (SIBLOCK/SLBLOCK), checking their structure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/pstcheck/NodeDatabase.h"

namespace tarnwick::pstcheck {

/// SLENTRY: one subnode of a node.
struct Subnode {
  Nid nid;
  Bid data, sub;
};

using BlockList = std::vector<std::vector<std::uint8_t>>;

class NodeReader {
 public:
  explicit NodeReader(NodeDatabase& db) : db_(db) {}

  /// Walks every node's data and subnode trees once, reporting structural
  /// faults and counting each block reference for the reference-count check.
  void countAllReferences();

  /// The plain data blocks of a data tree, in order; nothing when unreadable.
  std::optional<BlockList> dataBlocks(Bid bid);
  /// The subnodes of a subnode tree, in nid order; nothing when unreadable.
  std::optional<std::vector<Subnode>> subnodes(Bid bid);

 private:
  enum class Pass { Count, Read };
  bool walkData(Bid bid, const std::string& where, Pass pass, BlockList* out, int expectLevel, std::uint64_t* total);
  bool walkSub(Bid bid, const std::string& where, Pass pass, std::vector<Subnode>& out, int expectLevel,
               std::optional<std::uint32_t> firstKey);
  void countNode(Bid data, Bid sub, const std::string& where, int depth);
  BlockEntry* reference(Bid bid, const std::string& where, Pass pass);

  NodeDatabase& db_;
  std::uint64_t readBytes_ = 0;  // bytes gathered by the current dataBlocks call
};

/// Data trees larger than this are not read into memory (they can name the same block many times).
inline constexpr std::uint64_t kMaxNodeDataBytes = 256ull << 20;

}  // namespace tarnwick::pstcheck
