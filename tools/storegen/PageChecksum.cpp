#include "tools/storegen/PageChecksum.h"

#include <bit>

#include "tools/storegen/Bytes.h"
#include "tools/storegen/EseLayout.h"

namespace tarnwick::storegen {

namespace {
std::uint32_t parityMask(std::uint32_t word) { return (std::popcount(word) & 1) ? 0xFFFFFFFFu : 0u; }
}  // namespace

std::uint32_t xorChecksumOldFormat(std::span<const std::uint8_t> bytes) {
  std::uint32_t sum = ese::header::kSignatureValue;
  for (std::size_t at = 4; at + 4 <= bytes.size(); at += 4) sum ^= get32(bytes, at);
  return sum;
}

EccChecksum eccChecksumNewFormat(std::span<const std::uint8_t> block, std::uint32_t pageNumber, bool headerBlock) {
  const std::size_t words = block.size() / 4;
  auto word = [&](std::size_t i) -> std::uint32_t {
    if (headerBlock && i < 2) return 0;
    return get32(block, i * 4);
  };
  // Row parity: every group of four words contributes its parity, weighted by the group's
  // index (low half) and its complement (high half).
  std::uint32_t rowCode = 0;
  std::uint32_t column[4] = {0, 0, 0, 0};
  std::uint32_t index = 0xFF800000u;
  for (std::size_t i = 0; i + 4 <= words; i += 4) {
    const std::uint32_t w0 = word(i), w1 = word(i + 1), w2 = word(i + 2), w3 = word(i + 3);
    column[0] ^= w0;
    column[1] ^= w1;
    column[2] ^= w2;
    column[3] ^= w3;
    rowCode ^= index & parityMask(w0 ^ w1 ^ w2 ^ w3);
    index += 0xFF800080u;
  }
  rowCode |= 0x00400000u & parityMask(column[0] ^ column[1]);
  rowCode |= 0x00000040u & parityMask(column[2] ^ column[3]);
  const std::uint32_t half0 = column[0] ^ column[2];
  const std::uint32_t half1 = column[1] ^ column[3];
  rowCode |= 0x00200000u & parityMask(half0);
  rowCode |= 0x00000020u & parityMask(half1);
  const std::uint32_t all = half0 ^ half1;
  // Bit parity inside the word: each set bit contributes its bit index and complement.
  std::uint32_t bitCode = 0;
  std::uint32_t bitIndex = 0xFFFF0000u;
  for (int bit = 0; bit < 32; ++bit) {
    if (all & (1u << bit)) bitCode ^= bitIndex;
    bitIndex += 0xFFFF0001u;
  }
  const std::uint32_t mask = (static_cast<std::uint32_t>(block.size()) << 19) - 1;
  const std::uint32_t ecc = (rowCode & 0xFFE0FFE0u & mask) | (bitCode & 0x001F001Fu);
  return {all ^ pageNumber, ecc};
}

}  // namespace tarnwick::storegen
