#pragma once

#include "content/LongValueChunks.h"
#include "content/StoredValueLocation.h"
#include "store/BodySource.h"
#include "store/ByteSource.h"
#include "store/StoreGeometry.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace tarnwick::content {

// The forms a message body comes back in.
enum class BodyForm : std::uint32_t {
  UnicodeText = 0,   // UTF-16LE text
  EightBitText = 1,  // HTML or other 8-bit text that is not compressed RTF
  Rtf = 3,           // RTF text decoded from a compressed RTF stream
};

struct StoredBody {
  BodyForm form = BodyForm::UnicodeText;
  std::vector<std::uint8_t> bytes;  // the body, without any terminator
};

// Fixed marks and limits of stored values.
struct StoredValueLayout {
  static constexpr std::uint8_t kCompressedFormat = 3;
  static constexpr std::uint8_t kLz77Format = 0x18;
  static constexpr std::size_t kRtfMagicOffset = 8;  // "LZFu" of a compressed RTF stream
  static constexpr std::size_t kInlineUnpackSlack = 1024;
  // A chunk placed beyond this many bytes into its value is not taken: no body is that
  // long, and a damaged chunk offset must not make the working file huge.
  static constexpr std::uint64_t kMaxValueLength = 256ull * 1024 * 1024;
};

// Reads a body value back: inline from the record, or assembled from its long-value
// chunks (each written at its own offset within the value, so order does not matter),
// unpacking what a 32 KB store compressed. A value whose bytes 8..11 read "LZFu" is
// compressed RTF and comes back decoded (unless `bodySource` is PlainUnicode, a plain Unicode
// body, which always comes back as text). The value is gathered in `workingFile`, which
// is removed again. Nothing when the working file cannot be made, a compressed inline
// value does not unpack, a chunked value lacks its first chunk (for letters other than
// 'p') or the RTF does not decode. Read failures of the database surface as FileError.
std::optional<StoredBody> readStoredValue(const store::ByteSource& db, const store::StoreGeometry& geometry,
                                          std::span<const ChunkLocation> chunks, store::BodySource bodySource,
                                          StoredValueLocation location, const std::filesystem::path& workingFile);

}  // namespace tarnwick::content
