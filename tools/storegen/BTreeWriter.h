#pragma once

// Builds one B-tree (a table, a long-value tree, the catalogue) bottom-up from nodes given
// in ascending key order. Each level keeps only the page it is filling; full pages go to
// the file at once, so memory does not grow with the tree. The root goes to the page
// number fixed in advance (the catalogue records it before the tree is written).

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "tools/storegen/Bytes.h"
#include "tools/storegen/DatabaseFile.h"
#include "tools/storegen/Ids.h"
#include "tools/storegen/PageImage.h"

namespace tarnwick::storegen {

struct TreeStats {
  std::uint64_t records = 0;
  std::uint64_t pages = 0;
  std::uint32_t levels = 0;
  std::vector<PageNumber> pageNumbers;  // only when asked for (small trees)
};

class BTreeWriter {
 public:
  // `treeFlags`: kFlagLongValue, kFlagIndex or 0. `rootHeader`: tag 0 of the root page.
  BTreeWriter(DatabaseFile& file, ObjectId owner, PageNumber root, std::uint32_t treeFlags, Bytes rootHeader,
              bool keepPageNumbers = false);
  ~BTreeWriter();

  // Largest key + data a leaf node may hold.
  std::size_t maxLeafPayload() const;
  void add(std::span<const std::uint8_t> key, std::span<const std::uint8_t> data);
  // Ends the current leaf page so that the next node starts a new one.
  void startNewLeaf();
  // Long-value trees: leaf pages share only the first two key bytes in tag 0, so that every
  // chunk node carries the value's id and its offset; a value's root node (its short key)
  // is stored whole and without node flags; branch nodes keep their whole keys.
  void useValueTreeLayout() { valueTreeLayout_ = true; }
  const TreeStats& finish();
  const TreeStats& stats() const { return stats_; }
  ObjectId owner() const { return owner_; }
  PageNumber root() const { return root_; }

 private:
  struct Level;
  void push(std::size_t level, Bytes key, Bytes data, Bytes firstKey);
  void releaseWaiting(std::size_t level, const Bytes& nextFirstKey);
  void flush(std::size_t level, bool last);
  std::size_t nodeSize(const Bytes& key, const Bytes& data) const { return 2 + key.size() + data.size(); }

  DatabaseFile& file_;
  ObjectId owner_;
  PageNumber root_;
  std::uint32_t treeFlags_;
  Bytes rootHeader_;
  bool keepPageNumbers_;
  std::vector<std::unique_ptr<Level>> levels_;
  PageImage image_;
  TreeStats stats_;
  bool finished_ = false;
  bool valueTreeLayout_ = false;
};

}  // namespace tarnwick::storegen
