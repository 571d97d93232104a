#pragma once

// Page and header checksums as the engine computes them: the XOR checksum of the old
// format (with the page number in the second word), and the XOR + ECC checksum of the new
// format, computed per page (4 KB, 8 KB) or per 8 KB block (32 KB pages).

#include <cstdint>
#include <span>

namespace tarnwick::storegen {

// XOR of the 32-bit words from byte 4 to the end, started with 0x89ABCDEF. Used for the
// database header and for pages of the old checksum format.
std::uint32_t xorChecksumOldFormat(std::span<const std::uint8_t> bytes);

struct EccChecksum {
  std::uint32_t xorPart;  // XOR of the block's words and the page number
  std::uint32_t eccPart;  // Hamming code over the block's bits
};

// The new-format checksum of one block (1 KB to 8 KB). The header block leaves its first
// eight bytes (where the checksum is kept) out of the sum.
EccChecksum eccChecksumNewFormat(std::span<const std::uint8_t> block, std::uint32_t pageNumber, bool headerBlock);

}  // namespace tarnwick::storegen
