#include "content/LongValueChunks.h"

#include "store/RecordLocator.h"

#include <algorithm>
#include <unordered_map>

namespace tarnwick::content {

std::vector<std::uint8_t> readChunkBytes(const store::ByteSource& db, const store::StoreGeometry& geometry,
                                         std::uint64_t fileOffset, std::uint32_t cap) {
  std::vector<std::uint8_t> out;
  std::uint64_t fileLength = db.length();
  if (fileOffset >= fileLength || geometry.PageSize <= 0) return out;
  const std::uint64_t pageSize = static_cast<std::uint64_t>(geometry.PageSize);
  std::uint64_t pageStart = fileOffset - fileOffset % pageSize;
  std::vector<std::uint8_t> page(static_cast<std::size_t>(pageSize));
  std::uint64_t length = pageSize;
  if (db.readAt(pageStart, page) == page.size()) {
    store::RecordSlotArray slots;
    std::size_t count = store::locateRecords(page, geometry.PageSizeClass, slots);
    for (std::size_t i = 0; i < count; ++i) {
      std::uint64_t begin = pageStart + static_cast<std::uint32_t>(slots[i].offset);
      std::uint64_t end = begin + static_cast<std::uint16_t>(slots[i].size);
      if (begin <= fileOffset && fileOffset <= end) {
        length = end - fileOffset;
        break;
      }
    }
  }
  if (length > cap) length = fileOffset + cap >= fileLength ? fileLength - fileOffset : cap;
  length = std::min<std::uint64_t>(length, fileLength - fileOffset);
  out.resize(static_cast<std::size_t>(length));
  out.resize(db.readAt(fileOffset, out));
  return out;
}

StridedValue assembleByStride(const store::ByteSource& db, const store::StoreGeometry& geometry,
                              std::span<const ChunkLocation> chunks, std::uint32_t cap) {
  StridedValue value;
  // Value offset -> the first chunk listed with it. Chunks are placed by their offsets
  // whatever order the list holds them in: the page list names a long value's pages from
  // its last chunk to its first (a branch page's tags are walked from the highest), so a
  // search that only looked further along the list would lose every chunk after the first.
  std::unordered_map<std::uint32_t, std::size_t> firstWithOffset;
  for (std::size_t i = 0; i < chunks.size(); ++i) firstWithOffset.emplace(chunks[i].valueOffset, i);
  std::uint64_t expected = 0;
  for (std::size_t placed = 0; placed < chunks.size() && expected <= UINT32_MAX; ++placed) {
    auto it = firstWithOffset.find(static_cast<std::uint32_t>(expected));
    if (it == firstWithOffset.end()) break;
    std::vector<std::uint8_t> bytes = readChunkBytes(db, geometry, chunks[it->second].fileOffset, cap);
    std::size_t at = static_cast<std::size_t>(expected);
    if (value.bytes.size() < at + bytes.size()) value.bytes.resize(at + bytes.size());
    std::copy(bytes.begin(), bytes.end(), value.bytes.begin() + static_cast<std::ptrdiff_t>(at));
    expected += chunkStride(geometry);
  }
  value.gathered = expected;
  if (value.bytes.size() < expected) value.bytes.resize(static_cast<std::size_t>(expected));
  return value;
}

}  // namespace tarnwick::content
