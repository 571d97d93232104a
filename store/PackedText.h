#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tarnwick::store {

// Format byte of a stored 32 KB-store text whose unpacked characters are single bytes;
// any other format byte means UTF-16 pairs.
inline constexpr std::uint8_t kSingleByteTextFormat = 3;
// Room the unpacked text of a name or class may take.
inline constexpr std::size_t kPackedTextCapacity = 1024;

// Unpacks a 7-bit packed text of a 32 KB store (`packed` starts with the packing's own
// header byte) and widens it to UTF-16: one byte per character when `formatByte` is 3,
// otherwise two bytes per character. The text ends at its first zero character and is cut
// to `maxChars`. Returns nothing when the bytes do not unpack.
std::optional<std::u16string> unpackStoredText(std::span<const std::uint8_t> packed, std::uint8_t formatByte,
                                               std::size_t maxChars);

}  // namespace tarnwick::store
