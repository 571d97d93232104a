#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Layout of a compressed RTF stream (the value of a message's compressed RTF body):
//   offset 0   u32 compressed size: bytes that follow this field (header rest + contents)
//   offset 4   u32 raw size: bytes of RTF the contents unpack to
//   offset 8   u32 compression type: "LZFu" (compressed) or "MELA" (stored as it is)
//   offset 12  u32 CRC-32 of the contents ("LZFu"); 0 for "MELA"
//   offset 16  contents: control groups of one control byte (bits from the least
//              significant up; clear = literal byte, set = reference) and up to 8 tokens.
// A reference is a big-endian u16: upper 12 bits a position in the 4 KiB circular
// dictionary, lower 4 bits the length minus 2. A reference to the dictionary's write
// position ends the contents.
namespace tarnwick::codec::rtfcp {

inline constexpr std::size_t kCompressedSizeOffset = 0;
inline constexpr std::size_t kRawSizeOffset = 4;
inline constexpr std::size_t kTypeOffset = 8;
inline constexpr std::size_t kCrcOffset = 12;
inline constexpr std::size_t kHeaderSize = 16;
// The compressed size counts the bytes after its own field.
inline constexpr std::size_t kCompressedSizeBase = 4;

inline constexpr std::uint32_t kTypeCompressed = 0x75465A4C;    // "LZFu"
inline constexpr std::uint32_t kTypeUncompressed = 0x414C454D;  // "MELA"

inline constexpr std::size_t kDictionarySize = 4096;
inline constexpr std::size_t kDictionaryMask = kDictionarySize - 1;
inline constexpr unsigned kReferenceOffsetShift = 4;
inline constexpr std::uint16_t kReferenceLengthMask = 0x0F;
inline constexpr std::size_t kMinMatch = 2;
inline constexpr std::size_t kMaxMatch = 17;
inline constexpr unsigned kTokensPerGroup = 8;

// The dictionary's first bytes before any stream is read; the write position starts after them.
inline constexpr std::string_view kInitialDictionary =
    "{\\rtf1\\ansi\\mac\\deff0\\deftab720{\\fonttbl;}{\\f0\\fnil \\froman \\fswiss \\fmodern \\fscript "
    "\\fdecor MS Sans SerifSymbolArialTimes New RomanCourier{\\colortbl\\red0\\green0\\blue0\r\n"
    "\\par \\pard\\plain\\f0\\fs20\\b\\i\\u\\tab\\tx";
static_assert(kInitialDictionary.size() == 207);

}  // namespace tarnwick::codec::rtfcp
