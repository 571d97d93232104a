#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "codec/UnpackResult.h"

namespace tarnwick::codec {

// Unpacks a Plain LZ77 value (format byte 0x18, u16 unpacked size, stream) into `output`.
// Fails when the input is shorter than 3 bytes, the output has no storage, the format byte
// is not 0x18, a token is cut short, a match reaches before the start of the output or a
// byte would be written at or beyond output.size(). Decoding ends with the input; the
// unpacked-size field is not consulted (see lz77UnpackedSize). Never reads outside
// `input` nor writes outside `output`, whatever the bytes.
UnpackResult decodeLz77(std::span<const std::uint8_t> input, std::span<std::uint8_t> output);

// The unpacked size the value declares in its bytes 1..2; nothing when the value is too
// short or does not start with 0x18.
std::optional<std::size_t> lz77UnpackedSize(std::span<const std::uint8_t> input);

}  // namespace tarnwick::codec
