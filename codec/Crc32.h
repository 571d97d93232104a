#pragma once

#include <cstdint>
#include <span>

namespace tarnwick::codec {

// The CRC-32 that both compressed RTF and the PST format use: the reflected 0xEDB88320
// polynomial, started at `crc` (0 for a whole stream and for every CRC of a PST file), with
// neither the usual initial nor final inversion.
std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

}  // namespace tarnwick::codec
