#pragma once

// SHA-256 digests of the bytes a manifest describes (bodies, attachments).

#include <cstdint>
#include <span>
#include <string>

namespace tarnwick::storegen {

// Lower-case hexadecimal SHA-256 of `bytes`.
std::string sha256Hex(std::span<const std::uint8_t> bytes);

}  // namespace tarnwick::storegen
