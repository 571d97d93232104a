#include "pst/ndb/SubnodeTreeWriter.h"

#include <algorithm>

#include "pst/PstError.h"
#include "pst/ndb/ByteWriter.h"
#include "pst/ndb/Layout.h"
#include "pst/ndb/NodeDatabaseWriter.h"

namespace tarnwick::pst {

using namespace layout;

Bid SubnodeTreeWriter::write(NodeDatabaseWriter& db) {
  if (entries_.empty()) return Bid{};
  std::sort(entries_.begin(), entries_.end(),
            [](const SubnodeEntry& a, const SubnodeEntry& b) { return a.nid < b.nid; });
  std::vector<std::pair<Nid, Bid>> leaves;
  for (std::size_t from = 0; from < entries_.size(); from += kSlBlockMaxEntries) {
    std::size_t to = std::min(entries_.size(), from + kSlBlockMaxEntries);
    ByteWriter w;
    w.u8(kBlockTypeSubnode);
    w.u8(0);
    w.u16(static_cast<std::uint16_t>(to - from));
    w.u32(0);
    for (std::size_t i = from; i < to; ++i) {
      w.u64(entries_[i].nid.value);
      w.u64(entries_[i].data.value);
      w.u64(entries_[i].subnodes.value);
    }
    leaves.emplace_back(entries_[from].nid, db.writeBlock(w.buffer(), true));
  }
  if (leaves.size() == 1) {
    levels_ = 1;
    return leaves.front().second;
  }
  if (leaves.size() > kSiBlockMaxEntries) throw PstError("too many subnodes in one PST node");
  ByteWriter w;
  w.u8(kBlockTypeSubnode);
  w.u8(1);
  w.u16(static_cast<std::uint16_t>(leaves.size()));
  w.u32(0);
  for (const auto& [nid, bid] : leaves) {
    w.u64(nid.value);
    w.u64(bid.value);
  }
  levels_ = 2;
  return db.writeBlock(w.buffer(), true);
}

}  // namespace tarnwick::pst
