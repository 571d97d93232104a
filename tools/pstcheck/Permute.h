// NDB_CRYPT_PERMUTE: the byte substitution applied to the data of external blocks.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/pstcheck/ByteView.h"

namespace tarnwick::pstcheck {

/// Decodes permuted bytes to their plain values.
std::vector<std::uint8_t> decodePermute(Bytes stored);

/// Encodes plain bytes (used by tests that plant faults in encoded data).
std::vector<std::uint8_t> encodePermute(Bytes plain);

}  // namespace tarnwick::pstcheck
