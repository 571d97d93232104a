#pragma once

#include "store/StoreOffsets.h"

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace tarnwick::analysis {

// One stored chunk of a long value.
struct ChunkRef {
  store::FileOffset fileOffset;  // where the chunk's data starts in the database file
  std::uint32_t chunkStart = 0;  // the chunk's byte offset within the whole long value
};

// The chunks of one long value in the order found; a chunk at a file offset already
// listed is not added again (checked through an index, not a walk).
class ChunkList {
 public:
  bool addChunkRef(store::FileOffset fileOffset, std::uint32_t chunkStart);

  const std::vector<ChunkRef>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }
  void clear();

 private:
  std::vector<ChunkRef> entries_;
  std::unordered_set<store::FileOffset> offsets_;
};

}  // namespace tarnwick::analysis
