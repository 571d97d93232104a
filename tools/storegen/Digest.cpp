#include "tools/storegen/Digest.h"

#include <openssl/sha.h>

#include <array>

namespace tarnwick::storegen {

std::string sha256Hex(std::span<const std::uint8_t> bytes) {
  std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
  SHA256(bytes.data(), bytes.size(), digest.data());
  static const char* digits = "0123456789abcdef";
  std::string text;
  for (unsigned char b : digest) {
    text.push_back(digits[b >> 4]);
    text.push_back(digits[b & 15]);
  }
  return text;
}

}  // namespace tarnwick::storegen
