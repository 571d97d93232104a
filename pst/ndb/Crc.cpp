#include "pst/ndb/Crc.h"

#include <array>

namespace tarnwick::pst {
namespace {

constexpr std::array<std::uint32_t, 256> makeTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
        table[i] = c;
    }
    return table;
}

constexpr auto kTable = makeTable();

} // namespace

std::uint32_t computeCrc(std::span<const std::uint8_t> data, std::uint32_t crc) {
    for (std::uint8_t b : data) crc = kTable[(crc ^ b) & 0xFF] ^ (crc >> 8);
    return crc;
}

std::uint16_t computeSignature(FileOffset ib, Bid bid) {
    std::uint64_t v = ib.value ^ bid.value;
    return static_cast<std::uint16_t>(static_cast<std::uint16_t>(v >> 16) ^ static_cast<std::uint16_t>(v));
}

} // namespace tarnwick::pst
