#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <span>
#include <string_view>

namespace tarnwick::analysis {

// An identifier copied exactly as the store holds it: 8 opaque bytes, compared byte for
// byte and never read as a number. The tag keeps folder ids and message ids apart.
template <class Tag>
struct ByteId8 {
  std::array<std::uint8_t, 8> bytes{};

  // Byte-for-byte order, compared a word at a time (ids are compared and hashed on every
  // record a folder's pages hold).
  friend bool operator==(const ByteId8& a, const ByteId8& b) { return a.word() == b.word(); }
  friend std::strong_ordering operator<=>(const ByteId8& a, const ByteId8& b) {
    return a.orderWord() <=> b.orderWord();
  }
  // The 8 bytes as one number, in memory order (equality and hashing only).
  std::uint64_t word() const {
    std::uint64_t w;
    std::memcpy(&w, bytes.data(), sizeof w);
    return w;
  }
  // The 8 bytes as one number whose order is the bytes' order: the first byte most significant.
  std::uint64_t orderWord() const {
    std::uint64_t w = 0;
    for (std::uint8_t b : bytes) w = w << 8 | b;
    return w;
  }

  bool isZero() const {
    for (auto b : bytes)
      if (b != 0) return false;
    return true;
  }
  // The first 8 bytes of `from`; missing bytes stay zero.
  static ByteId8 fromBytes(std::span<const std::uint8_t> from) {
    ByteId8 id;
    std::memcpy(id.bytes.data(), from.data(), from.size() < 8 ? from.size() : 8);
    return id;
  }
};

struct FolderIdTag {};
struct MessageIdTag {};
struct AttachmentIdTag {};
using FolderId = ByteId8<FolderIdTag>;  // a folder's id; a mailbox root carries the mailbox id
using MessageId = ByteId8<MessageIdTag>;
using AttachmentId = ByteId8<AttachmentIdTag>;

// A long-value key: two significant bytes kept in a four-byte value.
using LongValueKey = std::array<std::uint8_t, 4>;

}  // namespace tarnwick::analysis

template <class Tag>
struct std::hash<tarnwick::analysis::ByteId8<Tag>> {
  std::size_t operator()(const tarnwick::analysis::ByteId8<Tag>& id) const noexcept {
    // A 64-bit finaliser: every byte of the id reaches every bit of the hash.
    std::uint64_t x = id.word();
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return static_cast<std::size_t>(x);
  }
};
