#pragma once

#include <cstdint>

namespace tarnwick::store::catalogue {

// Where the catalogue walk finds numbers in a catalogue record: distances back from the
// first byte of the table or column name found in it (N). Two record shapes are used.

// Table records ("Mailbox", "Msg", "Body-", "Folders").
inline constexpr std::int64_t kOwningTableOfMsg = 30;  // 4 bytes: owning table ("Msg" test)
inline constexpr std::int64_t kTableObjectId = 24;     // 4 bytes: the table's object id
inline constexpr std::int64_t kTableRootPage = 20;     // 4 bytes: the table's root page number
inline constexpr std::int64_t kFoldersMarker = 8;      // 4 bytes: value 9 for a folders table
inline constexpr std::int64_t kNameLengthLow = 2;      // low byte of the name length
inline constexpr std::int64_t kNameLengthHigh = 1;     // high byte of the name length

// Column and long-value records ("LV", names beginning with S, T or N).
inline constexpr std::int64_t kColumnTable = 29;  // 4 bytes: table the column belongs to
inline constexpr std::int64_t kColumnId = 23;     // 16-bit column id (4-byte object id for "LV")
inline constexpr std::int64_t kColumnType = 19;   // 4 bytes: column type (root page for "LV")

// The search for names starts this far into a record.
inline constexpr std::int64_t kFirstNamePosition = 20;

// Object ids and values the walk tests.
inline constexpr std::uint32_t kCatalogueObjectId = 2;
inline constexpr std::uint32_t kMessageTableObjectId = 19;
inline constexpr std::uint32_t kFolderTableObjectId = 8;
inline constexpr std::uint32_t kSecondLongValueOwner = 61;
inline constexpr std::uint32_t kFoldersMarkerValue = 9;
inline constexpr std::uint8_t kMailboxNameLength = 7;

// The catalogue root is page 4.
inline constexpr std::uint32_t kCatalogueRootPage = 4;
// Branch records this long or shorter end in a child page number.
inline constexpr std::int64_t kMaxBranchRecordSize = 100;
// Bytes read of a child page to decide whether to descend into it.
inline constexpr std::size_t kChildProbeSize = 100;
// The walk's progress total before any branch page adds its tags.
inline constexpr std::uint32_t kInitialProgressTotal = 1000;
// Column id of the container class when the catalogue names none.
inline constexpr std::uint32_t kDefaultContainerClassColumn = 0x0147;

// Fixed offsets read when the catalogue does not name a table, per page-size class 0, 1, 2.
inline constexpr std::int64_t kMailboxRootFallback[3] = {0x8D000, 0x6E000, 0x128000};
inline constexpr std::int64_t kMessageRootFallback[2] = {0x71000, 0x66000};
inline constexpr std::int64_t kFolderRootFallback[2] = {0x62000, 0x48000};
inline constexpr std::int64_t kExtraPageOffset[2] = {0xED000, 0x11E000};
inline constexpr std::int64_t kLongValueRootFallback = 0x168000;

}  // namespace tarnwick::store::catalogue
