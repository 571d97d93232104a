#include "tools/pstcheck/LtpNode.h"

#include <algorithm>

namespace tarnwick::pstcheck {

std::optional<LtpNode> LtpNode::open(NodeReader& reader, Bid data, Bid sub, const std::string& where, Report& report) {
  LtpNode n;
  n.reader_ = &reader;
  if (data.value == 0) {
    report.add(Area::Heap, where, "node has no data block");
    return std::nullopt;
  }
  auto blocks = reader.dataBlocks(data);
  if (!blocks) return std::nullopt;
  n.heap_ = Heap::open(std::move(*blocks), where, report);
  if (!n.heap_) return std::nullopt;
  auto subs = reader.subnodes(sub);
  if (subs) n.subnodes_ = std::move(*subs);
  return n;
}

const Subnode* LtpNode::subnode(Nid nid) const {
  auto it =
      std::lower_bound(subnodes_.begin(), subnodes_.end(), nid, [](const Subnode& s, Nid n) { return s.nid < n; });
  return it != subnodes_.end() && it->nid == nid ? &*it : nullptr;
}

std::optional<BlockList> LtpNode::subnodeBlocks(Nid nid) const {
  const Subnode* s = subnode(nid);
  if (!s) return std::nullopt;
  return reader_->dataBlocks(s->data);
}

std::optional<std::vector<std::uint8_t>> LtpNode::resolve(std::uint32_t hnid, const std::string& where,
                                                          Report& report) const {
  if (hnid == 0) return std::vector<std::uint8_t>{};
  const Hid hid{hnid};
  if (hid.isHid()) {
    auto item = heap_->item(hid, where, report);
    if (!item) return std::nullopt;
    return std::vector<std::uint8_t>(item->begin(), item->end());
  }
  auto blocks = subnodeBlocks(Nid{hnid});
  if (!blocks) {
    report.add(Area::Heap, where, "HNID " + hex(hnid) + " names no readable subnode");
    return std::nullopt;
  }
  std::vector<std::uint8_t> out;
  for (const auto& b : *blocks) out.insert(out.end(), b.begin(), b.end());
  return out;
}

}  // namespace tarnwick::pstcheck
