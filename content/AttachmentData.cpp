#include "content/AttachmentData.h"

#include "content/StoredValueReader.h"

namespace tarnwick::content {

std::optional<std::vector<std::uint8_t>> readAttachmentData(const store::ByteSource& database,
                                                            const store::StoreGeometry& geometry,
                                                            const analysis::AttachmentItem& attachment,
                                                            const std::filesystem::path& workingFile) {
  if (attachment.dataLength == 0) return std::nullopt;
  if (attachment.dataOffset.value > 0) {
    // The offset is that of the data itself; the length counts its format byte.
    std::vector<std::uint8_t> bytes(
        static_cast<std::size_t>(attachment.dataLength > 1 ? attachment.dataLength - 1 : 0));
    bytes.resize(database.readAt(static_cast<std::uint64_t>(attachment.dataOffset.value), bytes));
    return bytes;
  }
  if (attachment.chunks.empty()) return std::nullopt;
  std::vector<ChunkLocation> chunks;
  for (const analysis::ChunkRef& c : attachment.chunks) {
    if (c.fileOffset.value >= 0) chunks.push_back({static_cast<std::uint64_t>(c.fileOffset.value), c.chunkStart});
  }
  // Read as a plain value: the bytes come back as they are, with no RTF test.
  std::optional<StoredBody> value =
      readStoredValue(database, geometry, chunks, store::BodySource::PlainUnicode, {0, 0}, workingFile);
  if (!value) return std::nullopt;
  return std::move(value->bytes);
}

}  // namespace tarnwick::content
