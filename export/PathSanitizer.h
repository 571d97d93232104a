#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick::exporter {

// Longest file-name component we make, in UTF-8 bytes (file systems allow 255; the rest
// leaves room for a numbered suffix and an ending).
inline constexpr std::size_t kMaxNameBytes = 200;

// A name read from the store made safe to be one component of a path: path separators,
// control characters and the characters other file systems reserve (< > : " | ? *)
// become "_", a name of dots only becomes underscores, an empty name becomes "_", and a
// longer name is cut at a character boundary to `maxBytes`. The result is UTF-8.
std::string sanitizeNameComponent(std::u16string_view name, std::size_t maxBytes = kMaxNameBytes);
std::string sanitizeNameComponent(std::string_view utf8Name, std::size_t maxBytes = kMaxNameBytes);

// Cuts UTF-8 text to at most `maxBytes` bytes without splitting a character.
std::string truncateUtf8(std::string_view text, std::size_t maxBytes);

}  // namespace tarnwick::exporter
