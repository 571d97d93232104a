#include "analysis/FolderList.h"

#include <algorithm>

namespace tarnwick::analysis {

bool FolderList::addFolderNode(const FolderId& id, const FolderId& parentId, std::u16string_view name, FolderKind kind,
                               std::uint32_t treeItem, std::optional<std::string> ownerKey) {
  if (name.empty()) return false;
  if (!keys_.emplace(id, parentId, std::u16string(name)).second) return false;
  nodes_.push_back(FolderNode{id, parentId, std::u16string(name), treeItem, false, kind, std::move(ownerKey)});
  index(nodes_.size() - 1);
  return true;
}

void FolderList::purgeFolders(std::uint32_t treeItem) {
  const auto gone =
      std::remove_if(nodes_.begin(), nodes_.end(), [&](const FolderNode& n) { return n.treeItem == treeItem; });
  if (gone == nodes_.end()) return;
  nodes_.erase(gone, nodes_.end());
  rebuildIndexes();
}

std::span<const std::size_t> FolderList::positionsOf(const FolderId& id) const {
  auto it = byId_.find(id);
  if (it == byId_.end()) return {};
  return it->second;
}

std::span<const std::size_t> FolderList::childrenOf(const FolderId& parentId) const {
  auto it = byParent_.find(parentId);
  if (it == byParent_.end()) return {};
  return it->second;
}

FolderNode* FolderList::findFirst(const FolderId& id) {
  auto positions = positionsOf(id);
  return positions.empty() ? nullptr : &nodes_[positions.front()];
}

const FolderNode* FolderList::findFirst(const FolderId& id) const {
  auto positions = positionsOf(id);
  return positions.empty() ? nullptr : &nodes_[positions.front()];
}

void FolderList::clear() {
  nodes_.clear();
  keys_.clear();
  byId_.clear();
  byParent_.clear();
}

void FolderList::index(std::size_t position) {
  const FolderNode& n = nodes_[position];
  byId_[n.id].push_back(position);
  byParent_[n.parentId].push_back(position);
}

void FolderList::rebuildIndexes() {
  keys_.clear();
  byId_.clear();
  byParent_.clear();
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    keys_.emplace(nodes_[i].id, nodes_[i].parentId, nodes_[i].name);
    index(i);
  }
}

}  // namespace tarnwick::analysis
