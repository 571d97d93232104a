#include "pst/ndb/DataTreeWriter.h"

#include <algorithm>

#include "pst/PstError.h"
#include "pst/ndb/ByteWriter.h"
#include "pst/ndb/Layout.h"
#include "pst/ndb/NodeDatabaseWriter.h"

namespace tarnwick::pst {

using namespace layout;

void DataTreeWriter::append(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    std::size_t take = std::min(bytes.size(), kMaxBlockData - pending_.size());
    pending_.insert(pending_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
    bytes = bytes.subspan(take);
    total_ += take;
    if (pending_.size() == kMaxBlockData) flush();
  }
}

void DataTreeWriter::flush() {
  if (pending_.empty()) return;
  leaves_.push_back(db_.writeBlock(pending_, false));
  leafSizes_.push_back(static_cast<std::uint16_t>(pending_.size()));
  pending_.clear();
}

void DataTreeWriter::endBlock() { flush(); }

Bid DataTreeWriter::finish() {
  flush();
  if (leaves_.empty()) return Bid{};
  if (leaves_.size() == 1) {
    levels_ = 0;
    return leaves_.front();
  }
  // Builds the XBLOCKs, then one XXBLOCK above them when there are several.
  auto writeLevel = [&](std::span<const Bid> children, std::uint8_t level, std::uint64_t bytesBelow) {
    ByteWriter w;
    w.u8(kBlockTypeData);
    w.u8(level);
    w.u16(static_cast<std::uint16_t>(children.size()));
    w.u32(static_cast<std::uint32_t>(bytesBelow));
    for (Bid b : children) w.u64(b.value);
    return db_.writeBlock(w.buffer(), true);
  };
  if (total_ > 0xFFFFFFFFull) throw PstError("PST value larger than 4 GB");
  if (leaves_.size() <= kXBlockMaxEntries) {
    levels_ = 1;
    return writeLevel(leaves_, 1, total_);
  }
  std::vector<Bid> xblocks;
  for (std::size_t from = 0; from < leaves_.size(); from += kXBlockMaxEntries) {
    std::size_t to = std::min(leaves_.size(), from + kXBlockMaxEntries);
    std::uint64_t below = 0;
    for (std::size_t i = from; i < to; ++i) below += leafSizes_[i];
    xblocks.push_back(writeLevel(std::span(leaves_).subspan(from, to - from), 1, below));
  }
  if (xblocks.size() > kXBlockMaxEntries) throw PstError("PST value too large for a data tree");
  levels_ = 2;
  return writeLevel(xblocks, 2, total_);
}

Bid DataTreeWriter::write(NodeDatabaseWriter& db, std::span<const std::uint8_t> bytes) {
  DataTreeWriter w(db);
  w.append(bytes);
  return w.finish();
}

}  // namespace tarnwick::pst
