#include "store/PageList.h"

#include "store/PageHeader.h"

namespace tarnwick::store {

void PageList::addPageEntry(std::uint32_t objectId, FileOffset fileOffset) {
  byObjectId_[objectId].push_back(entries_.size());
  entries_.push_back(PageEntry{objectId, fileOffset});
}

std::span<const std::size_t> PageList::positionsOf(std::uint32_t objectId) const {
  auto it = byObjectId_.find(objectId);
  if (it == byObjectId_.end()) return {};
  return it->second;
}

void PageList::clear() {
  entries_.clear();
  byObjectId_.clear();
  visitedPageCount_ = 0;
}

void recordPageVisit(PageList& pages, std::span<const std::uint8_t> page, FileOffset fileOffset) {
  pages.addPageEntry(pageOwnerObjectId(page), fileOffset);
  pages.countVisit();
}

}  // namespace tarnwick::store
