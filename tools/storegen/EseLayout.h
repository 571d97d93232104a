#pragma once

// On-disk layout of an ESE database as the generator writes it: file header fields, page
// header fields, page flags, tag array and node layout, record layout, catalogue columns.
// Every offset the writer uses is named here once.

#include "store/PageFlags.h"

#include <cstdint>

namespace tarnwick::storegen::ese {

// Database file header (the first page-sized block of the file, repeated as its shadow).
namespace header {
inline constexpr std::uint32_t kChecksum = 0;
inline constexpr std::uint32_t kSignature = 4;
inline constexpr std::uint32_t kFormatVersion = 8;
inline constexpr std::uint32_t kFileType = 12;
inline constexpr std::uint32_t kDatabaseTime = 16;
inline constexpr std::uint32_t kDatabaseSignature = 24;  // 28 bytes: random, log time, computer name
inline constexpr std::uint32_t kDatabaseState = 52;
inline constexpr std::uint32_t kConsistentPosition = 56;
inline constexpr std::uint32_t kConsistentTime = 64;
inline constexpr std::uint32_t kAttachTime = 72;
inline constexpr std::uint32_t kDetachTime = 88;
inline constexpr std::uint32_t kLogSignature = 104;
inline constexpr std::uint32_t kLastObjectId = 212;
inline constexpr std::uint32_t kMajorVersion = 216;
inline constexpr std::uint32_t kMinorVersion = 220;
inline constexpr std::uint32_t kBuildNumber = 224;
inline constexpr std::uint32_t kServicePack = 228;
inline constexpr std::uint32_t kFormatRevision = 232;
inline constexpr std::uint32_t kPageSize = 236;
inline constexpr std::uint32_t kCreationFormatVersion = 340;
inline constexpr std::uint32_t kCreationFormatRevision = 344;
inline constexpr std::uint32_t kUsedSize = 668;  // bytes of the header that carry fields

inline constexpr std::uint32_t kSignatureValue = 0x89ABCDEF;
inline constexpr std::uint32_t kFormatVersionValue = 0x620;
inline constexpr std::uint32_t kFileTypeDatabase = 0;
inline constexpr std::uint32_t kFileTypeStreaming = 1;
inline constexpr std::uint32_t kStateCleanShutdown = 3;
}  // namespace header

// Page header: 40 bytes; 32 KB pages add 40 more (block checksums and the page number).
namespace page {
inline constexpr std::uint32_t kXorChecksum = 0;
inline constexpr std::uint32_t kEccChecksumOrPageNumber = 4;
inline constexpr std::uint32_t kDatabaseTime = 8;
inline constexpr std::uint32_t kPreviousPage = 16;
inline constexpr std::uint32_t kNextPage = 20;
inline constexpr std::uint32_t kObjectId = 24;
inline constexpr std::uint32_t kAvailableSize = 28;
inline constexpr std::uint32_t kAvailableUncommitted = 30;
inline constexpr std::uint32_t kFirstFreeOffset = 32;
inline constexpr std::uint32_t kTagCount = 34;
inline constexpr std::uint32_t kFlags = store::page_flags::kOffset;
inline constexpr std::uint32_t kBlockChecksums = 40;  // extended header: three 8-byte checksums
inline constexpr std::uint32_t kExtendedPageNumber = 64;
inline constexpr std::uint32_t kSmallHeaderSize = 40;
inline constexpr std::uint32_t kLargeHeaderSize = 80;
inline constexpr std::uint32_t kLargeBlockSize = 8192;  // 32 KB pages are checksummed per 8 KB

// Page flags: one list shared with the reader.
using store::page_flags::kFlagEmpty;
using store::page_flags::kFlagIndex;
using store::page_flags::kFlagLeaf;
using store::page_flags::kFlagLongValue;
using store::page_flags::kFlagNewChecksumFormat;
using store::page_flags::kFlagNewRecordFormat;
using store::page_flags::kFlagParent;
using store::page_flags::kFlagRoot;
using store::page_flags::kFlagSpaceTree;

inline constexpr std::uint32_t kTagSize = 4;
// Node flags: kept in the top three bits of the tag's offset word (4 KB and 8 KB pages) or
// of the node's first key-size word (32 KB pages).
inline constexpr std::uint16_t kNodeFlagVersioned = 0x1;
inline constexpr std::uint16_t kNodeFlagCommonKey = 0x4;
inline constexpr unsigned kNodeFlagShift = 13;

// The external header (tag 0) of a tree's root page.
inline constexpr std::uint32_t kRootHeaderSize = 16;
}  // namespace page

// Record (data definition) layout.
namespace record {
inline constexpr std::uint32_t kLastFixed = 0;
inline constexpr std::uint32_t kLastVariable = 1;
inline constexpr std::uint32_t kVariableOffsetsAt = 2;
inline constexpr std::uint32_t kFixedDataStart = 4;
inline constexpr std::uint16_t kFirstVariableId = 128;
inline constexpr std::uint16_t kFirstTaggedId = 256;
inline constexpr std::uint16_t kVariableNullBit = 0x8000;
inline constexpr std::uint16_t kTaggedHasFlagsBit = 0x4000;  // 4 KB and 8 KB pages
inline constexpr std::uint16_t kTaggedOffsetMaskSmall = 0x3FFF;
inline constexpr std::uint16_t kTaggedOffsetMaskLarge = 0x7FFF;

inline constexpr std::uint8_t kTaggedFlagVariableSize = 0x01;
inline constexpr std::uint8_t kTaggedFlagCompressed = 0x02;
inline constexpr std::uint8_t kTaggedFlagLongValue = 0x04;
inline constexpr std::uint8_t kTaggedFlagMultiValue = 0x08;

// Long-value tree: the root node of each long value holds a reference count and the size.
inline constexpr std::uint32_t kLongValueRootSize = 8;
}  // namespace record

// Column types (JET_coltyp).
enum class ColumnType : std::uint32_t {
  Bit = 1,
  UnsignedByte = 2,
  Short = 3,
  Long = 4,
  Currency = 5,
  IEEESingle = 6,
  IEEEDouble = 7,
  DateTime = 8,
  Binary = 9,
  Text = 10,
  LongBinary = 11,
  LongText = 12,
  UnsignedLong = 14,
  LongLong = 15,
  GUID = 16,
  UnsignedShort = 17,
};

// Column flags (JET_bitColumn*).
inline constexpr std::uint32_t kColumnFixed = 0x00000001;
inline constexpr std::uint32_t kColumnTagged = 0x00000002;
inline constexpr std::uint32_t kColumnMultiValued = 0x00000400;
inline constexpr std::uint32_t kColumnCompressed = 0x00080000;

// The catalogue (MSysObjects) and its fixed place in the file.
namespace catalogue {
inline constexpr std::uint32_t kDatabaseObjectId = 1;
inline constexpr std::uint32_t kDatabaseRootPage = 1;
inline constexpr std::uint32_t kObjectId = 2;
inline constexpr std::uint32_t kRootPage = 4;
inline constexpr std::uint32_t kShadowObjectId = 3;
inline constexpr std::uint32_t kShadowRootPage = 24;
inline constexpr std::uint32_t kFirstUserObjectId = 4;

inline constexpr std::uint16_t kTypeTable = 1;
inline constexpr std::uint16_t kTypeColumn = 2;
inline constexpr std::uint16_t kTypeIndex = 3;
inline constexpr std::uint16_t kTypeLongValue = 4;

// Catalogue column ids.
inline constexpr std::uint16_t kObjidTable = 1;
inline constexpr std::uint16_t kType = 2;
inline constexpr std::uint16_t kId = 3;
inline constexpr std::uint16_t kColtypOrPgnoFDP = 4;
inline constexpr std::uint16_t kSpaceUsage = 5;
inline constexpr std::uint16_t kFlags = 6;
inline constexpr std::uint16_t kPagesOrLocale = 7;
inline constexpr std::uint16_t kRootFlag = 8;
inline constexpr std::uint16_t kRecordOffset = 9;
inline constexpr std::uint16_t kLCMapFlags = 10;
inline constexpr std::uint16_t kKeyMost = 11;
inline constexpr std::uint16_t kName = 128;
inline constexpr std::uint16_t kStats = 129;
inline constexpr std::uint16_t kTemplateTable = 130;
inline constexpr std::uint16_t kDefaultValue = 131;
inline constexpr std::uint16_t kKeyFldIDs = 132;

inline constexpr std::uint32_t kDefaultDensity = 80;
inline constexpr std::uint32_t kCodePageWestern = 1252;
inline constexpr std::uint32_t kCodePageUnicode = 1200;
inline constexpr std::uint32_t kLocaleEnglishUS = 1033;
inline constexpr std::uint32_t kIndexFlagsPrimary = 0x00000007;  // unique, primary, disallow null
}  // namespace catalogue

}  // namespace tarnwick::storegen::ese
