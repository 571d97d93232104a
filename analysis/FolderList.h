#pragma once

#include "analysis/FolderKind.h"
#include "analysis/ModelIds.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace tarnwick::analysis {

// One mailbox root or one folder.
struct FolderNode {
  FolderId id;                    // the folder's id; for a mailbox root the mailbox id
  FolderId parentId;              // the parent's id; all zero for a mailbox root
  std::u16string name;            // display name, never empty
  std::uint32_t treeItem = 0;     // the node's item in the folder tree; 0 until the tree is built
  bool headerTableFound = false;  // its message-header table has been found
  FolderKind kind = FolderKind::Other;
  std::optional<std::string> ownerKey;  // 32 KB stores: the mailbox key of the node's mailbox
};

// Mailbox roots and folders in the order found. A node equal in id, parent id and name
// (ordinal UTF-16 comparison) to one already listed is not added again. Indexes by id and
// by parent id keep lookups off the whole list. References to nodes stay valid while
// nodes are added; `purgeFolders` and `clear` invalidate them.
class FolderList {
 public:
  // Returns false without adding when `name` is empty or an equal node is listed.
  bool addFolderNode(const FolderId& id, const FolderId& parentId, std::u16string_view name, FolderKind kind,
                     std::uint32_t treeItem, std::optional<std::string> ownerKey);
  // Removes every node whose tree item equals `treeItem`.
  void purgeFolders(std::uint32_t treeItem);

  std::size_t size() const { return nodes_.size(); }
  bool empty() const { return nodes_.empty(); }
  // Only `treeItem` and `headerTableFound` of a node may be changed through these.
  FolderNode& operator[](std::size_t i) { return nodes_[i]; }
  const FolderNode& operator[](std::size_t i) const { return nodes_[i]; }
  auto begin() { return nodes_.begin(); }
  auto end() { return nodes_.end(); }
  auto begin() const { return nodes_.begin(); }
  auto end() const { return nodes_.end(); }

  // Positions, in list order, of the nodes with this id / with this parent id.
  std::span<const std::size_t> positionsOf(const FolderId& id) const;
  std::span<const std::size_t> childrenOf(const FolderId& parentId) const;
  // The first node with this id, or null.
  FolderNode* findFirst(const FolderId& id);
  const FolderNode* findFirst(const FolderId& id) const;

  void clear();

 private:
  void index(std::size_t position);
  void rebuildIndexes();

  std::deque<FolderNode> nodes_;
  std::set<std::tuple<FolderId, FolderId, std::u16string>> keys_;
  std::unordered_map<FolderId, std::vector<std::size_t>> byId_;
  std::unordered_map<FolderId, std::vector<std::size_t>> byParent_;
};

}  // namespace tarnwick::analysis
