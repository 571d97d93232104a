#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "codec/UnpackResult.h"

// Text values the database engine packed 7 bits per character. Byte 0 is the format
// byte: 0x08-0x0F for text that was 8-bit ASCII, 0x10-0x17 for text that was UTF-16 with
// every code unit below 0x80; its low 3 bits are the number of bits used in the last byte,
// minus one. The characters follow from byte 1, least significant bit first.
namespace tarnwick::codec {

namespace sevenbit {
inline constexpr std::uint8_t kAsciiFormat = 0x08;
inline constexpr std::uint8_t kUnicodeFormat = 0x10;
inline constexpr std::uint8_t kFormatMask = 0xF8;
inline constexpr std::uint8_t kLastBitsMask = 0x07;
inline constexpr std::uint8_t kLz77Format = 0x18;  // the other packed form, not 7-bit text
inline constexpr unsigned kCharBits = 7;
}  // namespace sevenbit

// What the packed characters stood for.
enum class SevenBitKind { Ascii, Unicode };

// The store's 7-bit unpacker: skips the format byte and writes one byte per 7 bits of the
// rest, as many as the bytes hold ((length - 1) * 8 / 7; a last character made only of
// padding comes out as 0). Fails when the input is empty, the output has no storage or is
// smaller than that count, the first byte is 0x18 (an LZ77 value), or padding bits left at
// the end are not zero (the value was not 7-bit text). Callers zero the output first and
// take the text up to its first NUL.
UnpackResult decode7Bit(std::span<const std::uint8_t> input, std::span<std::uint8_t> output);

// decode7Bit into a buffer of `capacity` zero bytes, cut to the characters it produced.
// Nothing when decode7Bit fails.
std::optional<std::vector<std::uint8_t>> unpack7Bit(std::span<const std::uint8_t> input, std::size_t capacity);

// Unpacks a value exactly as the engine packed it: the character count comes from the
// format byte, and Unicode text comes back as UTF-16LE. Nothing when the format byte is
// not 7-bit text.
std::optional<std::vector<std::uint8_t>> unpack7BitText(std::span<const std::uint8_t> value);

// Packs text as the engine does: `text` is 8-bit ASCII (kind Ascii) or UTF-16LE (kind
// Unicode). Nothing when a character does not fit in 7 bits or UTF-16 text has an odd
// length.
std::optional<std::vector<std::uint8_t>> encode7Bit(std::span<const std::uint8_t> text, SevenBitKind kind);

}  // namespace tarnwick::codec
