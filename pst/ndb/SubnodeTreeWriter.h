#pragma once

#include <vector>

#include "pst/ndb/Ids.h"

namespace tarnwick::pst {

class NodeDatabaseWriter;

/// SLENTRY: one subnode of a node.
struct SubnodeEntry {
  Nid nid;
  Bid data;
  Bid subnodes;
};

/// Collects the subnodes of one node and writes them as an SLBLOCK (up to 340 entries) or
/// as SLBLOCKs under an SIBLOCK.
class SubnodeTreeWriter {
 public:
  void add(const SubnodeEntry& entry) { entries_.push_back(entry); }
  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }
  /// Writes the tree; a null id when there are no subnodes.
  Bid write(NodeDatabaseWriter& db);
  int levels() const { return levels_; }

 private:
  std::vector<SubnodeEntry> entries_;
  int levels_ = 0;
};

}  // namespace tarnwick::pst
