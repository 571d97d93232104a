#include "tools/storegen/BTreeWriter.h"

#include <algorithm>
#include <stdexcept>

#include "tools/storegen/EseLayout.h"

namespace tarnwick::storegen {

namespace pg = ese::page;

namespace {
constexpr std::size_t kValueTreePrefix = 2;  // long-value leaves: key bytes kept in tag 0
constexpr std::size_t kValueChunkKey = 8;    // long-value id and chunk offset
}  // namespace

struct BTreeWriter::Level {
  std::vector<std::pair<Bytes, Bytes>> nodes;
  std::size_t bytes = 0;              // node bytes + their tags
  std::optional<PageNumber> current;  // page number of the page being filled, once known
  PageNumber previous;                // the page written before it on this level
  std::uint64_t pagesWritten = 0;
  Bytes firstKey;                     // smallest key below the page being filled
  std::optional<PageNumber> waiting;  // a written page whose separator is the next page's first key
  Bytes waitingFirstKey;
};

BTreeWriter::BTreeWriter(DatabaseFile& file, ObjectId owner, PageNumber root, std::uint32_t treeFlags, Bytes rootHeader,
                         bool keepPageNumbers)
    : file_(file),
      owner_(owner),
      root_(root),
      treeFlags_(treeFlags),
      rootHeader_(std::move(rootHeader)),
      keepPageNumbers_(keepPageNumbers),
      image_(file.traits()) {}

BTreeWriter::~BTreeWriter() = default;

std::size_t BTreeWriter::maxLeafPayload() const {
  // A page holding the root header and one node.
  const auto& t = file_.traits();
  return t.pageSize - t.pageHeaderSize - 2 * pg::kTagSize - pg::kRootHeaderSize - 2;
}

void BTreeWriter::add(std::span<const std::uint8_t> key, std::span<const std::uint8_t> data) {
  ++stats_.records;
  Bytes k(key.begin(), key.end());
  push(0, k, Bytes(data.begin(), data.end()), k);
}

void BTreeWriter::startNewLeaf() {
  if (!levels_.empty() && !levels_[0]->nodes.empty()) flush(0, false);
}

void BTreeWriter::push(std::size_t level, Bytes key, Bytes data, Bytes firstKey) {
  if (levels_.size() <= level) levels_.push_back(std::make_unique<Level>());
  Level& l = *levels_[level];
  const auto& t = file_.traits();
  // Room of a page: header, tag 0 with room for a root header, the nodes and their tags.
  const std::size_t capacity = t.pageSize - t.pageHeaderSize - pg::kTagSize - pg::kRootHeaderSize;
  const std::size_t need = nodeSize(key, data) + pg::kTagSize;
  if (need > capacity) throw std::logic_error("node larger than a page");
  if (l.bytes + need > capacity) flush(level, false);
  if (l.waiting) releaseWaiting(level, firstKey);
  if (l.nodes.empty()) l.firstKey = std::move(firstKey);
  l.nodes.emplace_back(std::move(key), std::move(data));
  l.bytes += need;
}

// The page written last on `level` is entered in its parent with the first key of the
// page after it as separator: keys below the separator lie in that page.
void BTreeWriter::releaseWaiting(std::size_t level, const Bytes& nextFirstKey) {
  Level& l = *levels_[level];
  Bytes child;
  append32(child, l.waiting->value);
  l.waiting.reset();
  Bytes firstKey = std::move(l.waitingFirstKey);
  push(level + 1, nextFirstKey, std::move(child), std::move(firstKey));
}

void BTreeWriter::flush(std::size_t level, bool last) {
  Level& l = *levels_[level];
  const bool isLeaf = level == 0;
  const bool isRoot = last && level + 1 == levels_.size() && l.pagesWritten == 0;
  PageNumber number;
  PageLinks links;
  if (isRoot) {
    number = root_;
  } else {
    if (!l.current) l.current = file_.allocate();
    number = *l.current;
    if (isLeaf) {
      links.previous = l.previous;
      if (!last) {
        l.current = file_.allocate();
        links.next = *l.current;
      }
    } else if (!last) {
      l.current = file_.allocate();
    }
  }
  // Internal pages right above the leaves are "parent of leaf" pages; higher ones carry
  // neither flag.
  const std::uint32_t levelFlag = isLeaf ? pg::kFlagLeaf : (level == 1 ? pg::kFlagParent : 0u);
  image_.reset(owner_, treeFlags_ | levelFlag | (isRoot ? pg::kFlagRoot : 0u));
  const std::size_t keyed = isLeaf ? l.nodes.size() : (l.nodes.empty() ? 0 : l.nodes.size() - 1);
  // Pages other than the root keep the keys' common beginning once, in tag 0; each node
  // then stores only the rest of its key.
  // Pages other than the root keep one key in tag 0 (as the engine does, the second node's,
  // at most 16 bytes); each node then stores only what it does not share with it.
  Bytes prefix;
  if (!isRoot && keyed > 0 && (!valueTreeLayout_ || isLeaf)) {
    const Bytes& chosen = l.nodes[keyed > 1 ? 1 : 0].first;
    const std::size_t most = valueTreeLayout_ ? kValueTreePrefix : pg::kRootHeaderSize;
    prefix.assign(chosen.begin(),
                  chosen.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(chosen.size(), most)));
  }
  if (isRoot) {
    image_.setExternalHeader(rootHeader_);
  } else if (!prefix.empty()) {
    image_.setExternalHeader(prefix);
  }
  Bytes node;
  for (std::size_t i = 0; i < l.nodes.size(); ++i) {
    const auto& [key, data] = l.nodes[i];
    // The last node of a branch page carries no key: it covers everything above.
    const bool dropKey = !isLeaf && i + 1 == l.nodes.size();
    const bool whole = valueTreeLayout_ && isLeaf && key.size() < kValueChunkKey;
    std::uint16_t nodeFlags = isLeaf && !whole ? pg::kNodeFlagVersioned : 0;
    node.clear();
    std::size_t common = 0;
    if (!dropKey && !whole) {
      while (common < prefix.size() && common < key.size() && prefix[common] == key[common]) ++common;
    }
    if (dropKey) {
      append16(node, 0);
    } else if (common >= 2) {
      nodeFlags = static_cast<std::uint16_t>(nodeFlags | pg::kNodeFlagCommonKey);
      append16(node, static_cast<std::uint16_t>(common));
      append16(node, static_cast<std::uint16_t>(key.size() - common));
      node.insert(node.end(), key.begin() + static_cast<std::ptrdiff_t>(common), key.end());
    } else {
      append16(node, static_cast<std::uint16_t>(key.size()));
      appendBytes(node, key);
    }
    appendBytes(node, data);
    image_.addNode(node, nodeFlags);
  }
  file_.writePage(number, image_.finish(number, links, file_.databaseTime()));
  ++stats_.pages;
  if (keepPageNumbers_) stats_.pageNumbers.push_back(number);
  ++l.pagesWritten;
  Bytes firstKey = std::move(l.firstKey);
  l.nodes.clear();
  l.bytes = 0;
  l.firstKey.clear();
  if (isLeaf) l.previous = number;
  if (isRoot) return;
  if (!last) {
    l.waiting = number;
    l.waitingFirstKey = std::move(firstKey);
    return;
  }
  // The last page of a level is the last entry of its parent, which carries no key.
  Bytes child;
  append32(child, number.value);
  push(level + 1, Bytes{}, std::move(child), std::move(firstKey));
}

const TreeStats& BTreeWriter::finish() {
  if (finished_) return stats_;
  finished_ = true;
  if (levels_.empty()) levels_.push_back(std::make_unique<Level>());
  for (std::size_t level = 0; level < levels_.size(); ++level) {
    Level& l = *levels_[level];
    if (l.waiting) releaseWaiting(level, l.firstKey);
    flush(level, true);
  }
  stats_.levels = static_cast<std::uint32_t>(levels_.size());
  return stats_;
}

}  // namespace tarnwick::storegen
