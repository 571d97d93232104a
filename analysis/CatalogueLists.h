#pragma once

#include "store/StoreOffsets.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

namespace tarnwick::analysis {

// Location of one table found in the catalogue.
struct TableEntry {
  std::uint32_t objectId = 0;
  store::PageNumber rootPage;  // sign-extended from the catalogue's 32 bits
  // 32 KB stores: for folder and message tables, the part of the table name after its
  // prefix (the mailbox key); empty otherwise.
  std::optional<std::string> suffix;
  // 32 KB stores: for long-value tables, the low two bytes of the owning table's object id.
  std::optional<std::uint16_t> ownerObjectId;
};

// Tables of one kind in catalogue order; an entry equal in object id and root page to one
// already listed is not added again.
class TableList {
 public:
  bool addTableEntry(std::uint32_t objectId, store::PageNumber rootPage, std::optional<std::string> suffix = {},
                     std::optional<std::uint16_t> ownerObjectId = {});

  const std::vector<TableEntry>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }
  // The first entry with `objectId`, or null.
  const TableEntry* findFirst(std::uint32_t objectId) const;
  // Gives entry `index` another object id (a long-value table takes the id its root page
  // carries). The entry keeps its place.
  void replaceObjectId(std::size_t index, std::uint32_t objectId);
  void clear();

 private:
  std::vector<TableEntry> entries_;
  std::set<std::pair<std::uint32_t, std::int64_t>> keys_;
  std::unordered_map<std::uint32_t, std::size_t> firstByObjectId_;
};

// Location of one property column found in the catalogue.
struct ColumnEntry {
  std::uint16_t columnId = 0;
  std::uint32_t tableObjectId = 0;
  std::uint8_t letter = 0;  // which property the column stands for
};

// Columns in catalogue order, unique on (column id, table object id, letter).
class ColumnList {
 public:
  bool addColumnEntry(std::uint16_t columnId, std::uint32_t tableObjectId, std::uint8_t letter);

  const std::vector<ColumnEntry>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }
  // The first entry of table `tableObjectId`, or null.
  const ColumnEntry* findFirstOfTable(std::uint32_t tableObjectId) const;
  void clear();

 private:
  std::vector<ColumnEntry> entries_;
  std::set<std::tuple<std::uint16_t, std::uint32_t, std::uint8_t>> keys_;
  std::unordered_map<std::uint32_t, std::size_t> firstByTable_;
};

}  // namespace tarnwick::analysis
