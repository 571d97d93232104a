#include "tools/pstcheck/NodeDatabase.h"

#include <algorithm>

#include "tools/pstcheck/Crc.h"
#include "tools/pstcheck/Permute.h"
#include "tools/pstcheck/PstLayout.h"

namespace tarnwick::pstcheck {

using namespace layout;

namespace {

std::uint64_t align64(std::uint64_t n) { return (n + kSlotSize - 1) / kSlotSize * kSlotSize; }
std::string pageWhere(const char* kind, std::uint64_t ib) { return std::string(kind) + " page at " + hex(ib); }

}  // namespace

NodeDatabase::NodeDatabase(Bytes file, Report& report) : file_(file), report_(report) {
  used_.assign((file_.size() / kSlotSize + 8) / 8 + 1, 0);
}

bool NodeDatabase::checkHeader() {
  const std::string where = "header";
  if (file_.size() < kHeaderSize) {
    report_.add(Area::Header, where, "file is " + std::to_string(file_.size()) + " bytes, shorter than a header");
    return false;
  }
  if (u32(file_, kHdrMagic) != kMagic) report_.add(Area::Header, where, "dwMagic is not \"!BDN\"");
  if (u16(file_, kHdrMagicClient) != kMagicClientPst) report_.add(Area::Header, where, "wMagicClient is not \"SM\"");
  const std::uint16_t ver = u16(file_, kHdrVersion);
  if (ver < kVersionUnicodeMin) {
    report_.add(Area::Header, where,
                "wVer " + std::to_string(ver) + ": not a Unicode file (only Unicode files are checked)");
    return false;
  }
  if (ver >= kVersionUnicode4k) {
    report_.add(Area::Header, where, "wVer " + std::to_string(ver) + ": 4 KB page files are not checked");
    return false;
  }
  if (u16(file_, kHdrVersionClient) != kVersionClient)
    report_.add(Area::Header, where,
                "wVerClient is " + std::to_string(u16(file_, kHdrVersionClient)) + ", expected 19");
  if (u8(file_, kHdrPlatformCreate) != 1 || u8(file_, kHdrPlatformAccess) != 1)
    report_.add(Area::Header, where, "bPlatformCreate/bPlatformAccess are not 1");
  const auto partial = computeCrc(file_.subspan(kCrcPartialStart, kCrcPartialLength));
  if (partial != u32(file_, kHdrCrcPartial))
    report_.add(Area::Header, where,
                "dwCRCPartial is " + hex(u32(file_, kHdrCrcPartial)) + ", computed " + hex(partial));
  const auto full = computeCrc(file_.subspan(kCrcFullStart, kCrcFullLength));
  if (full != u32(file_, kHdrCrcFull))
    report_.add(Area::Header, where, "dwCRCFull is " + hex(u32(file_, kHdrCrcFull)) + ", computed " + hex(full));
  if (u8(file_, kHdrSentinel) != kSentinel) report_.add(Area::Header, where, "bSentinel is not 0x80");

  header_.cryptMethod = u8(file_, kHdrCryptMethod);
  if (header_.cryptMethod != kCryptNone && header_.cryptMethod != kCryptPermute)
    report_.add(Area::Header, where,
                "bCryptMethod " + std::to_string(header_.cryptMethod) + " is not checked (only 0 and 1)");
  header_.fileEof = u64(file_, kHdrRootFileEof);
  header_.amapLast = u64(file_, kHdrRootAMapLast);
  header_.amapFree = u64(file_, kHdrRootAMapFree);
  header_.pmapFree = u64(file_, kHdrRootPMapFree);
  header_.nbtRoot = {Bid{u64(file_, kHdrRootNbtBid)}, FileOffset{u64(file_, kHdrRootNbtIb)}};
  header_.bbtRoot = {Bid{u64(file_, kHdrRootBbtBid)}, FileOffset{u64(file_, kHdrRootBbtIb)}};
  header_.amapValid = u8(file_, kHdrRootAMapValid);
  header_.bidNextB = u64(file_, kHdrBidNextB);
  header_.bidNextP = u64(file_, kHdrBidNextP);

  if (header_.fileEof != file_.size())
    report_.add(Area::Header, where,
                "ibFileEof is " + hex(header_.fileEof) + " but the file is " + hex(file_.size()) + " bytes");
  if (header_.amapValid != kAMapValid1 && header_.amapValid != kAMapValid2)
    report_.add(Area::Header, where,
                "fAMapValid is " + std::to_string(header_.amapValid) + ": the allocation maps are marked invalid");
  const std::uint64_t regions = regionCount();
  if (regions == 0) {
    report_.add(Area::Header, where, "the file ends before the first allocation map at 0x4400");
    return false;
  }
  const std::uint64_t lastAMap = kFirstAMap + (regions - 1) * kAMapRegion;
  if (header_.amapLast != lastAMap)
    report_.add(Area::Header, where,
                "ibAMapLast is " + hex(header_.amapLast) + ", the last allocation map is at " + hex(lastAMap));
  return true;
}

std::uint64_t NodeDatabase::regionCount() const {
  const std::uint64_t end = file_.size();
  if (end <= kFirstAMap) return 0;
  return (end - kFirstAMap + kAMapRegion - 1) / kAMapRegion;
}

bool NodeDatabase::checkPageTrailer(std::uint64_t ib, std::uint8_t ptype, std::optional<std::uint64_t> bid,
                                    bool sigZero, const std::string& where) {
  auto page = sub(file_, ib, kPageSize);
  if (!page) {
    report_.add(Area::Page, where, "page lies beyond the end of the file");
    return false;
  }
  bool ok = true;
  const std::uint8_t t = u8(*page, kPtPtype), r = u8(*page, kPtPtypeRepeat);
  const std::uint16_t sig = u16(*page, kPtSig);
  const std::uint32_t crc = u32(*page, kPtCrc);
  const std::uint64_t pbid = u64(*page, kPtBid);
  if (t != ptype) {
    report_.add(Area::Page, where, "ptype " + hex(t) + ", expected " + hex(ptype));
    ok = false;
  }
  if (r != t) report_.add(Area::Page, where, "ptypeRepeat " + hex(r) + " differs from ptype " + hex(t));
  const std::uint16_t expectSig = sigZero ? 0 : computeSig(ib, pbid);
  if (sig != expectSig) report_.add(Area::Page, where, "wSig " + hex(sig) + ", expected " + hex(expectSig));
  const std::uint32_t computed = computeCrc(page->first(kPageDataSize));
  if (crc != computed) report_.add(Area::Page, where, "dwCRC " + hex(crc) + ", computed " + hex(computed));
  if (bid && pbid != *bid) report_.add(Area::Page, where, "trailer BID " + hex(pbid) + ", expected " + hex(*bid));
  return ok;
}

void NodeDatabase::markExtent(std::uint64_t ib, std::uint64_t size, const std::string& what) {
  if (ib > file_.size() || size > file_.size() - ib) {
    report_.add(Area::AllocationMap, what, "extent " + hex(ib) + "+" + hex(size) + " runs past the end of the file");
    return;
  }
  if (ib < kFirstAMap) {
    report_.add(Area::AllocationMap, what, "extent at " + hex(ib) + " lies in the header area before 0x4400");
    return;
  }
  bool overlap = false;
  for (std::uint64_t s = ib / kSlotSize; s < (ib + size + kSlotSize - 1) / kSlotSize; ++s) {
    std::uint8_t& byte = used_[s / 8];
    const std::uint8_t bit = static_cast<std::uint8_t>(0x80u >> (s % 8));
    if (byte & bit) overlap = true;
    byte |= bit;
  }
  if (overlap)
    report_.add(Area::AllocationMap, what, "extent " + hex(ib) + "+" + hex(size) + " overlaps another page or block");
}

void NodeDatabase::walkTrees() {
  std::uint64_t last = 0;
  bool have = false;
  walkPage(Tree::Nbt, header_.nbtRoot, -1, std::nullopt, std::nullopt, last, have);
  last = 0;
  have = false;
  walkPage(Tree::Bbt, header_.bbtRoot, -1, std::nullopt, std::nullopt, last, have);
  for (std::size_t i = 0; i < nodes_.size(); ++i) nodeIndex_.emplace(nodes_[i].nid.value, i);
  report_.nodes = nodes_.size();
  // Outlook hands out the next node id of a type after rgnid[type]; an index above it would be given out again.
  for (const NodeEntry& n : nodes_) {
    const std::uint32_t mark = u32(file_, kHdrRgnid + 4ull * n.nid.type());
    if (n.nid.index() > mark)
      report_.add(Area::Header, "NID " + hex(n.nid.value),
                  "index " + hex(n.nid.index()) + " is above the header's rgnid[" + std::to_string(n.nid.type()) +
                      "] high-water mark " + hex(mark));
  }

  for (auto& [bid, e] : blocks_) checkBlockTrailer(Bid{bid}, e);
  report_.blocks = blocks_.size();
  if (maxBlockBid_ >= header_.bidNextB)
    report_.add(Area::Header, "header",
                "bidNextB " + hex(header_.bidNextB) + " is not above the largest block id " + hex(maxBlockBid_));
  if (maxPageBid_ >= header_.bidNextP)
    report_.add(Area::Header, "header",
                "bidNextP " + hex(header_.bidNextP) + " is not above the largest page id " + hex(maxPageBid_));
}

void NodeDatabase::walkPage(Tree tree, BlockRef ref, int expectedLevel, std::optional<std::uint64_t> firstKey,
                            std::optional<std::uint64_t> upperKey, std::uint64_t& lastLeafKey, bool& haveLastLeaf) {
  const char* kind = tree == Tree::Nbt ? "NBT" : "BBT";
  const std::uint64_t ib = ref.ib.value;
  const std::string where = pageWhere(kind, ib);
  if (ib % kPageSize != 0 || ib < kFirstAMap || !fits(file_, ib, kPageSize)) {
    report_.add(Area::BTree, where, "page offset is not a 512-byte page inside the file");
    return;
  }
  if (!visitedPages_.insert(ib).second) {
    report_.add(Area::BTree, where, "page is reached twice in the trees");
    return;
  }
  ++report_.pages;
  maxPageBid_ = std::max(maxPageBid_, ref.bid.value);
  markExtent(ib, kPageSize, where);
  if (!checkPageTrailer(ib, tree == Tree::Nbt ? kPtypeNbt : kPtypeBbt, ref.bid.value, false, where)) return;
  const Bytes page = file_.subspan(ib, kPageSize);
  const unsigned cEnt = u8(page, kBtCEnt), cEntMax = u8(page, kBtCEntMax), cbEnt = u8(page, kBtCbEnt),
                 level = u8(page, kBtCLevel);
  if (level > kMaxBtLevels) {
    report_.add(Area::BTree, where, "cLevel " + std::to_string(level) + " is implausibly deep");
    return;
  }
  if (expectedLevel >= 0 && static_cast<int>(level) != expectedLevel) {
    report_.add(Area::BTree, where, "cLevel " + std::to_string(level) + ", expected " + std::to_string(expectedLevel));
    return;
  }
  const unsigned wantCb = level > 0 ? kBtEntrySize : (tree == Tree::Nbt ? kNbtEntrySize : kBtEntrySize);
  if (cbEnt != wantCb) {
    report_.add(Area::BTree, where, "cbEnt " + std::to_string(cbEnt) + ", expected " + std::to_string(wantCb));
    return;
  }
  if (cEntMax != kBtEntriesSize / wantCb)
    report_.add(Area::BTree, where,
                "cEntMax " + std::to_string(cEntMax) + ", expected " + std::to_string(kBtEntriesSize / wantCb));
  if (cEnt > kBtEntriesSize / wantCb) {
    report_.add(Area::BTree, where, "cEnt " + std::to_string(cEnt) + " exceeds the page");
    return;
  }
  if (cEnt == 0 && expectedLevel >= 0) report_.add(Area::BTree, where, "non-root page has no entries");

  std::optional<std::uint64_t> prev;
  for (unsigned i = 0; i < cEnt; ++i) {
    const std::uint64_t e = i * wantCb;
    std::uint64_t key = u64(page, e);
    if (tree == Tree::Nbt && (key >> 32) != 0) {
      report_.add(Area::BTree, where, "entry " + std::to_string(i) + ": node id " + hex(key) + " has bits above 32");
      key &= 0xFFFFFFFFu;
    }
    if (prev && key <= *prev)
      report_.add(Area::BTree, where,
                  "entry " + std::to_string(i) + ": key " + hex(key) + " is not above the previous key " + hex(*prev));
    if (i == 0 && firstKey && key != *firstKey)
      report_.add(Area::BTree, where,
                  "first key " + hex(key) + " differs from the parent entry's key " + hex(*firstKey));
    if (firstKey && key < *firstKey)
      report_.add(Area::BTree, where, "key " + hex(key) + " lies below the parent entry's key");
    if (upperKey && key >= *upperKey)
      report_.add(Area::BTree, where,
                  "key " + hex(key) + " is not below the next parent entry's key " + hex(*upperKey));
    prev = key;
    if (level > 0) {
      const BlockRef child{Bid{u64(page, e + kBtEntBid)}, FileOffset{u64(page, e + kBtEntIb)}};
      std::optional<std::uint64_t> childUpper = upperKey;
      if (i + 1 < cEnt) childUpper = u64(page, (i + 1) * wantCb) & (tree == Tree::Nbt ? 0xFFFFFFFFull : ~0ull);
      walkPage(tree, child, static_cast<int>(level) - 1, key, childUpper, lastLeafKey, haveLastLeaf);
      continue;
    }
    if (haveLastLeaf && key <= lastLeafKey)
      report_.add(Area::BTree, where, "leaf key " + hex(key) + " is out of order across pages");
    lastLeafKey = key;
    haveLastLeaf = true;
    if (tree == Tree::Nbt) {
      nodes_.push_back(NodeEntry{Nid{static_cast<std::uint32_t>(key)}, Bid{u64(page, e + kNbtEntData)},
                                 Bid{u64(page, e + kNbtEntSub)}, Nid{u32(page, e + kNbtEntParent)}});
    } else {
      BlockEntry be;
      be.ib = FileOffset{u64(page, e + kBbtEntIb)};
      be.cb = u16(page, e + kBbtEntCb);
      be.cRef = u16(page, e + kBbtEntCRef);
      if (key == 0) report_.add(Area::BTree, where, "block id 0 in the block B-tree");
      if (!blocks_.emplace(key & ~1ull, be).second)
        report_.add(Area::BTree, where, "block id " + hex(key) + " listed twice");
      maxBlockBid_ = std::max(maxBlockBid_, key);
    }
  }
}

void NodeDatabase::checkBlockTrailer(Bid bid, BlockEntry& e) {
  const std::string where = "block " + hex(bid.value) + " at " + hex(e.ib.value);
  const std::uint64_t ib = e.ib.value;
  if (ib % kSlotSize != 0) report_.add(Area::Block, where, "offset is not 64-byte aligned");
  if (e.cb > kMaxBlockData) {
    report_.add(Area::Block, where, "cb " + std::to_string(e.cb) + " exceeds the largest block");
    return;
  }
  const std::uint64_t size = align64(e.cb + kBlockTrailerSize);
  auto bytes = sub(file_, ib, size);
  if (!bytes || ib < kFirstAMap) {
    report_.add(Area::Block, where, "block lies outside the data area of the file");
    return;
  }
  e.readable = true;
  markExtent(ib, size, where);
  const Bytes t = bytes->subspan(size - kBlockTrailerSize);
  if (u16(t, kBtCb) != e.cb)
    report_.add(Area::Block, where,
                "trailer cb " + std::to_string(u16(t, kBtCb)) + ", BBT says " + std::to_string(e.cb));
  const std::uint16_t sig = computeSig(ib, bid.value);
  if (u16(t, kBtSig) != sig)
    report_.add(Area::Block, where, "trailer wSig " + hex(u16(t, kBtSig)) + ", expected " + hex(sig));
  const std::uint32_t crc = computeCrc(bytes->first(e.cb));
  if (u32(t, kBtCrc) != crc)
    report_.add(Area::Block, where, "trailer dwCRC " + hex(u32(t, kBtCrc)) + ", computed " + hex(crc));
  if ((u64(t, kBtBid) & ~1ull) != bid.value) report_.add(Area::Block, where, "trailer BID " + hex(u64(t, kBtBid)));
}

const NodeEntry* NodeDatabase::node(Nid nid) const {
  auto it = nodeIndex_.find(nid.value);
  return it == nodeIndex_.end() ? nullptr : &nodes_[it->second];
}

BlockEntry* NodeDatabase::block(Bid bid) {
  auto it = blocks_.find(bid.value & ~1ull);
  return it == blocks_.end() ? nullptr : &it->second;
}

std::optional<Bytes> NodeDatabase::storedBlock(Bid bid) {
  BlockEntry* e = block(bid);
  if (!e || !e->readable) return std::nullopt;
  return sub(file_, e->ib.value, e->cb);
}

std::optional<std::vector<std::uint8_t>> NodeDatabase::plainBlock(Bid bid) {
  auto stored = storedBlock(bid);
  if (!stored) return std::nullopt;
  if (!bid.internal() && header_.cryptMethod == kCryptPermute) return decodePermute(*stored);
  return std::vector<std::uint8_t>(stored->begin(), stored->end());
}

void NodeDatabase::checkReferenceCounts() {
  for (auto& [bid, e] : blocks_) {
    const std::string where = "block " + hex(bid);
    if (e.references == 0) {
      report_.add(Area::Reference, where, "no node, data tree or subnode tree refers to this block");
      continue;
    }
    if (e.cRef != e.references + 1)
      report_.add(Area::Reference, where,
                  "cRef " + std::to_string(e.cRef) + ", but " + std::to_string(e.references) +
                      " reference(s) found (Outlook keeps references + 1)");
  }
}

void NodeDatabase::checkAllocation() {
  const std::uint64_t regions = regionCount();
  std::uint64_t freeSlots = 0, mapPageBytes = 0, pmapFreeBits = 0;
  std::vector<std::uint32_t> regionFree;
  auto reportRun = [&](const char* what, std::uint64_t from, std::uint64_t to) {
    report_.add(Area::AllocationMap, "bytes " + hex(from) + ".." + hex(to), what);
  };
  for (std::uint64_t i = 0; i < regions; ++i) {
    const std::uint64_t base = kFirstAMap + i * kAMapRegion;
    std::uint64_t next = base;
    auto mapPage = [&](std::uint8_t ptype, const char* kind) -> std::optional<Bytes> {
      const std::string where = pageWhere(kind, next);
      const std::uint64_t at = next;
      next += kPageSize;
      if (!checkPageTrailer(at, ptype, at, true, where)) return std::nullopt;
      markExtent(at, kPageSize, where);
      mapPageBytes += kPageSize;
      ++report_.pages;
      return file_.subspan(at, kPageDataSize);
    };
    auto amap = mapPage(kPtypeAMap, "AMap");
    if (i % kAMapsPerPMap == 0) {
      if (auto pmap = mapPage(kPtypePMap, "PMap"))
        for (std::uint8_t b : *pmap) pmapFreeBits += 8 - static_cast<unsigned>(__builtin_popcount(b));
    }
    if (i >= kFirstFMapAMap && (i - kFirstFMapAMap) % kAMapsPerFMap == 0) mapPage(kPtypeFMap, "FMap");
    if (i >= kFirstFPMapAMap && (i - kFirstFPMapAMap) % kAMapsPerFPMap == 0) mapPage(kPtypeFPMap, "FPMap");
    if (!amap) {
      regionFree.push_back(0);
      continue;
    }
    if (base + kAMapRegion > file_.size())
      report_.add(Area::AllocationMap, pageWhere("AMap", base),
                  "the file ends inside this allocation region (Outlook grows files by whole regions)");
    std::uint32_t regionFreeSlots = 0;
    std::optional<std::uint64_t> runStart;
    bool runMarked = false;
    const std::uint64_t firstSlot = base / kSlotSize;
    for (std::uint64_t k = 0; k <= kSlotsPerAMap; ++k) {
      bool mismatch = false, marked = false;
      if (k < kSlotsPerAMap) {
        const std::uint64_t s = firstSlot + k;
        marked = ((*amap)[k / 8] & (0x80u >> (k % 8))) != 0;
        const bool inFile = (s + 1) * kSlotSize <= file_.size();
        const bool inUse = inFile && (used_[s / 8] & (0x80u >> (s % 8))) != 0;
        if (!marked) ++regionFreeSlots;
        mismatch = marked != inUse;
      }
      if (runStart && (!mismatch || marked != runMarked)) {
        reportRun(runMarked ? "marked allocated in the AMap but no page or block uses it"
                            : "used by a page or block but not marked in the AMap",
                  (firstSlot + *runStart) * kSlotSize, (firstSlot + k) * kSlotSize - 1);
        runStart.reset();
      }
      if (mismatch && !runStart) {
        runStart = k;
        runMarked = marked;
      }
    }
    freeSlots += regionFreeSlots;
    regionFree.push_back(regionFreeSlots);
  }
  const std::uint64_t byBits = freeSlots * kSlotSize;
  if (header_.amapFree != byBits && header_.amapFree != byBits + mapPageBytes)
    report_.add(Area::AllocationMap, "header",
                "cbAMapFree is " + std::to_string(header_.amapFree) + ", the AMaps show " + std::to_string(byBits) +
                    " free (or " + std::to_string(byBits + mapPageBytes) + " counting the map pages as Outlook does)");
  if (header_.pmapFree != pmapFreeBits * kPMapPageBytes)
    report_.add(Area::AllocationMap, "header",
                "cbPMapFree is " + std::to_string(header_.pmapFree) + ", the PMaps show " +
                    std::to_string(pmapFreeBits * kPMapPageBytes) + " free");

  // Density list (optional in the format, written by Outlook).
  const std::string dlWhere = pageWhere("DList", kDListOffset);
  auto dl = sub(file_, kDListOffset, kPageSize);
  if (!dl || u8(*dl, kPtPtype) != kPtypeDList) {
    report_.add(Area::AllocationMap, dlWhere, "no density list page (Outlook writes one)");
    return;
  }
  checkPageTrailer(kDListOffset, kPtypeDList, std::nullopt, false, dlWhere);
  const unsigned cEnt = u8(*dl, kDlCEnt);
  if (cEnt > kDlMaxEntries) {
    report_.add(Area::AllocationMap, dlWhere, "cEntDList " + std::to_string(cEnt) + " exceeds the page");
    return;
  }
  if (cEnt > 0 && u32(*dl, kDlCurrentPage) >= regions)
    report_.add(Area::AllocationMap, dlWhere,
                "ulCurrentPage " + std::to_string(u32(*dl, kDlCurrentPage)) + " is not an AMap");
  std::vector<bool> seen(regions, false);
  std::uint32_t prevFree = UINT32_MAX;
  for (unsigned i = 0; i < cEnt; ++i) {
    const std::uint32_t e = u32(*dl, kDlEntries + 4 * i);
    const std::uint32_t page = e & kDlPageNumMask, slots = e >> kDlFreeSlotsShift;
    const std::string w = dlWhere + " entry " + std::to_string(i);
    if (page >= regions || seen[page]) {
      report_.add(Area::AllocationMap, w, "AMap number " + std::to_string(page) + " is out of range or repeated");
      continue;
    }
    seen[page] = true;
    if (slots != regionFree[page])
      report_.add(Area::AllocationMap, w,
                  "AMap " + std::to_string(page) + " has " + std::to_string(regionFree[page]) +
                      " free slots, the list says " + std::to_string(slots));
    if (slots > prevFree) report_.add(Area::AllocationMap, w, "entries are not sorted by free space, most free first");
    prevFree = slots;
  }
}

}  // namespace tarnwick::pstcheck
