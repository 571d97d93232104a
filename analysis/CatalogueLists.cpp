#include "analysis/CatalogueLists.h"

namespace tarnwick::analysis {

bool TableList::addTableEntry(std::uint32_t objectId, store::PageNumber rootPage, std::optional<std::string> suffix,
                              std::optional<std::uint16_t> ownerObjectId) {
  if (!keys_.emplace(objectId, rootPage.value).second) return false;
  firstByObjectId_.emplace(objectId, entries_.size());
  entries_.push_back(TableEntry{objectId, rootPage, std::move(suffix), ownerObjectId});
  return true;
}

const TableEntry* TableList::findFirst(std::uint32_t objectId) const {
  auto it = firstByObjectId_.find(objectId);
  return it == firstByObjectId_.end() ? nullptr : &entries_[it->second];
}

void TableList::replaceObjectId(std::size_t index, std::uint32_t objectId) {
  if (index >= entries_.size() || entries_[index].objectId == objectId) return;
  TableEntry& entry = entries_[index];
  keys_.erase({entry.objectId, entry.rootPage.value});
  entry.objectId = objectId;
  keys_.emplace(entry.objectId, entry.rootPage.value);
  firstByObjectId_.clear();
  for (std::size_t i = 0; i < entries_.size(); ++i) firstByObjectId_.emplace(entries_[i].objectId, i);
}

void TableList::clear() {
  entries_.clear();
  keys_.clear();
  firstByObjectId_.clear();
}

bool ColumnList::addColumnEntry(std::uint16_t columnId, std::uint32_t tableObjectId, std::uint8_t letter) {
  if (!keys_.emplace(columnId, tableObjectId, letter).second) return false;
  firstByTable_.emplace(tableObjectId, entries_.size());
  entries_.push_back(ColumnEntry{columnId, tableObjectId, letter});
  return true;
}

const ColumnEntry* ColumnList::findFirstOfTable(std::uint32_t tableObjectId) const {
  auto it = firstByTable_.find(tableObjectId);
  return it == firstByTable_.end() ? nullptr : &entries_[it->second];
}

void ColumnList::clear() {
  entries_.clear();
  keys_.clear();
  firstByTable_.clear();
}

}  // namespace tarnwick::analysis
