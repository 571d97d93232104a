#pragma once

#include <cstdint>
#include <span>

namespace tarnwick::content {

// CRC-32 of compressed RTF contents: the reflected 0xEDB88320 polynomial, started at `crc`
// (0 for a whole stream) with neither the usual initial nor final inversion.
std::uint32_t rtfCrc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

}  // namespace tarnwick::content
