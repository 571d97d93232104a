#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace tarnwick::codec {

// Packs `data` as a bare Plain LZ77 stream (no framing), with hash-chain matching over the
// 8 KiB window of the format and the whole length encoding (half byte, byte, u16, u32).
std::vector<std::uint8_t> encodeLz77Stream(std::span<const std::uint8_t> data);

// Packs `data` the way the database engine stores a compressed value: format byte 0x18,
// u16 unpacked size, then the stream. Nothing when `data` is longer than the u16 field can
// say (65,535 bytes). Whether packing pays is the caller's decision.
std::optional<std::vector<std::uint8_t>> encodeLz77(std::span<const std::uint8_t> data);

}  // namespace tarnwick::codec
