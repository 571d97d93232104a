#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tarnwick::content {

// The Windows-1252 ("ANSI") code page: 8-bit texts the store keeps are shown through it.
char16_t fromWindows1252(std::uint8_t byte);

// Converts every byte of `bytes`.
std::u16string windows1252ToUtf16(std::span<const std::uint8_t> bytes);

}  // namespace tarnwick::content
