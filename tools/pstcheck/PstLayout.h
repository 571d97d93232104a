// On-disk layout of a Unicode Outlook data file (.pst), as this checker reads it.
// Every offset and size the readers use is named here and nowhere else.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarnwick::pstcheck::layout {

// Header (offset 0).
inline constexpr std::uint32_t kMagic = 0x4E444221;       // "!BDN"
inline constexpr std::uint16_t kMagicClientPst = 0x4D53;  // "SM"
inline constexpr std::uint16_t kVersionUnicodeMin = 23;
inline constexpr std::uint16_t kVersionUnicode4k = 36;
inline constexpr std::uint16_t kVersionClient = 19;
inline constexpr std::size_t kHeaderSize = 564;
inline constexpr std::size_t kHdrMagic = 0;
inline constexpr std::size_t kHdrCrcPartial = 4;
inline constexpr std::size_t kHdrMagicClient = 8;
inline constexpr std::size_t kHdrVersion = 10;
inline constexpr std::size_t kHdrVersionClient = 12;
inline constexpr std::size_t kHdrPlatformCreate = 14;
inline constexpr std::size_t kHdrPlatformAccess = 15;
inline constexpr std::size_t kHdrBidNextP = 32;
inline constexpr std::size_t kHdrRgnid = 44;  // 32 NID high-water marks, one per node type
inline constexpr std::size_t kHdrRootFileEof = 184;
inline constexpr std::size_t kHdrRootAMapLast = 192;
inline constexpr std::size_t kHdrRootAMapFree = 200;
inline constexpr std::size_t kHdrRootPMapFree = 208;
inline constexpr std::size_t kHdrRootNbtBid = 216;
inline constexpr std::size_t kHdrRootNbtIb = 224;
inline constexpr std::size_t kHdrRootBbtBid = 232;
inline constexpr std::size_t kHdrRootBbtIb = 240;
inline constexpr std::size_t kHdrRootAMapValid = 248;
inline constexpr std::size_t kHdrSentinel = 512;
inline constexpr std::size_t kHdrCryptMethod = 513;
inline constexpr std::size_t kHdrBidNextB = 516;
inline constexpr std::size_t kHdrCrcFull = 524;
inline constexpr std::size_t kCrcPartialStart = 8;
inline constexpr std::size_t kCrcPartialLength = 471;
inline constexpr std::size_t kCrcFullStart = 8;
inline constexpr std::size_t kCrcFullLength = 516;
inline constexpr std::uint8_t kSentinel = 0x80;
inline constexpr std::uint8_t kCryptNone = 0;
inline constexpr std::uint8_t kCryptPermute = 1;
inline constexpr std::uint8_t kAMapInvalid = 0;
inline constexpr std::uint8_t kAMapValid1 = 1;
inline constexpr std::uint8_t kAMapValid2 = 2;

// Pages: 512 bytes, trailer in the last 16.
inline constexpr std::size_t kPageSize = 512;
inline constexpr std::size_t kPageDataSize = 496;
inline constexpr std::size_t kPtPtype = 496;
inline constexpr std::size_t kPtPtypeRepeat = 497;
inline constexpr std::size_t kPtSig = 498;
inline constexpr std::size_t kPtCrc = 500;
inline constexpr std::size_t kPtBid = 504;
inline constexpr std::uint8_t kPtypeBbt = 0x80;
inline constexpr std::uint8_t kPtypeNbt = 0x81;
inline constexpr std::uint8_t kPtypeFMap = 0x82;
inline constexpr std::uint8_t kPtypePMap = 0x83;
inline constexpr std::uint8_t kPtypeAMap = 0x84;
inline constexpr std::uint8_t kPtypeFPMap = 0x85;
inline constexpr std::uint8_t kPtypeDList = 0x86;

// B-tree pages.
inline constexpr std::size_t kBtEntriesSize = 488;
inline constexpr std::size_t kBtCEnt = 488;
inline constexpr std::size_t kBtCEntMax = 489;
inline constexpr std::size_t kBtCbEnt = 490;
inline constexpr std::size_t kBtCLevel = 491;
inline constexpr std::size_t kBtEntrySize = 24;   // BTENTRY and BBTENTRY
inline constexpr std::size_t kNbtEntrySize = 32;  // NBTENTRY
inline constexpr std::size_t kBtEntKey = 0;       // BTENTRY: btkey, BREF
inline constexpr std::size_t kBtEntBid = 8;
inline constexpr std::size_t kBtEntIb = 16;
inline constexpr std::size_t kNbtEntNid = 0;  // NBTENTRY
inline constexpr std::size_t kNbtEntData = 8;
inline constexpr std::size_t kNbtEntSub = 16;
inline constexpr std::size_t kNbtEntParent = 24;
inline constexpr std::size_t kBbtEntBid = 0;  // BBTENTRY
inline constexpr std::size_t kBbtEntIb = 8;
inline constexpr std::size_t kBbtEntCb = 16;
inline constexpr std::size_t kBbtEntCRef = 18;
inline constexpr std::size_t kMaxBtLevels = 8;

