#include "codec/RtfDecompressor.h"

#include <algorithm>
#include <array>

#include "codec/CompressedRtfFormat.h"
#include "codec/Crc32.h"
#include "codec/RtfGroupDepth.h"

namespace tarnwick::codec {
namespace {

std::uint32_t readU32(std::span<const std::uint8_t> s, std::size_t at) {
  return static_cast<std::uint32_t>(s[at]) | static_cast<std::uint32_t>(s[at + 1]) << 8 |
         static_cast<std::uint32_t>(s[at + 2]) << 16 | static_cast<std::uint32_t>(s[at + 3]) << 24;
}

// Unpacks LZFu contents into `out`, stopping at `rawSize` bytes, at the end marker or when
// the contents run out, whichever comes first.
void unpackContents(std::span<const std::uint8_t> contents, std::size_t rawSize, std::string& out) {
  std::array<std::uint8_t, rtfcp::kDictionarySize> dictionary{};
  std::copy(rtfcp::kInitialDictionary.begin(), rtfcp::kInitialDictionary.end(), dictionary.begin());
  std::size_t write = rtfcp::kInitialDictionary.size();
  auto put = [&](std::uint8_t b) {
    dictionary[write] = b;
    write = (write + 1) & rtfcp::kDictionaryMask;
    out.push_back(static_cast<char>(b));
  };

  std::size_t pos = 0;
  while (out.size() < rawSize && pos < contents.size()) {
    const std::uint8_t control = contents[pos++];
    for (unsigned bit = 0; bit < rtfcp::kTokensPerGroup; ++bit) {
      if (out.size() >= rawSize || pos >= contents.size()) return;
      if ((control >> bit & 1u) == 0) {
        put(contents[pos++]);
        continue;
      }
      if (contents.size() - pos < 2) return;
      const auto token = static_cast<std::uint16_t>(contents[pos] << 8 | contents[pos + 1]);
      pos += 2;
      std::size_t offset = token >> rtfcp::kReferenceOffsetShift;
      if (offset == write) return;  // end of the contents
      const std::size_t length = (token & rtfcp::kReferenceLengthMask) + rtfcp::kMinMatch;
      for (std::size_t k = 0; k < length && out.size() < rawSize; ++k) {
        put(dictionary[offset]);
        offset = (offset + 1) & rtfcp::kDictionaryMask;
      }
    }
  }
}

}  // namespace

std::optional<DecompressedRtf> decompressRtf(std::span<const std::uint8_t> stream) {
  if (stream.size() < rtfcp::kHeaderSize) return std::nullopt;
  const std::uint64_t compressedSize = readU32(stream, rtfcp::kCompressedSizeOffset);
  if (compressedSize > stream.size()) return std::nullopt;
  const std::size_t rawSize = readU32(stream, rtfcp::kRawSizeOffset);
  const std::uint32_t type = readU32(stream, rtfcp::kTypeOffset);
  const std::uint32_t crc = readU32(stream, rtfcp::kCrcOffset);

  // The contents end where the compressed size says, or earlier when the stream was cut.
  const std::size_t end = static_cast<std::size_t>(
      std::clamp<std::uint64_t>(compressedSize + rtfcp::kCompressedSizeBase, rtfcp::kHeaderSize, stream.size()));
  const std::span<const std::uint8_t> contents = stream.subspan(rtfcp::kHeaderSize, end - rtfcp::kHeaderSize);

  DecompressedRtf result;
  result.kind = type == rtfcp::kTypeCompressed     ? RtfStreamKind::Compressed
                : type == rtfcp::kTypeUncompressed ? RtfStreamKind::Uncompressed
                                                   : RtfStreamKind::Unknown;
  if (result.kind == RtfStreamKind::Uncompressed) {
    result.crcMatches = crc == 0;
    const std::size_t n = std::min(rawSize, contents.size());
    result.rtf.assign(reinterpret_cast<const char*>(contents.data()), n);
  } else {
    result.crcMatches = codec::crc32(contents) == crc;
    // A token of two bytes yields at most 17, so the contents bound the output as well.
    result.rtf.reserve(std::min<std::size_t>(rawSize, contents.size() * rtfcp::kMaxMatch));
    unpackContents(contents, rawSize, result.rtf);
  }
  result.complete = result.rtf.size() == rawSize;
  if (!result.complete) {
    // A lone backslash at the cut would escape the first brace; it starts no complete token.
    const RtfGroupState state = scanRtfGroups(result.rtf);
    if (state.danglingBackslash) result.rtf.pop_back();
    result.bracesAdded = state.openGroups;
    result.rtf.append(result.bracesAdded, '}');
  }
  return result;
}

}  // namespace tarnwick::codec
