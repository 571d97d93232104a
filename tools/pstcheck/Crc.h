// The CRC and signature functions the format uses for headers, pages and blocks.
#pragma once

#include <cstdint>

#include "tools/pstcheck/ByteView.h"

namespace tarnwick::pstcheck {

/// Reflected CRC-32 (polynomial 0xEDB88320) started at 0, no final inversion.
std::uint32_t computeCrc(Bytes data, std::uint32_t start = 0);

/// wSig of a page or block trailer, made from its file offset and id.
std::uint16_t computeSig(std::uint64_t ib, std::uint64_t bid);

}  // namespace tarnwick::pstcheck