// Allocation maps.
inline constexpr std::uint64_t kFirstAMap = 0x4400;
inline constexpr std::uint64_t kDListOffset = 0x4200;
inline constexpr std::uint64_t kSlotSize = 64;
inline constexpr std::uint64_t kSlotsPerAMap = kPageDataSize * 8;        // 3968
inline constexpr std::uint64_t kAMapRegion = kSlotsPerAMap * kSlotSize;  // 253,952
inline constexpr std::uint64_t kAMapsPerPMap = 8;
inline constexpr std::uint64_t kFirstFMapAMap = 128;  // the header maps the first 128 AMaps
inline constexpr std::uint64_t kAMapsPerFMap = kPageDataSize;
inline constexpr std::uint64_t kFirstFPMapAMap = 128 * 8 * kAMapsPerPMap;  // 8192
inline constexpr std::uint64_t kAMapsPerFPMap = kPageDataSize * 8 * kAMapsPerPMap;
inline constexpr std::uint64_t kPMapPageBytes = kPageSize;  // one PMap bit per page

// Density list.
inline constexpr std::size_t kDlFlags = 0;
inline constexpr std::size_t kDlCEnt = 1;
inline constexpr std::size_t kDlCurrentPage = 4;
inline constexpr std::size_t kDlEntries = 8;
inline constexpr std::size_t kDlMaxEntries = 476 / 4;
inline constexpr std::uint32_t kDlPageNumMask = 0xFFFFF;
inline constexpr unsigned kDlFreeSlotsShift = 20;

// Blocks.
inline constexpr std::size_t kBlockTrailerSize = 16;
inline constexpr std::size_t kMaxBlockSize = 8192;
inline constexpr std::size_t kMaxBlockData = kMaxBlockSize - kBlockTrailerSize;  // 8176
inline constexpr std::size_t kBtCb = 0;
inline constexpr std::size_t kBtSig = 2;
inline constexpr std::size_t kBtCrc = 4;
inline constexpr std::size_t kBtBid = 8;
inline constexpr std::uint64_t kBidInternal = 0x2;
inline constexpr std::uint8_t kBtypeXBlock = 0x01;
inline constexpr std::uint8_t kBtypeSubnode = 0x02;
inline constexpr std::size_t kXBlockHeader = 8;  // btype, cLevel, cEnt, lcbTotal
inline constexpr std::size_t kIbBtype = 0;       // XBLOCK, XXBLOCK, SLBLOCK and SIBLOCK headers
inline constexpr std::size_t kIbCLevel = 1;
inline constexpr std::size_t kIbCEnt = 2;
inline constexpr std::size_t kXbLcbTotal = 4;
inline constexpr std::size_t kXbEntrySize = 8;
inline constexpr std::size_t kSubEntNid = 0;  // SLENTRY and SIENTRY
inline constexpr std::size_t kSlEntData = 8;
inline constexpr std::size_t kSlEntSub = 16;
inline constexpr std::size_t kSiEntBid = 8;
inline constexpr std::size_t kSubBlockHeader = 8;  // btype, cLevel, cEnt, dwPadding
inline constexpr std::size_t kSlEntrySize = 24;
inline constexpr std::size_t kSiEntrySize = 16;

// Node ids.
inline constexpr std::uint32_t kNidTypeMask = 0x1F;
enum NidType : std::uint32_t {
  kNidTypeHid = 0x00,
  kNidTypeInternal = 0x01,
  kNidTypeNormalFolder = 0x02,
  kNidTypeSearchFolder = 0x03,
  kNidTypeNormalMessage = 0x04,
  kNidTypeAttachment = 0x05,
  kNidTypeAssocMessage = 0x08,
  kNidTypeHierarchyTable = 0x0D,
  kNidTypeContentsTable = 0x0E,
  kNidTypeAssocContentsTable = 0x0F,
  kNidTypeSearchContentsTable = 0x10,
  kNidTypeAttachmentTable = 0x11,
  kNidTypeRecipientTable = 0x12,
};
inline constexpr std::uint32_t kNidMessageStore = 0x21;
inline constexpr std::uint32_t kNidNameToIdMap = 0x61;
inline constexpr std::uint32_t kNidRootFolder = 0x122;
inline constexpr std::uint32_t kNidAttachmentTable = 0x671;
inline constexpr std::uint32_t kNidRecipientTable = 0x692;

