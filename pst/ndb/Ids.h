#pragma once

#include <compare>
#include <cstdint>

namespace tarnwick::pst {

/// NID_TYPE: the low five bits of a node id.
enum class NidType : std::uint8_t {
  Hid = 0x00,
  Internal = 0x01,
  NormalFolder = 0x02,
  SearchFolder = 0x03,
  NormalMessage = 0x04,
  Attachment = 0x05,
  SearchUpdateQueue = 0x06,
  SearchCriteriaObject = 0x07,
  AssocMessage = 0x08,
  ContentsTableIndex = 0x0A,
  ReceiveFolderTable = 0x0B,
  OutgoingQueueTable = 0x0C,
  HierarchyTable = 0x0D,
  ContentsTable = 0x0E,
  AssocContentsTable = 0x0F,
  SearchContentsTable = 0x10,
  AttachmentTable = 0x11,
  RecipientTable = 0x12,
  SearchTableIndex = 0x13,
  Ltp = 0x1F,
};

/// NID: a node id (type in the low five bits, index above).
struct Nid {
  std::uint32_t value = 0;

  static constexpr Nid make(NidType type, std::uint32_t index) {
    return Nid{(index << 5) | static_cast<std::uint32_t>(type)};
  }
  constexpr NidType type() const { return static_cast<NidType>(value & 0x1F); }
  constexpr std::uint32_t index() const { return value >> 5; }
  /// The node id of the same index with another type (a folder's tables).
  constexpr Nid withType(NidType type) const { return make(type, index()); }
  friend constexpr auto operator<=>(Nid, Nid) = default;
};

/// BID: a block or page id; bit 1 marks internal blocks (XBLOCK, SLBLOCK, ...).
struct Bid {
  std::uint64_t value = 0;

  constexpr bool isInternal() const { return (value & 0x2) != 0; }
  constexpr bool isNull() const { return value == 0; }
  friend constexpr auto operator<=>(Bid, Bid) = default;
};

/// IB: an absolute byte offset in the PST file.
struct FileOffset {
  std::uint64_t value = 0;
  friend constexpr auto operator<=>(FileOffset, FileOffset) = default;
};

/// BREF: a block id with the file offset where the block lies.
struct BlockRef {
  Bid bid;
  FileOffset ib;
};

}  // namespace tarnwick::pst
