#include "analysis/AttachmentItems.h"

#include <algorithm>

namespace tarnwick::analysis {

bool AttachmentList::addAttachmentItem(AttachmentItem item) {
  if (item.fileName.empty()) return false;
  const bool listed = std::any_of(items_.begin(), items_.end(), [&](const AttachmentItem& a) {
    return a.longValueKey == item.longValueKey && a.fileName == item.fileName && a.ownerObjectId == item.ownerObjectId;
  });
  if (listed) return false;
  items_.push_back(std::move(item));
  return true;
}

bool AttachmentIdList::addAttachmentId(const AttachmentId& id) {
  if (std::find(ids_.begin(), ids_.end(), id) != ids_.end()) return false;
  ids_.push_back(id);
  return true;
}

}  // namespace tarnwick::analysis
