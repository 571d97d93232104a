#include "tools/storegen/LongValueWriter.h"

#include <algorithm>

#include "tools/storegen/EseLayout.h"
#include "tools/storegen/RootHeader.h"

namespace tarnwick::storegen {

std::uint32_t LongValueWriter::chunkSize(const FormatTraits& traits) {
  // What the engine fits in one page: 4,014 bytes on 4 KB pages, 8,110 on 8 KB pages. Stores
  // of 32 KB pages keep the chunks of 8 KB pages' engines: 8,150 bytes, however large the page.
  constexpr std::uint32_t kChunkOverhead = 42;
  constexpr std::uint32_t kLargePageChunk = 8192 - kChunkOverhead;
  if (traits.pageSize > 8192) return kLargePageChunk;
  return traits.pageSize - traits.pageHeaderSize - kChunkOverhead;
}

LongValueWriter::LongValueWriter(DatabaseFile& file, ObjectId owner, PageNumber root, PageNumber tableRoot)
    : tree_(file, owner, root, ese::page::kFlagLongValue, rootHeader(1, tableRoot)),
      chunk_(chunkSize(file.traits())) {}

LongValueId LongValueWriter::store(std::span<const std::uint8_t> value) {
  const LongValueId id{next_++};
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
