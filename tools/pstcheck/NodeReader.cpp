#include "tools/pstcheck/NodeReader.h"

#include "tools/pstcheck/PstLayout.h"

namespace tarnwick::pstcheck {

using namespace layout;

namespace {
constexpr int kMaxSubnodeDepth = 4;
}

BlockEntry* NodeReader::reference(Bid bid, const std::string& where, Pass pass) {
  BlockEntry* e = db_.block(bid);
  if (pass == Pass::Count) {
    if (!e)
      db_.report().add(Area::Reference, where,
                       "refers to block " + hex(bid.value) + ", which is not in the block B-tree");
    else
      ++e->references;
  }
  return e;
}

void NodeReader::countAllReferences() {
  for (const NodeEntry& n : db_.nodes()) countNode(n.data, n.sub, "NID " + hex(n.nid.value), 0);
}

void NodeReader::countNode(Bid data, Bid sub, const std::string& where, int depth) {
  if (data.value != 0) walkData(data, where, Pass::Count, nullptr, -1, nullptr);
  if (sub.value == 0) return;
  if (depth >= kMaxSubnodeDepth) {
    db_.report().add(Area::Block, where, "subnodes nested deeper than " + std::to_string(kMaxSubnodeDepth) + " levels");
    return;
  }
  std::vector<Subnode> subs;
  if (!walkSub(sub, where, Pass::Count, subs, -1, std::nullopt)) return;
  for (const Subnode& s : subs) {
    if (s.data.value == 0)
      db_.report().add(Area::Block, where + " subnode " + hex(s.nid.value), "subnode has no data block");
    countNode(s.data, s.sub, where + " subnode " + hex(s.nid.value), depth + 1);
  }
}

std::optional<BlockList> NodeReader::dataBlocks(Bid bid) {
  BlockList out;
  readBytes_ = 0;
  if (!walkData(bid, {}, Pass::Read, &out, -1, nullptr)) return std::nullopt;
  return out;
}

std::optional<std::vector<Subnode>> NodeReader::subnodes(Bid bid) {
  std::vector<Subnode> out;
  if (bid.value == 0) return out;
  if (!walkSub(bid, {}, Pass::Read, out, -1, std::nullopt)) return std::nullopt;
  return out;
}

bool NodeReader::walkData(Bid bid, const std::string& where, Pass pass, BlockList* out, int expectLevel,
                          std::uint64_t* total) {
  Report& r = db_.report();
  const bool count = pass == Pass::Count;
  BlockEntry* e = reference(bid, where, pass);
  if (!e) return false;
  if (!bid.internal()) {
    if (expectLevel > 0) {
      if (count) r.add(Area::Block, where, "XXBLOCK entry " + hex(bid.value) + " is a data block, expected an XBLOCK");
      return false;
    }
    if (total) *total += e->cb;
    if (out) {
      readBytes_ += e->cb;
      if (readBytes_ > kMaxNodeDataBytes) return false;
      auto plain = db_.plainBlock(bid);
      if (!plain) return false;
      out->push_back(std::move(*plain));
    }
    return true;
  }
  const std::string w = where + " XBLOCK " + hex(bid.value);
  auto data = db_.plainBlock(bid);
  if (!data) return false;
  const Bytes b(*data);
  const unsigned btype = u8(b, kIbBtype), level = u8(b, kIbCLevel), cEnt = u16(b, kIbCEnt);
  const std::uint32_t lcbTotal = u32(b, kXbLcbTotal);
  if (btype != kBtypeXBlock || (level != 1 && level != 2)) {
    if (count)
      r.add(Area::Block, w, "not an XBLOCK/XXBLOCK (btype " + hex(btype) + ", cLevel " + std::to_string(level) + ")");
    return false;
  }
  if (expectLevel >= 0 && static_cast<int>(level) != expectLevel) {
    if (count) r.add(Area::Block, w, "cLevel " + std::to_string(level) + ", expected " + std::to_string(expectLevel));
    return false;
  }
  if (b.size() != kXBlockHeader + kXbEntrySize * cEnt) {
    if (count) r.add(Area::Block, w, "cb " + std::to_string(b.size()) + " does not match cEnt " + std::to_string(cEnt));
    if (b.size() < kXBlockHeader + kXbEntrySize * cEnt) return false;
  }
  if (cEnt == 0 && count) r.add(Area::Block, w, "XBLOCK has no entries");
  std::uint64_t sum = 0;
  bool ok = true;
  for (unsigned i = 0; i < cEnt; ++i) {
    const Bid child{u64(b, kXBlockHeader + kXbEntrySize * i)};
    if (level == 1 && child.internal()) {
      if (count) r.add(Area::Block, w, "entry " + std::to_string(i) + " is internal block " + hex(child.value));
      ok = false;
      continue;
    }
    ok = walkData(child, w, pass, out, static_cast<int>(level) - 1, &sum) && ok;
  }
  if (ok && count && sum != lcbTotal)
    r.add(Area::Block, w, "lcbTotal " + std::to_string(lcbTotal) + ", the data blocks hold " + std::to_string(sum));
  if (total) *total += lcbTotal;
  return ok;
}

bool NodeReader::walkSub(Bid bid, const std::string& where, Pass pass, std::vector<Subnode>& out, int expectLevel,
                         std::optional<std::uint32_t> firstKey) {
  Report& r = db_.report();
  const bool count = pass == Pass::Count;
  const std::string w = where + " subnode block " + hex(bid.value);
  BlockEntry* e = reference(bid, where, pass);
  if (!e) return false;
  if (!bid.internal()) {
    if (count) r.add(Area::Block, w, "subnode tree block is not an internal block");
    return false;
  }
  auto data = db_.plainBlock(bid);
  if (!data) return false;
  const Bytes b(*data);
  const unsigned btype = u8(b, kIbBtype), level = u8(b, kIbCLevel), cEnt = u16(b, kIbCEnt);
  if (btype != kBtypeSubnode || level > 1 || (expectLevel >= 0 && static_cast<int>(level) != expectLevel)) {
    if (count)
      r.add(Area::Block, w,
            "not an SLBLOCK/SIBLOCK of the expected level (btype " + hex(btype) + ", cLevel " + std::to_string(level) +
                ")");
    return false;
  }
  const std::size_t entSize = level == 0 ? kSlEntrySize : kSiEntrySize;
  if (b.size() < kSubBlockHeader + entSize * cEnt) {
    if (count) r.add(Area::Block, w, "cEnt " + std::to_string(cEnt) + " runs past the block");
    return false;
  }
  if (b.size() != kSubBlockHeader + entSize * cEnt && count)
    r.add(Area::Block, w, "cb " + std::to_string(b.size()) + " does not match cEnt " + std::to_string(cEnt));
  if (cEnt == 0 && count) r.add(Area::Block, w, "subnode block has no entries");
  std::optional<std::uint32_t> prev;
  bool ok = true;
  for (unsigned i = 0; i < cEnt; ++i) {
    const std::size_t o = kSubBlockHeader + entSize * i;
    const std::uint64_t rawNid = u64(b, o + kSubEntNid);
    const std::uint32_t nid = static_cast<std::uint32_t>(rawNid);
    if (count && (rawNid >> 32) != 0)
      r.add(Area::Block, w, "entry " + std::to_string(i) + " has node id bits above 32");
    if (prev && nid <= *prev && count)
      r.add(Area::Block, w, "entry " + std::to_string(i) + ": node id " + hex(nid) + " is not above " + hex(*prev));
    if (i == 0 && firstKey && nid != *firstKey && count)
      r.add(Area::Block, w, "first node id " + hex(nid) + " differs from the SIBLOCK key " + hex(*firstKey));
    prev = nid;
    if (level == 0) {
      out.push_back(Subnode{Nid{nid}, Bid{u64(b, o + kSlEntData)}, Bid{u64(b, o + kSlEntSub)}});
    } else {
      ok = walkSub(Bid{u64(b, o + kSiEntBid)}, where, pass, out, 0, nid) && ok;
    }
  }
  return ok;
}

}  // namespace tarnwick::pstcheck
