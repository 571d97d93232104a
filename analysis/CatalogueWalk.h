#pragma once

#include "analysis/ScanContext.h"
#include "store/CatalogueMatch.h"

#include <cstdint>
#include <set>
#include <span>
#include <unordered_set>
#include <vector>

namespace tarnwick::analysis {

// Step 1 of the scan: walks the catalogue from page 4 and the root pages of the tables the
// later steps need, records every page it reads in the page list, and keeps what the
// catalogue's records say about tables and columns. Progress comes from the walk alone and
// never goes backwards.
class CatalogueWalk {
 public:
  explicit CatalogueWalk(ScanContext& context) : ctx_(context), childBuffers_(kMaxDepth) {}

  // The whole page sequence. Returns false when a stop was requested.
  bool run();

  // Walks one page already read (and recorded) at `offset`: descends through branch
  // pages, examines the records of catalogue leaf pages.
  void walkPage(std::span<const std::uint8_t> page, std::int64_t offset);

  // Takes one recognised catalogue record into the findings and lists.
  void apply(const store::CatalogueMatch& match);

  // Deepest branch nesting followed; a genuine B-tree is a few levels deep.
  static constexpr int kMaxDepth = 64;

 private:
  void readAndWalk(std::int64_t offset, bool takeOwnerAsMailboxTable = false, bool takeOwnerAsLongValue = false);
  void walk(std::span<const std::uint8_t> page, std::int64_t offset, int depth);
  void walkBranch(std::span<const std::uint8_t> page, std::int64_t offset, int depth);
  void examineLeaf(std::span<const std::uint8_t> page);
  void countTag();
  void addMessageColumn(const store::CatalogueMatch& match);

  ScanContext& ctx_;
  std::vector<std::uint8_t> buffer_;
  std::vector<std::vector<std::uint8_t>> childBuffers_;  // one per nesting level
  std::vector<std::uint8_t> probe_;
  std::unordered_set<std::int64_t> descended_;  // child pages walked in the current walk
  std::uint64_t progressTotal_ = 0;
  std::uint64_t progressDone_ = 0;
  int lastProgress_ = 0;
  // The message and container-class lists keep the first column per kind and table (low
  // 16 bits of the table's object id); the note list per column, table and kind.
  std::set<std::pair<std::uint8_t, std::uint16_t>> messageColumnKeys_;
  std::set<std::pair<std::uint8_t, std::uint16_t>> containerClassKeys_;
  std::set<std::tuple<std::uint16_t, std::uint16_t, std::uint8_t>> noteColumnKeys_;
};

}  // namespace tarnwick::analysis
