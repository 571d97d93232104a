#include "store/BoundedBytes.h"

namespace tarnwick::store {

namespace {
char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

bool BoundedBytes::equals(std::int64_t pos, std::string_view text) const {
  if (!has(pos, static_cast<std::int64_t>(text.size()))) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (bytes_[static_cast<std::size_t>(pos) + i] != static_cast<std::uint8_t>(text[i])) return false;
  }
  return true;
}

bool BoundedBytes::equalsNoCase(std::int64_t pos, std::string_view text) const {
  if (!has(pos, static_cast<std::int64_t>(text.size()))) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char stored = static_cast<char>(bytes_[static_cast<std::size_t>(pos) + i]);
    if (upperAscii(stored) != upperAscii(text[i])) return false;
  }
  return true;
}

bool BoundedBytes::equals(std::int64_t pos, std::span<const std::uint8_t> bytes) const {
  if (!has(pos, static_cast<std::int64_t>(bytes.size()))) return false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes_[static_cast<std::size_t>(pos) + i] != bytes[i]) return false;
  }
  return true;
}

}  // namespace tarnwick::store
