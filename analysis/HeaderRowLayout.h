#pragma once

#include <cstdint>

// Where the header-page reader finds the parts of a message row. Rows are not parsed by
// their declared layout: each is found by its anchor (p), the position of the folder key
// (4 KB / 8 KB stores) or of the folder id (32 KB stores), and read at these distances.
namespace tarnwick::analysis::header_row {

// 4 KB / 8 KB rows: a marker byte in the row's first bytes; the folder key is searched for
// a fixed distance after it.
inline constexpr std::uint8_t kSmallRowMarker = 0x6D;
inline constexpr std::int64_t kMarkerSearchLength = 16;
inline constexpr std::int64_t kAnchorSearchDistance = 109;  // from the marker
inline constexpr std::int64_t kAnchorSearchLength = 100;    // at most; less in a shorter row
inline constexpr std::int64_t kFolderKeyLength = 8;

// 32 KB rows: the byte at row + 2 places the anchor.
inline constexpr std::int64_t kLargeMinRowSize = 88;  // rows this long or shorter hold no header
inline constexpr std::int64_t kLargePlacementByte = 2;
inline constexpr std::uint8_t kLargePlacementLowMask = 0x0F;
inline constexpr std::int64_t kLargePlacementBase = 12;  // anchor: row + low nibble above 12, else row + byte + 12

// Ids from the anchor.
inline constexpr std::int64_t kFolderIdDistance = 0;    // 32 KB rows: 8 bytes, the folder id
inline constexpr std::int64_t kMessageIdDistance = 16;  // 8 bytes, the message id

// 4 KB / 8 KB rows: the time and its fallback before the anchor, the directory after it.
// When the byte after the directory start is not 1 (a tagged column's high byte), the
// directory is searched for from one byte before it, up to this margin before the row end.
inline constexpr std::int64_t kSmallTimeDistance = -99;
inline constexpr std::int64_t kSmallFallbackTimeDistance = -18;
inline constexpr std::int64_t kSmallDirectoryDistance = 32;
inline constexpr std::int64_t kTagEndMargin = 6;

// 32 KB rows: the byte K at anchor - 6 places the directory at anchor - 8 + K. Rows with a
// large K keep their time at a fixed distance after the anchor (a nearer one when "**"
// stands there); others keep it just before the directory, where the byte before the
// directory says how far.
inline constexpr std::int64_t kLargeKeyDistance = -6;
inline constexpr std::int64_t kLargeDirectoryBase = -8;
inline constexpr std::int64_t kLargeFixedTimeK = 112;
inline constexpr std::int64_t kLargeFixedTime = 90;
inline constexpr std::int64_t kLargeFixedTimeAlternative = 82;
inline constexpr std::uint8_t kTimeMarkerFE = 0xFE;
inline constexpr std::int64_t kTimeMarkerDistance = -1;  // the byte before the directory
inline constexpr std::int64_t kTimeMarkerSecond = -2;    // ' ' before an 'R' marker
inline constexpr std::int64_t kTimeAfterFE = -9;         // from the directory
inline constexpr std::int64_t kTimeAfterR = -8;
inline constexpr std::int64_t kTimeUnmarked = -14;
inline constexpr std::int64_t kFallbackTimeUnmarked = -22;
inline constexpr std::int64_t kTimeLength = 6;

// Tagged-column directory: 4-byte entries, a u16 column id then the value offset from the
// directory start, whose high byte is masked in 4 KB / 8 KB stores. The first entry's
// offset is the directory's size.
inline constexpr std::int64_t kEntryLength = 4;
inline constexpr std::int64_t kEntryColumnHighByte = 1;  // 1 for the tagged columns 0x01xx
inline constexpr std::uint8_t kTaggedColumnHigh = 1;
inline constexpr std::int64_t kEntryOffsetLow = 2;
inline constexpr std::int64_t kEntryOffsetHigh = 3;
inline constexpr std::uint8_t kSmallOffsetHighMask = 0x0F;
// A value starts with a format byte; texts follow it.
inline constexpr std::int64_t kTextAfterFormat = 1;

// 4 KB / 8 KB rows: the columns that may hold the third text (only the low offset byte is read).
inline constexpr std::uint16_t kSmallThirdColumns[] = {0x0108, 0x010C};

// Calendar rows: the first 8-byte value after the directory's first two entries holds the
// start and end time, each 2 bytes into its value.
inline constexpr std::int64_t kAppointmentFirstEntry = 2 * kEntryLength;
inline constexpr std::int64_t kAppointmentValueLength = 8;
inline constexpr std::int64_t kAppointmentTimeDistance = 2;

}  // namespace tarnwick::analysis::header_row
