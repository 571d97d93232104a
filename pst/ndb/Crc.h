#pragma once

#include <cstdint>
#include <span>

#include "pst/ndb/Ids.h"

namespace tarnwick::pst {

/// The CRC-32 of the PST format: reflected polynomial 0xEDB88320, started at the given
/// value (0 for every CRC in the file), without final inversion.
std::uint32_t computeCrc(std::span<const std::uint8_t> data, std::uint32_t crc = 0);

/// wSig of page and block trailers: the offset xor the id, folded to 16 bits.
std::uint16_t computeSignature(FileOffset ib, Bid bid);

} // namespace tarnwick::pst
