#pragma once

#include <cstddef>
#include <cstdint>

// Where the folder-row readers find the parts of a folder row. Rows are not parsed by their
// declared layout: each is found by its anchor, the position of the parent id, and read at
// these distances from it and from the row's tagged-column directory.
namespace tarnwick::analysis::folder_row {

// Around the anchor (the parent id): the folder id just before it, and before that the
// u16 distance from the folder id to the directory (at most kMaxDirectoryDistance).
inline constexpr std::int64_t kIdLength = 8;
inline constexpr std::int64_t kFolderIdDistance = -8;
inline constexpr std::int64_t kDirectoryDistanceField = -10;
inline constexpr std::int64_t kMaxDirectoryDistance = 1024;

// 4 KB / 8 KB rows: the identifier search runs over a window of the row. It starts at a
// fixed place when the marker stands at kFixedMarkerPosition, else at the marker plus the
// sum of the three bytes before it.
inline constexpr std::uint8_t kSmallRowMarker = 0xA7;
inline constexpr std::int64_t kFixedMarkerPosition = 6;
inline constexpr std::int64_t kFixedWindowStart = 167;  // also the anchor when a 32 KB row has no marker
inline constexpr std::int64_t kMarkerSearchLength = 16;
inline constexpr std::int64_t kMaxWindowLength = 300;
// A mailbox identifier found in the window is the parent id, or the 8 bytes before the
// parent id when the mailbox's root id follows it.
inline constexpr std::int64_t kRootIdAfterParent = 8;
// Where the search goes on after a place that held no folder.
inline constexpr std::int64_t kResumeAfterBadIds = 9;
inline constexpr std::int64_t kResumeAfterBadDirectory = 2;

// 32 KB rows: a marker in the row's first bytes places the anchor; the directory is tried
// at a few places near anchor + distance - 12, each plus the byte stored there.
inline constexpr std::uint8_t kLargeRowMarker = 0xCA;
inline constexpr std::int64_t kLargeAnchorDistance = 10;  // from the marker
inline constexpr std::int64_t kLargeIdsLength = 18;       // distance field, folder id, parent id
inline constexpr std::int64_t kLargeDirectoryProbe = -12;
inline constexpr std::int64_t kLargeDirectoryProbeStep = 2;
inline constexpr int kLargeDirectoryTries = 4;
inline constexpr std::int64_t kLargeDirectoryAfterProbe = 2;

// Tagged-column directory: 4-byte entries of a u16 column id and a value offset from the
// directory start (its high nibble masked in 4 KB / 8 KB stores). The first entry's
// offset is the directory's size; the second and third entries are the fixed columns
// below, the third holding the display name.
inline constexpr std::int64_t kEntryLength = 4;
inline constexpr std::int64_t kEntryColumnHighByte = 1;  // 1 for the tagged columns 0x01xx
inline constexpr std::uint8_t kTaggedColumnHigh = 1;
inline constexpr std::int64_t kEntryOffsetWord = 2;
inline constexpr std::uint8_t kSmallOffsetHighMask = 0x0F;
inline constexpr std::int64_t kSecondEntry = kEntryLength;
inline constexpr std::int64_t kNameEntry = 2 * kEntryLength;
inline constexpr std::int64_t kAfterNameEntry = 3 * kEntryLength;
inline constexpr std::uint16_t kSecondColumn = 0x0104;
inline constexpr std::uint16_t kNameColumn = 0x0105;
inline constexpr std::int64_t kMinDirectorySize = 100;  // a smaller or impossible size reads as this
// A value starts with a format byte; its text follows.
inline constexpr std::int64_t kTextAfterFormat = 1;
// UTF-16 characters of a 4 KB / 8 KB container class read: enough for the longest class.
inline constexpr std::size_t kSmallClassChars = 16;

}  // namespace tarnwick::analysis::folder_row
