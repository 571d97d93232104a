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

  auto operator<=>(const ByteId8&) const = default;

  bool isZero() const {
    for (auto b : bytes) if (b != 0) return false;
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
using FolderId = ByteId8<FolderIdTag>;    // a folder's id; a mailbox root carries the mailbox id
using MessageId = ByteId8<MessageIdTag>;
using AttachmentId = ByteId8<AttachmentIdTag>;

// A long-value key: two significant bytes kept in a four-byte value.
using LongValueKey = std::array<std::uint8_t, 4>;

}  // namespace tarnwick::analysis

template <class Tag>
struct std::hash<tarnwick::analysis::ByteId8<Tag>> {
  std::size_t operator()(const tarnwick::analysis::ByteId8<Tag>& id) const noexcept {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(id.bytes.data()), id.bytes.size()));
  }
};
