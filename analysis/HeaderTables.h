#pragma once

#include "analysis/FolderKind.h"
#include "analysis/ModelIds.h"
#include "store/StoreOffsets.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <unordered_set>
#include <vector>

namespace tarnwick::analysis {

// One page of a message-header table, as a position in 512-byte units.
struct HeaderPageRef {
  store::SectorPosition position;
};

// The pages of one table in the order gathered (depth first), each position once.
class HeaderPageList {
 public:
  bool addHeaderPage(store::SectorPosition position);

  const std::vector<HeaderPageRef>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }
  bool contains(store::SectorPosition position) const { return positions_.count(position) != 0; }
  void clear();

 private:
  std::vector<HeaderPageRef> entries_;
  std::unordered_set<store::SectorPosition> positions_;
};

// One message-header table found by the header-table step.
struct HeaderTable {
  FolderId key;  // 4 KB/8 KB stores: id of the folder the table belongs to; zero in 32 KB stores
  std::uint32_t objectId = 0;
  FolderKind kind = FolderKind::Other;  // copy of the folder's kind
  std::optional<std::string> ownerKey;  // 32 KB stores: the mailbox root's owner key
  HeaderPageList pages;                 // every page of the table: root, branch and leaf
};

// Header tables in the order found, unique on (key, owner key, object id).
class HeaderTableList {
 public:
  // Adds a table whose pages are the gathered `scratch` pages; `scratch` is left empty
  // whether or not a table was added.
  bool addHeaderTable(const FolderId& key, std::optional<std::string> ownerKey, std::uint32_t objectId, FolderKind kind,
                      HeaderPageList& scratch);

  const std::vector<HeaderTable>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }
  void clear();

 private:
  std::vector<HeaderTable> entries_;
  std::set<std::tuple<FolderId, std::optional<std::string>, std::uint32_t>> keys_;
};

}  // namespace tarnwick::analysis
