#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tarnwick::codec {

// Packs RTF text as a compressed RTF stream of type "LZFu": header (compressed size, raw
// size, type, CRC-32 of the contents), then control groups whose references (2..17 bytes)
// point into the 4 KiB dictionary that starts with the standard initial text, ended by a
// reference to the write position. Among references of equal length the one nearest the
// dictionary's start is taken, which reproduces the streams of the published examples.
// Texts longer than 4 GiB are not supported (the size fields are 32 bits).
std::vector<std::uint8_t> compressRtf(std::span<const std::uint8_t> rtf);
std::vector<std::uint8_t> compressRtf(std::string_view rtf);

}  // namespace tarnwick::codec
