#include "content/RecipientExtraction.h"

#include "codec/Lz77Decoder.h"
#include "content/RecipientScanner.h"

#include <algorithm>
#include <vector>

namespace tarnwick::content {

namespace {
constexpr std::uint8_t kLz77Format = 0x18;
}

std::u16string extractRecipients(const store::ByteSource& db, const store::StoreGeometry& geometry,
                                 std::span<const ChunkLocation> chunks, std::uint64_t position, std::uint16_t length) {
  RecipientList list;
  if (geometry.PageSize <= 0) return {};
  const std::size_t pageSize = static_cast<std::size_t>(geometry.PageSize);
  if (position != 0) {
    std::vector<std::uint8_t> bytes(pageSize);
    bytes.resize(db.readAt(position, bytes));
    if (store::isLargePage(geometry.PageSizeClass) && bytes.size() >= 2 && bytes[1] == kLz77Format) {
      // The recipient length counts the value's format byte, which the packed bytes follow:
      // the byte after the value belongs to the next one and is not unpacked with it.
      std::span<const std::uint8_t> packed = std::span<const std::uint8_t>(bytes).subspan(1);
      packed = packed.first(std::min<std::size_t>(packed.size(), length > 0 ? length - 1u : 0u));
      std::vector<std::uint8_t> unpacked(pageSize, 0);
      codec::UnpackResult r = codec::decodeLz77(packed, unpacked);
      if (!r.ok) return {};
      unpacked.resize(r.count);
      RecipientScanner::scanInline(unpacked, RecipientScanner::compressedScanStart(unpacked), false, list);
    } else {
      bytes.resize(std::min<std::size_t>(bytes.size(), length));
      RecipientScanner::scanInline(bytes, 0, !store::isLargePage(geometry.PageSizeClass), list);
    }
  } else if (!chunks.empty()) {
    StridedValue value = assembleByStride(db, geometry, chunks, chunkStride(geometry));
    RecipientScanner::scanAssembled(value.bytes, list);
  }
  return list.text();
}

}  // namespace tarnwick::content
