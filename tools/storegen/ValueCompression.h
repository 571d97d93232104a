#pragma once

// The one place where a column value of a 32 KB store is compressed before it is stored.
// The engine stores a compressed value with the tagged flag "compressed" and a leading
// byte that says the method: 0x18 for LZ77 (Xpress) followed by the 16-bit unpacked size,
// otherwise 7-bit packed text.

#include <optional>
#include <span>

#include "tools/storegen/Bytes.h"

namespace tarnwick::storegen {

enum class ValueKind { AsciiText, UnicodeText, Binary };

// Whether this build can compress values at all (the encoders live in the core library).
bool valueCompressionAvailable();

// The compressed form of `value` as the engine chooses it: text of 7-bit characters below
// 1 KB is packed 7 bits per character, other values up to 64 KB with LZ77 when that is
// smaller. Nothing when the value is to be stored as it is.
std::optional<Bytes> compressValue(std::span<const std::uint8_t> value, ValueKind kind, bool alwaysPack = false);

inline constexpr std::size_t kSevenBitLimit = 1024;

}  // namespace tarnwick::storegen
