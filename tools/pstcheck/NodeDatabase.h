// The node database layer: header, allocation-map pages, the node and block
// B-trees, block trailers and the extents they occupy.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "tools/pstcheck/ByteView.h"
#include "tools/pstcheck/Ids.h"
#include "tools/pstcheck/Report.h"

namespace tarnwick::pstcheck {

/// BREF: an id with the file offset it lives at.
struct BlockRef {
  Bid bid;
  FileOffset ib;
};

/// The header fields the other checks use.
struct HeaderInfo {
  std::uint64_t fileEof = 0, amapLast = 0, amapFree = 0, pmapFree = 0;
  BlockRef nbtRoot, bbtRoot;
  std::uint8_t amapValid = 0, cryptMethod = 0;
  std::uint64_t bidNextB = 0, bidNextP = 0;
};

/// BBTENTRY plus what the checker learns about the block.
struct BlockEntry {
  FileOffset ib;
  std::uint16_t cb = 0;
  std::uint16_t cRef = 0;
  std::uint32_t references = 0;  // counted from the NBT, data trees and subnode trees
  bool readable = false;         // lies inside the file
};

/// NBTENTRY.
struct NodeEntry {
  Nid nid;
  Bid data, sub;
  Nid parent;
};

class NodeDatabase {
 public:
  NodeDatabase(Bytes file, Report& report);

  /// Header magic, versions, CRCs and root fields. False when nothing further can be read.
  bool checkHeader();
  /// Walks both B-trees, checks every page and block trailer and records extents.
  void walkTrees();
  /// AMap/PMap/FMap/FPMap/DList pages against the extents in use; free-space counts.
  void checkAllocation();
  /// Reference counts against the references counted by the caller.
  void checkReferenceCounts();

  const HeaderInfo& header() const { return header_; }
  const std::vector<NodeEntry>& nodes() const { return nodes_; }
  const NodeEntry* node(Nid nid) const;
  BlockEntry* block(Bid bid);
  /// The stored bytes of a block (before decoding); nothing when it is not in the BBT or the file.
  std::optional<Bytes> storedBlock(Bid bid);
  /// The plain bytes of a block: external blocks are decoded.
  std::optional<std::vector<std::uint8_t>> plainBlock(Bid bid);
  Bytes file() const { return file_; }
  Report& report() { return report_; }

 private:
  enum class Tree { Nbt, Bbt };
  void walkPage(Tree tree, BlockRef ref, int expectedLevel, std::optional<std::uint64_t> firstKey,
                std::optional<std::uint64_t> upperKey, std::uint64_t& lastLeafKey, bool& haveLastLeaf);
  bool checkPageTrailer(std::uint64_t ib, std::uint8_t ptype, std::optional<std::uint64_t> bid, bool sigZero,
                        const std::string& where);
  void checkBlockTrailer(Bid bid, BlockEntry& e);
  void markExtent(std::uint64_t ib, std::uint64_t size, const std::string& what);
  std::uint64_t regionCount() const;

  Bytes file_;
  Report& report_;
  HeaderInfo header_;
  std::vector<NodeEntry> nodes_;
  std::unordered_map<std::uint32_t, std::size_t> nodeIndex_;
  std::unordered_map<std::uint64_t, BlockEntry> blocks_;
  std::unordered_set<std::uint64_t> visitedPages_;
  std::vector<std::uint8_t> used_;  // one bit per 64-byte slot of the file
  std::uint64_t maxPageBid_ = 0, maxBlockBid_ = 0;
};

}  // namespace tarnwick::pstcheck
