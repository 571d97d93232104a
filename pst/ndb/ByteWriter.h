#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tarnwick::pst {

/// Little-endian stores into a byte buffer.
inline void store16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void store32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void store64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

/// Appends little-endian values to a growing byte vector.
class ByteWriter {
 public:
  void u8(std::uint8_t v) { bytes_.push_back(v); }
  void u16(std::uint16_t v) { put(v, 2); }
  void u32(std::uint32_t v) { put(v, 4); }
  void u64(std::uint64_t v) { put(v, 8); }
  void bytes(std::span<const std::uint8_t> s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }
  void zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  std::size_t size() const { return bytes_.size(); }
  std::vector<std::uint8_t>& buffer() { return bytes_; }
  std::vector<std::uint8_t> take() { return std::move(bytes_); }

 private:
  void put(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  std::vector<std::uint8_t> bytes_;
};

}  // namespace tarnwick::pst
