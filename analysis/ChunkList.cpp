#include "analysis/ChunkList.h"

namespace tarnwick::analysis {

bool ChunkList::addChunkRef(store::FileOffset fileOffset, std::uint32_t chunkStart) {
  if (!offsets_.insert(fileOffset).second) return false;
  entries_.push_back(ChunkRef{fileOffset, chunkStart});
  return true;
}

void ChunkList::clear() {
  entries_.clear();
  offsets_.clear();
}

}  // namespace tarnwick::analysis
