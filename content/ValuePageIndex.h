#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <unordered_map>
#include <vector>

namespace tarnwick::content {

// Which pages of a set of tables hold which keys (attachment identifiers, long-value keys),
// learnt while the pages are read once, so that later look-ups for one item read only the
// pages that can hold its values. Pages are named by their position in the page list.
class ValuePageIndex {
 public:
  // Records that page `position` of these tables holds `keys`.
  void add(const std::vector<std::uint32_t>& objectIds, std::size_t position, std::span<const std::uint64_t> keys);
  // Marks the pages of these tables as indexed (after a whole pass).
  void markComplete(const std::vector<std::uint32_t>& objectIds) { tables_[sorted(objectIds)].complete = true; }
  bool isComplete(const std::vector<std::uint32_t>& objectIds) const;
  // Positions (ascending, each once) of the pages of these tables holding any of `keys`.
  std::vector<std::size_t> pagesFor(const std::vector<std::uint32_t>& objectIds,
                                    std::span<const std::uint64_t> keys) const;
  void clear() { tables_.clear(); }

 private:
  struct Table {
    bool complete = false;
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> pagesByKey;
  };
  static std::vector<std::uint32_t> sorted(std::vector<std::uint32_t> ids);
  std::map<std::vector<std::uint32_t>, Table> tables_;
};

}  // namespace tarnwick::content
