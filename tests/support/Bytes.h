#pragma once

// Byte helpers the store builders of the tests share: little-endian fields written into a
// buffer that grows to hold them, UTF-16 and ASCII texts, and 8-byte ids.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarnwick::testing {

using Bytes = std::vector<std::uint8_t>;
using Id8 = std::array<std::uint8_t, 8>;

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

inline void putBytes(Bytes& out, std::size_t at, const std::uint8_t* data, std::size_t n) {
  if (out.size() < at + n) out.resize(at + n);
  for (std::size_t i = 0; i < n; ++i) out[at + i] = data[i];
}
inline void putBytes(Bytes& out, std::size_t at, const Bytes& b) {
  if (out.size() < at + b.size()) out.resize(at + b.size());
  std::copy(b.begin(), b.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
}

inline void putText(Bytes& out, std::size_t at, std::string_view text) {
  putBytes(out, at, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}
inline void putId(Bytes& out, std::size_t at, const Id8& id) { putBytes(out, at, id.data(), id.size()); }
inline void putUtf16(Bytes& out, std::size_t at, std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) putU16(out, at + 2 * i, static_cast<std::uint16_t>(text[i]));
}

// The appenders grow the buffer once and then write (written out by hand: g++ 12 at -O3
// warns falsely on vector::insert, and on a buffer grown inside the copy loop).
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

inline void appendBytes(Bytes& out, const Bytes& more) {
  std::size_t n = out.size();
  out.resize(n + more.size());
  for (std::size_t i = 0; i < more.size(); ++i) out[n + i] = more[i];
}

inline std::string narrow(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) out.push_back(c < 128 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace tarnwick::testing
