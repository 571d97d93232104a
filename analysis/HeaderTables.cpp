#include "analysis/HeaderTables.h"

namespace tarnwick::analysis {

bool HeaderPageList::addHeaderPage(store::SectorPosition position) {
  if (!positions_.insert(position).second) return false;
  entries_.push_back(HeaderPageRef{position});
  return true;
}

void HeaderPageList::clear() {
  entries_.clear();
  positions_.clear();
}

bool HeaderTableList::addHeaderTable(const FolderId& key, std::optional<std::string> ownerKey, std::uint32_t objectId,
                                     FolderKind kind, HeaderPageList& scratch) {
  const bool added = keys_.emplace(key, ownerKey, objectId).second;
  if (added) {
    entries_.push_back(HeaderTable{key, objectId, kind, std::move(ownerKey), std::move(scratch)});
  }
  scratch.clear();
  return added;
}

void HeaderTableList::clear() {
  entries_.clear();
  keys_.clear();
}

}  // namespace tarnwick::analysis
