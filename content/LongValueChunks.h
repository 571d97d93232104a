#pragma once

#include "store/ByteSource.h"
#include "store/StoreGeometry.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tarnwick::content {

// Data bytes a long-value chunk holds in a full page: the page less its header and tag.
inline constexpr std::uint32_t kChunkOverhead = 82;
inline std::uint32_t chunkStride(const store::StoreGeometry& geometry) {
  return static_cast<std::uint32_t>(geometry.PageSize) - kChunkOverhead;
}

// Where one stored chunk of a long value lies: the file offset of its data and its byte
// offset within the whole value.
struct ChunkLocation {
  std::uint64_t fileOffset = 0;
  std::uint32_t valueOffset = 0;
};

// The data bytes of the chunk at `fileOffset`. Their length is found from the tag array of
// the chunk's page (the distance to the end of the record holding the offset, or a whole
// page when no record holds it) and cut to `cap` bytes, or to the end of the file.
std::vector<std::uint8_t> readChunkBytes(const store::ByteSource& db, const store::StoreGeometry& geometry,
                                         std::uint64_t fileOffset, std::uint32_t cap);

// A value gathered chunk by chunk at fixed strides.
struct StridedValue {
  std::vector<std::uint8_t> bytes;  // zero where no chunk was placed
  std::uint64_t gathered = 0;       // stride × number of chunks placed
};

// Gathers a long value whose chunks lie at multiples of the chunk stride (page size − 82):
// from offset 0 on, the first listed chunk whose value offset is the next expected one is
// read (cut to `cap` bytes) and placed there, in whatever order the list holds the chunks,
// until no chunk has the next offset.
StridedValue assembleByStride(const store::ByteSource& db, const store::StoreGeometry& geometry,
                              std::span<const ChunkLocation> chunks, std::uint32_t cap);

}  // namespace tarnwick::content
