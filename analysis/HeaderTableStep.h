#pragma once

#include "analysis/HeaderTableNames.h"
#include "analysis/ScanContext.h"

#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarnwick::analysis {

// Step 4: finds the message-header table of every folder (4 KB/8 KB stores) or mailbox
// (32 KB stores) by its name in the catalogue pages, gathers all pages of each table and
// adds it to the header-table list.
class HeaderTableDiscovery {
 public:
  explicit HeaderTableDiscovery(ScanContext& context);

  // The step over the catalogue pages of the page list; then purges the folders that did
  // not reach the tree and frees the mailbox list. Returns false when a stop was requested.
  bool run();

  // One catalogue page: matches its header-table names with the folders still without a
  // table. Returns true when the page held candidate names.
  bool discoverHeaderTables(std::span<const std::uint8_t> page);

  // Gathers the table's pages from its root (a position in 512-byte units) into the
  // scratch page list, depth first; each page once.
  void collectTablePages(std::int64_t rootPosition);

  // Deepest branch nesting followed.
  static constexpr int kMaxDepth = 64;

 private:
  void walkBranchPage(std::span<const std::uint8_t> page, int depth);
  void takeTable(FolderNode& node, const HeaderTableCandidate& candidate);

  ScanContext& ctx_;
  // Folder-list positions by the header-table name expected for them, in list order.
  std::unordered_map<std::string, std::vector<std::size_t>> expected_;
  std::vector<std::vector<std::uint8_t>> buffers_;  // one per nesting level
};

}  // namespace tarnwick::analysis
