#include "analysis/LongValueScanner.h"

namespace tarnwick::analysis {

LongValueScanner::LongValueScanner(MessageItemList& items, store::PageSizeClass pageSizeClass, LongValueTargets targets,
                                   std::optional<std::size_t> singleItem)
    : items_(items), pageSizeClass_(pageSizeClass) {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (singleItem && *singleItem != i) continue;
    const MessageItem& item = items_[i];
    if (targets.bodies) {
      if (item.bodyKeyA) owners_[keyOf({(*item.bodyKeyA)[0], (*item.bodyKeyA)[1]})].push_back({i, Target::BodyA, 0});
      if (item.bodyKeyB) owners_[keyOf({(*item.bodyKeyB)[0], (*item.bodyKeyB)[1]})].push_back({i, Target::BodyB, 0});
    }
    if (targets.attachments) {
      for (std::size_t a = 0; a < item.attachments.size(); ++a) {
        const AttachmentItem& att = item.attachments[a];
        if (att.dataOffset.value != 0 || (att.longValueKey[0] == 0 && att.longValueKey[1] == 0)) continue;
        owners_[keyOf(att.longValueKey)].push_back({i, Target::Attachment, a});
      }
    }
  }
}

void LongValueScanner::scanLongValuePage(std::span<const std::uint8_t> page, store::FileOffset pageOffset) {
  if (owners_.empty()) return;
  for (const LongValueChunk& chunk : readLongValueChunks(page, pageSizeClass_)) {
    auto found = owners_.find(keyOf(chunk.key));
    if (found == owners_.end()) continue;
    const store::FileOffset at = pageOffset + static_cast<std::int64_t>(chunk.dataPosition);
    for (const Owner& owner : found->second) {
      MessageItem& item = items_[owner.item];
      switch (owner.target) {
        case Target::BodyA: item.bodyChunksA.addChunkRef(at, chunk.chunkOffset); break;
        case Target::BodyB: item.bodyChunksB.addChunkRef(at, chunk.chunkOffset); break;
        case Target::Attachment: item.attachments[owner.attachment].chunks.addChunkRef(at, chunk.chunkOffset); break;
      }
    }
  }
}

}  // namespace tarnwick::analysis
