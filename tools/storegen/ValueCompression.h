#pragma once

// The one place where a column value of a 32 KB store is compressed before it is stored.
// The engine stores a compressed value with the tagged flag "compressed" and a leading
// byte that says the method: 0x18 for LZ77 (Xpress) followed by the 16-bit unpacked size,
// otherwise 7-bit packed text.

#include <optional>
#include <span>

#include "tools/storegen/Bytes.h"

namespace tarnwick::storegen {

// Whether this build can compress values at all (the encoders live in the core library).
bool valueCompressionAvailable();

// The compressed form of `value`, or nothing when it is to be stored as it is (no encoder,
// or compression does not pay).
std::optional<Bytes> compressValue(std::span<const std::uint8_t> value);

}  // namespace tarnwick::storegen
