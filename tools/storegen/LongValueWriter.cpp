#include "tools/storegen/LongValueWriter.h"

#include <algorithm>

#include "tools/storegen/EseLayout.h"
#include "tools/storegen/RootHeader.h"

namespace tarnwick::storegen {

namespace {

constexpr std::uint32_t kChunkOverhead = 42;
// 32 KB pages cut long values in chunks of an 8 KB page's size.
constexpr std::uint32_t kLargeChunk = 8150;
constexpr std::uint32_t kLargeChunkPageSize = 32768;
// Page scanners step their chunk sizes by the page size less this much.
constexpr std::uint32_t kScannerChunkOverhead = 82;
// A chunk node starts with the shared key length, the rest's length and the rest of the
// key: the id's low two bytes and the big-endian chunk offset. Its node flags sit in the
// second byte on 32 KB pages (versioned and common key).
constexpr std::uint8_t kSharedKeyBytes = 2;
constexpr std::uint8_t kChunkKeyRest = 6;
constexpr std::uint8_t kLargeChunkNodeFlags = 0xA0;
constexpr std::uint32_t kScannedPositions = 4;  // positions before the key a scanner also tries

std::uint32_t be32(const Bytes& b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

}  // namespace

std::uint32_t LongValueWriter::chunkSize(const FormatTraits& traits) {
  // What the engine fits in one page: 4,014 bytes on 4 KB pages.
  if (traits.pageSize == kLargeChunkPageSize) return kLargeChunk;
  return traits.pageSize - traits.pageHeaderSize - kChunkOverhead;
}

// Whether a page scanner that looks for a two-byte key followed by a chunk offset (a
// multiple of the chunk size) in the first bytes of a chunk node finds this value's key
// first, and not a false one made of the node's length words.
bool LongValueWriter::keyReadsBack(std::uint32_t id, std::size_t size) const {
  // A key whose first byte is 0 is taken to be damaged and mended from the page's first
  // record, which holds no key on the later pages of a value: such ids are left out.
  if (((id >> 8) & 0xFF) == 0) return false;
  const std::uint32_t step = large_ ? kLargeChunk : pageSize_ - kScannerChunkOverhead;
  for (std::size_t offset = 0; offset < std::max<std::size_t>(size, 1); offset += chunk_) {
    Bytes node{kSharedKeyBytes,
               static_cast<std::uint8_t>(large_ ? kLargeChunkNodeFlags : 0),
               kChunkKeyRest,
               0,
               static_cast<std::uint8_t>(id >> 8),
               static_cast<std::uint8_t>(id)};
    appendBigEndian32(node, static_cast<std::uint32_t>(offset));
    for (std::size_t u = 0; u < kScannedPositions; ++u) {
      if ((node[u] != 0 || node[u + 1] != 0) && be32(node, u + 2) % step == 0) return false;
    }
  }
  return true;
}

LongValueWriter::LongValueWriter(DatabaseFile& file, ObjectId owner, PageNumber root, PageNumber tableRoot,
                                 bool scannable)
    : tree_(file, owner, root, ese::page::kFlagLongValue, rootHeader(1, tableRoot)),
      chunk_(chunkSize(file.traits())),
      pageSize_(file.traits().pageSize),
      large_(file.traits().pageSize == kLargeChunkPageSize),
      scannable_(scannable) {
  if (scannable_) tree_.useValueTreeLayout();
}

LongValueId LongValueWriter::store(std::span<const std::uint8_t> value) {
  while (scannable_ && !keyReadsBack(next_, value.size())) ++next_;
  const LongValueId id{next_++};
  ++count_;
  Bytes key;
  appendBigEndian32(key, id.value);
  Bytes rootNode;
  append32(rootNode, 1);  // reference count
  append32(rootNode, static_cast<std::uint32_t>(value.size()));
  // Each long value starts its own leaf page, whose tag 0 then holds the value's first
  // chunk key.
  tree_.startNewLeaf();
  tree_.add(key, rootNode);
  for (std::size_t offset = 0; offset < value.size(); offset += chunk_) {
    Bytes chunkKey = key;
    appendBigEndian32(chunkKey, static_cast<std::uint32_t>(offset));
    const std::size_t n = std::min<std::size_t>(chunk_, value.size() - offset);
    tree_.add(chunkKey, value.subspan(offset, n));
  }
  return id;
}

}  // namespace tarnwick::storegen
