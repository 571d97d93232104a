#pragma once

#include <cstddef>
#include <cstdint>

// Fixed distances and markers by which message records are found in the pages of the
// message tables. Records are not parsed by their declared layout: the message id and the
// tagged-column directory are found at these distances.
namespace tarnwick::store::message_record {

// 4 KB / 8 KB stores: the bytes 21 00 within the first bytes of a slot; the message id
// lies a fixed distance after the 21, and the directory a fixed distance after the id.
inline constexpr std::size_t kSmallMarkerWindow = 18;
inline constexpr std::uint8_t kSmallMarker0 = 0x21;
inline constexpr std::uint8_t kSmallMarker1 = 0x00;
inline constexpr std::size_t kSmallIdAfterMarker = 35;
inline constexpr std::size_t kSmallDirectoryAfterId = 24;

// 32 KB stores: the byte at slot + 2 places the message id; a second copy of the id may
// follow at one of two distances, with the directory just after it.
inline constexpr std::size_t kLargeMinSlotSize = 41;
inline constexpr std::size_t kLargePlacementByte = 2;
inline constexpr std::uint8_t kLargePlacementLowMask = 0x0F;  // low nibble: the id's own distance
inline constexpr std::uint8_t kLargePlacementLimit = 8;
inline constexpr std::size_t kLargePlacementBase = 8;
inline constexpr std::size_t kLargeSecondIdNear = 41;
inline constexpr std::size_t kLargeSecondIdFar = 49;
inline constexpr std::size_t kLargeSecondIdSelector = 8;
inline constexpr std::size_t kLargeDirectoryAfterSecondId = 10;
inline constexpr std::size_t kLargeDirectorySearchStart = 20;
inline constexpr std::size_t kLargeSlotEndMargin = 6;
// A byte 1 just after the first id says the directory starts at the id itself.
inline constexpr std::size_t kLargeDirectoryFlagAfterId = 1;
inline constexpr std::uint8_t kLargeDirectoryFlag = 1;

inline constexpr std::size_t kMessageIdLength = 8;

// Tagged-column directory: 4-byte entries of column id and value offset. The first entry's
// offset is also the directory's size: the values start where the directory ends.
inline constexpr std::size_t kEntryLength = 4;
inline constexpr std::size_t kEntryColumnHighByte = 1;  // tagged columns are 0x01xx: this byte is 1
inline constexpr std::size_t kEntryOffsetWord = 2;      // u16 LE value offset from the directory start
inline constexpr std::uint8_t kTaggedColumnHigh = 1;
inline constexpr std::uint16_t kSmallOffsetMask = 0x0FFF;  // classes 0 and 1

// Value shapes. A value starts with a format byte. A long-value reference is the format
// byte and the long-value id, whose two bytes are kept high byte first as the key.
inline constexpr std::size_t kLongValueReferenceLength = 5;
inline constexpr std::size_t kReferenceIdLow = 1;
inline constexpr std::size_t kReferenceIdHigh = 2;
// An inline streamed body holds a 4-byte size after its format byte; 0 means no body.
inline constexpr std::size_t kStreamedBodySize = 1;
inline constexpr std::uint16_t kStreamedBodyColumn = 0x011B;
inline constexpr std::uint16_t kThirdTextExcludedColumn = 0x0103;
inline constexpr std::uint16_t kThirdTextExcludedOffset = 228;
inline constexpr std::uint8_t kCompressedFormat = 3;
inline constexpr std::uint8_t kLz77Marker = 0x18;
inline constexpr std::uint8_t kAddressMarker0 = 0xE4;
inline constexpr std::uint8_t kAddressMarker1 = 0x04;
inline constexpr std::uint8_t kAddressMarkerAlt0 = 0xE3;
inline constexpr std::uint8_t kShortPrefixMarker = 0xB1;
inline constexpr std::size_t kAddressMarkerDistance = 6;
// A first short text: its prefix markers lie at value + 1 and value + 2; the text's length
// byte follows a short prefix at value + 3, or else lies at value + 5.
inline constexpr std::size_t kThirdTextEntries = 2;  // only the first two entries are tried
inline constexpr std::size_t kTextPrefixFirst = 1;
inline constexpr std::size_t kTextPrefixSecond = 2;
inline constexpr std::size_t kTextAfterShortPrefix = 3;
inline constexpr std::size_t kTextAfterLongPrefix = 5;

// Attachment identifiers: a first one after a byte 1, further ones every 12 bytes.
inline constexpr std::uint8_t kAttachmentListMarker = 1;
inline constexpr std::size_t kFirstAttachmentId = 1;
inline constexpr std::size_t kNextAttachmentIds = 13;
inline constexpr std::size_t kAttachmentIdStride = 12;
inline constexpr std::size_t kAttachmentIdLength = 8;

// Appointment times lie after a short prefix in their values.
inline constexpr std::size_t kSmallTimeDistance = 2;
inline constexpr std::size_t kLargeTimeDistance = 3;
inline constexpr std::size_t kTimeLength = 6;

// Texts read from property columns: a character whose low byte is 0, 1 or 2 ends one.
inline constexpr std::uint8_t kLastTextEndByte = 2;
inline constexpr std::size_t kMaxPropertyText = 299;
inline constexpr std::size_t kMaxCompressedPropertyText = 260;
inline constexpr std::size_t kCompressedTextCapacity = 1024;

// Default address column when the catalogue names none.
inline constexpr std::uint16_t kDefaultAddressColumnSmall = 0x011A;
inline constexpr std::uint16_t kDefaultAddressColumnLarge = 0x0144;

}  // namespace tarnwick::store::message_record
