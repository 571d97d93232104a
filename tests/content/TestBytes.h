#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::content::testing {

using Bytes = std::vector<std::uint8_t>;

inline void append(Bytes& out, std::string_view ascii) {
  std::size_t n = out.size();
  out.resize(n + ascii.size());
  for (std::size_t i = 0; i < ascii.size(); ++i) out[n + i] = static_cast<std::uint8_t>(ascii[i]);
}

inline void appendUtf16(Bytes& out, std::u16string_view text) {
  std::size_t n = out.size();
  out.resize(n + 2 * text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    out[n + 2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
    out[n + 2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
  }
}

// Appends `more` (written out by hand: g++ 12 at -O3 warns falsely on vector::insert).
inline void appendBytes(Bytes& out, const Bytes& more) {
  std::size_t n = out.size();
  out.resize(n + more.size());
  for (std::size_t i = 0; i < more.size(); ++i) out[n + i] = more[i];
}

inline void putU16(Bytes& out, std::size_t at, std::uint16_t v) {
  if (out.size() < at + 2) out.resize(at + 2);
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void putU32(Bytes& out, std::size_t at, std::uint32_t v) {
  if (out.size() < at + 4) out.resize(at + 4);
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void putU64(Bytes& out, std::size_t at, std::uint64_t v) {
  if (out.size() < at + 8) out.resize(at + 8);
  for (int i = 0; i < 8; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void putBytes(Bytes& out, std::size_t at, const Bytes& b) {
  if (out.size() < at + b.size()) out.resize(at + b.size());
  std::copy(b.begin(), b.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
}

inline std::string narrow(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace tarnwick::content::testing
