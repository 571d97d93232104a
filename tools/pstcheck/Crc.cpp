#include "tools/pstcheck/Crc.h"

#include <array>

namespace tarnwick::pstcheck {
namespace {

constexpr std::array<std::uint32_t, 256> makeTable() {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
    t[i] = c;
  }
  return t;
}
constexpr auto kTable = makeTable();

}  // namespace

std::uint32_t computeCrc(Bytes data, std::uint32_t start) {
  std::uint32_t c = start;
  for (std::uint8_t b : data) c = kTable[(c ^ b) & 0xFF] ^ (c >> 8);
  return c;
}

std::uint16_t computeSig(std::uint64_t ib, std::uint64_t bid) {
  ib ^= bid;
  return static_cast<std::uint16_t>((ib >> 16) ^ ib);
}

}  // namespace tarnwick::pstcheck
