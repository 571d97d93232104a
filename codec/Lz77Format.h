#pragma once

#include <cstddef>
#include <cstdint>

// Layout of a value the database engine packed with Plain LZ77 (the "Xpress" form):
//   byte 0      format byte 0x18
//   bytes 1..2  unpacked size, u16 little-endian
//   bytes 3..   the Plain LZ77 stream: groups of a u32 little-endian flag word (bits taken
//               from the most significant downward; clear = literal byte, set = match)
//               followed by up to 32 tokens.
// A match is a u16 little-endian value v: offset back = (v >> 3) + 1, length code v & 7.
// Length code 7 continues in a half byte (two matches share one extra byte: low half
// first, then high half), a half byte of 15 continues in a byte, a byte of 255 in a
// u16 that holds the whole length minus 3, and a u16 of 0 in a u32 that does.
namespace tarnwick::codec::lz77 {

inline constexpr std::uint8_t kFormatByte = 0x18;
inline constexpr std::size_t kUnpackedSizeOffset = 1;
inline constexpr std::size_t kStreamOffset = 3;        // first byte of the LZ77 stream
inline constexpr std::size_t kMaxFramedSize = 0xFFFF;  // the u16 unpacked-size field

inline constexpr std::size_t kFlagWordBytes = 4;
inline constexpr unsigned kFlagsPerWord = 32;
inline constexpr std::size_t kMatchTokenBytes = 2;
inline constexpr unsigned kOffsetShift = 3;
inline constexpr std::uint16_t kLengthCodeMask = 0x7;
inline constexpr std::size_t kMinMatch = 3;
inline constexpr std::size_t kMaxOffset = 0x2000;  // 13 offset bits, plus one

inline constexpr unsigned kLengthInHalfByte = 7;                         // length code meaning "half byte follows"
inline constexpr unsigned kHalfByteMax = 15;                             // half byte meaning "byte follows"
inline constexpr unsigned kByteMax = 255;                                // byte meaning "u16 follows"
inline constexpr unsigned kByteBase = kLengthInHalfByte + kHalfByteMax;  // 22

}  // namespace tarnwick::codec::lz77