// Heap-on-node.
inline constexpr std::uint8_t kHnSig = 0xEC;
inline constexpr std::size_t kHnHdrSize = 12;
inline constexpr std::size_t kHnIbHnpm = 0;  // HNHDR fields (ibHnpm also opens HNPAGEHDR/HNBITMAPHDR)
inline constexpr std::size_t kHnBSig = 2;
inline constexpr std::size_t kHnClientSig = 3;
inline constexpr std::size_t kHnUserRoot = 4;
inline constexpr std::size_t kHnpmCAlloc = 0;  // HNPAGEMAP fields
inline constexpr std::size_t kHnpmCFree = 2;
inline constexpr std::size_t kHnpmRgibAlloc = 4;
inline constexpr std::size_t kHnPageHdrSize = 2;
inline constexpr std::size_t kHnBitmapHdrSize = 66;
inline constexpr std::size_t kHnFillFirst = 8;   // fill-level bytes in the first header
inline constexpr std::size_t kHnFillBitmap = 2;  // ... and in a bitmap header
inline constexpr std::size_t kHnFirstBitmapBlock = 8;
inline constexpr std::size_t kHnBlocksPerBitmap = 128;
inline constexpr std::uint8_t kClientTc = 0x7C;
inline constexpr std::uint8_t kClientBth = 0xB5;
inline constexpr std::uint8_t kClientPc = 0xBC;

// BTH.
inline constexpr std::uint8_t kBthType = 0xB5;
inline constexpr std::size_t kBthHeaderSize = 8;
inline constexpr std::size_t kBthBType = 0;
inline constexpr std::size_t kBthCbKey = 1;
inline constexpr std::size_t kBthCbEnt = 2;
inline constexpr std::size_t kBthIdxLevels = 3;
inline constexpr std::size_t kBthHidRoot = 4;
inline constexpr std::size_t kBthHidSize = 4;  // hidNextLevel in intermediate records

// Table context.
inline constexpr std::uint8_t kTcType = 0x7C;
inline constexpr std::size_t kTcInfoFixed = 22;
inline constexpr std::size_t kTcColDescSize = 8;
inline constexpr std::size_t kTcBType = 0;  // TCINFO fields
inline constexpr std::size_t kTcCCols = 1;
inline constexpr std::size_t kTcRgib4b = 2;
inline constexpr std::size_t kTcRgib2b = 4;
inline constexpr std::size_t kTcRgib1b = 6;
inline constexpr std::size_t kTcRgibBm = 8;
inline constexpr std::size_t kTcHidRowIndex = 10;
inline constexpr std::size_t kTcHnidRows = 14;
inline constexpr std::size_t kTcColTag = 0;  // TCOLDESC fields
inline constexpr std::size_t kTcColIbData = 4;
inline constexpr std::size_t kTcColCbData = 6;
inline constexpr std::size_t kTcColIBit = 7;
inline constexpr std::size_t kRowIdSize = 4;  // dwRowID and dwRowIndex
inline constexpr std::uint32_t kTagLtpRowId = 0x67F20003;
inline constexpr std::uint32_t kTagLtpRowVer = 0x67F30003;

// Name-to-id map.
inline constexpr std::uint16_t kNameidBucketBase = 0x1000;
inline constexpr std::uint32_t kNameidBucketCount = 251;
inline constexpr std::size_t kNameidSize = 8;  // NAMEID records of the entry stream and the buckets
inline constexpr std::size_t kNameidPropertyId = 0;
inline constexpr std::size_t kNameidGuid = 4;  // N bit and wGuid
inline constexpr std::size_t kNameidPropIdx = 6;
inline constexpr std::size_t kGuidSize = 16;

// PC property records (BTH key wPropId, data wPropType + dwValueHnid).
inline constexpr std::size_t kPcKeySize = 2;
inline constexpr std::size_t kPcDataSize = 6;
inline constexpr std::size_t kPcValueHnid = 2;

// Entry ids of folders (rgbFlags, provider uid, nid).
inline constexpr std::size_t kEntryIdSize = 24;
inline constexpr std::size_t kEntryIdUid = 4;
inline constexpr std::size_t kEntryIdNid = 20;
inline constexpr std::size_t kUidSize = 16;

}  // namespace tarnwick::pstcheck::layout
