#include "tools/storegen/BTreeWriter.h"

#include <stdexcept>

#include "tools/storegen/EseLayout.h"

namespace tarnwick::storegen {

namespace pg = ese::page;

struct BTreeWriter::Level {
  std::vector<std::pair<Bytes, Bytes>> nodes;
  std::size_t bytes = 0;              // node bytes + their tags
  std::optional<PageNumber> current;  // page number of the page being filled, once known
  PageNumber previous;                // the page written before it on this level
  std::uint64_t pagesWritten = 0;
};

BTreeWriter::BTreeWriter(DatabaseFile& file, ObjectId owner, PageNumber root, std::uint32_t treeFlags,
                         Bytes rootHeader, bool keepPageNumbers)
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
  push(0, Bytes(key.begin(), key.end()), Bytes(data.begin(), data.end()));
}

void BTreeWriter::push(std::size_t level, Bytes key, Bytes data) {
  if (levels_.size() <= level) levels_.push_back(std::make_unique<Level>());
  Level& l = *levels_[level];
  const auto& t = file_.traits();
  // Room of a page: header, tag 0 with room for a root header, the nodes and their tags.
  const std::size_t capacity = t.pageSize - t.pageHeaderSize - pg::kTagSize - pg::kRootHeaderSize;
  const std::size_t need = nodeSize(key, data) + pg::kTagSize;
  if (need > capacity) throw std::logic_error("node larger than a page");
  if (l.bytes + need > capacity) flush(level, false);
  l.nodes.emplace_back(std::move(key), std::move(data));
  l.bytes += need;
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
  std::uint32_t flags = treeFlags_ | (isLeaf ? pg::kFlagLeaf : pg::kFlagParent) | (isRoot ? pg::kFlagRoot : 0u);
  image_.reset(owner_, flags);
  if (isRoot) image_.setExternalHeader(rootHeader_);
  Bytes node;
  for (std::size_t i = 0; i < l.nodes.size(); ++i) {
    const auto& [key, data] = l.nodes[i];
    // The last node of a branch page carries no key: it covers everything above.
    const bool dropKey = !isLeaf && i + 1 == l.nodes.size();
    node.clear();
    append16(node, static_cast<std::uint16_t>(dropKey ? 0 : key.size()));
    if (!dropKey) appendBytes(node, key);
    appendBytes(node, data);
    image_.addNode(node, isLeaf ? pg::kNodeFlagVersioned : 0);
  }
  file_.writePage(number, image_.finish(number, links, file_.databaseTime()));
  ++stats_.pages;
  if (keepPageNumbers_) stats_.pageNumbers.push_back(number);
  ++l.pagesWritten;
  Bytes separator = l.nodes.empty() ? Bytes{} : l.nodes.back().first;
  l.nodes.clear();
  l.bytes = 0;
  if (isLeaf) l.previous = number;
  if (isRoot) return;
  Bytes child;
  append32(child, number.value);
  push(level + 1, std::move(separator), std::move(child));
}

const TreeStats& BTreeWriter::finish() {
  if (finished_) return stats_;
  finished_ = true;
  if (levels_.empty()) levels_.push_back(std::make_unique<Level>());
  for (std::size_t level = 0; level < levels_.size(); ++level) flush(level, true);
  stats_.levels = static_cast<std::uint32_t>(levels_.size());
  return stats_;
}

}  // namespace tarnwick::storegen
