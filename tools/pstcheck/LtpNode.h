// A node opened at the lists-tables-properties level: its heap, its subnodes,
// and the resolution of HNIDs (heap allocation or subnode) to bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/pstcheck/Heap.h"
#include "tools/pstcheck/NodeReader.h"

namespace tarnwick::pstcheck {

class LtpNode {
 public:
  /// Opens the heap of a node's data tree; nothing when it is not a heap.
  static std::optional<LtpNode> open(NodeReader& reader, Bid data, Bid sub, const std::string& where, Report& report);

  const Heap& heap() const { return *heap_; }
  const std::vector<Subnode>& subnodes() const { return subnodes_; }
  const Subnode* subnode(Nid nid) const;
  /// The bytes an HNID names: a heap allocation or a subnode's data; 0 is empty.
  std::optional<std::vector<std::uint8_t>> resolve(std::uint32_t hnid, const std::string& where, Report& report) const;
  /// Data blocks of a subnode (for row matrices kept in a subnode).
  std::optional<BlockList> subnodeBlocks(Nid nid) const;
  NodeReader& reader() const { return *reader_; }

 private:
  NodeReader* reader_ = nullptr;
  std::optional<Heap> heap_;
  std::vector<Subnode> subnodes_;
};

}  // namespace tarnwick::pstcheck
