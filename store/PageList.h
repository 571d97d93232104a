#pragma once

#include "store/StoreOffsets.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

namespace tarnwick::store {

// One database page the scan has read.
struct PageEntry {
  std::uint32_t objectId = 0;  // owner object id from offset 24 of the page at the visit
  FileOffset fileOffset;       // where the page was read
};

// The pages the scan has read, in the order it read them (a page read twice is listed
// twice), with an index by owner object id so that the steps that want one table's pages
// do not walk the whole list for each table.
class PageList {
 public:
  // Appends a page at the tail (no duplicate check).
  void addPageEntry(std::uint32_t objectId, FileOffset fileOffset);

  const std::vector<PageEntry>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  const PageEntry& operator[](std::size_t i) const { return entries_[i]; }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }

  // Positions (in list order) of the entries whose owner object id is `objectId`.
  std::span<const std::size_t> positionsOf(std::uint32_t objectId) const;

  // Pages read so far; the callers count every visit (see RecordPageVisit).
  std::uint32_t VisitedPageCount() const { return visitedPageCount_; }
  void countVisit() { ++visitedPageCount_; }

  // Empties the list and resets the count.
  void clear();

 private:
  std::vector<PageEntry> entries_;
  std::unordered_map<std::uint32_t, std::vector<std::size_t>> byObjectId_;
  std::uint32_t visitedPageCount_ = 0;
};

// Records a page just read: appends its owner object id (offset 24 of `page`, 0 when the
// buffer is shorter) and `fileOffset` to the list and counts the visit.
void recordPageVisit(PageList& pages, std::span<const std::uint8_t> page, FileOffset fileOffset);

}  // namespace tarnwick::store
