#include "content/ValuePageIndex.h"

#include <algorithm>

namespace tarnwick::content {

std::vector<std::uint32_t> ValuePageIndex::sorted(std::vector<std::uint32_t> ids) {
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

void ValuePageIndex::add(const std::vector<std::uint32_t>& objectIds, std::size_t position,
                         std::span<const std::uint64_t> keys) {
  Table& table = tables_[sorted(objectIds)];
  for (std::uint64_t key : keys) {
    std::vector<std::size_t>& pages = table.pagesByKey[key];
    if (pages.empty() || pages.back() != position) pages.push_back(position);
  }
}

bool ValuePageIndex::isComplete(const std::vector<std::uint32_t>& objectIds) const {
  auto found = tables_.find(sorted(objectIds));
  return found != tables_.end() && found->second.complete;
}

std::vector<std::size_t> ValuePageIndex::pagesFor(const std::vector<std::uint32_t>& objectIds,
                                                  std::span<const std::uint64_t> keys) const {
  std::vector<std::size_t> pages;
  auto found = tables_.find(sorted(objectIds));
  if (found == tables_.end()) return pages;
  for (std::uint64_t key : keys) {
    auto at = found->second.pagesByKey.find(key);
    if (at != found->second.pagesByKey.end()) pages.insert(pages.end(), at->second.begin(), at->second.end());
  }
  std::sort(pages.begin(), pages.end());
  pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
  return pages;
}

}  // namespace tarnwick::content
