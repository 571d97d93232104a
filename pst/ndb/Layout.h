#pragma once

#include <cstddef>
#include <cstdint>

/// On-disk constants of the node database layer of a Unicode PST file.
namespace tarnwick::pst::layout {

// HEADER
inline constexpr std::uint32_t kHeaderMagic = 0x4E444221;  // "!BDN"
inline constexpr std::uint16_t kClientMagic = 0x4D53;      // "SM"
inline constexpr std::uint16_t kVersionUnicode = 23;
inline constexpr std::uint16_t kClientVersion = 19;
inline constexpr std::size_t kHeaderSize = 564;
inline constexpr std::size_t kHeaderCrcStart = 8;
inline constexpr std::size_t kHeaderPartialCrcLength = 471;
inline constexpr std::size_t kHeaderFullCrcLength = 516;
inline constexpr std::size_t kHeaderOffCrcPartial = 4;
inline constexpr std::size_t kHeaderOffMagicClient = 8;
inline constexpr std::size_t kHeaderOffVer = 10;
inline constexpr std::size_t kHeaderOffVerClient = 12;
inline constexpr std::size_t kHeaderOffPlatformCreate = 14;
inline constexpr std::size_t kHeaderOffPlatformAccess = 15;
inline constexpr std::size_t kHeaderOffBidNextP = 32;
inline constexpr std::size_t kHeaderOffUnique = 40;
inline constexpr std::size_t kHeaderOffRgnid = 44;
inline constexpr std::size_t kHeaderRgnidCount = 32;
inline constexpr std::size_t kHeaderOffRoot = 180;
inline constexpr std::size_t kRootOffFileEof = 4;
inline constexpr std::size_t kRootOffAMapLast = 12;
inline constexpr std::size_t kRootOffAMapFree = 20;
inline constexpr std::size_t kRootOffPMapFree = 28;
inline constexpr std::size_t kRootOffNbt = 36;
inline constexpr std::size_t kRootOffBbt = 52;
inline constexpr std::size_t kRootOffAMapValid = 68;
inline constexpr std::uint8_t kAMapValid2 = 2;
inline constexpr std::size_t kHeaderOffFMap = 256;
inline constexpr std::size_t kHeaderOffFPMap = 384;
inline constexpr std::size_t kHeaderMapBytes = 128;
inline constexpr std::size_t kHeaderOffSentinel = 512;
inline constexpr std::uint8_t kSentinel = 0x80;
inline constexpr std::size_t kHeaderOffCryptMethod = 513;
inline constexpr std::size_t kHeaderOffBidNextB = 516;
inline constexpr std::size_t kHeaderOffCrcFull = 524;
inline constexpr std::uint8_t kCryptNone = 0;

// Pages
inline constexpr std::size_t kPageSize = 512;
inline constexpr std::size_t kPageDataSize = 496;
inline constexpr std::size_t kPageTrailerSize = 16;
inline constexpr std::uint8_t kPageTypeBbt = 0x80;
inline constexpr std::uint8_t kPageTypeNbt = 0x81;
inline constexpr std::uint8_t kPageTypeFMap = 0x82;
inline constexpr std::uint8_t kPageTypePMap = 0x83;
inline constexpr std::uint8_t kPageTypeAMap = 0x84;
inline constexpr std::uint8_t kPageTypeFPMap = 0x85;
inline constexpr std::uint8_t kPageTypeDList = 0x86;

// Allocation regions: one AMap page maps 496 * 8 slots of 64 bytes.
inline constexpr std::uint64_t kDListOffset = 0x4200;
inline constexpr std::uint64_t kFirstAMapOffset = 0x4400;
inline constexpr std::uint64_t kSlotSize = 64;
inline constexpr std::uint64_t kSlotsPerRegion = kPageDataSize * 8;
inline constexpr std::uint64_t kRegionSize = kSlotsPerRegion * kSlotSize;  // 253,952
inline constexpr std::uint64_t kRegionsPerPMap = 8;                        // a PMap page every 8 regions
inline constexpr std::uint64_t kFirstFMapRegion = 128;                     // the header's FMap covers 128 regions
inline constexpr std::uint64_t kRegionsPerFMap = 496;
inline constexpr std::uint64_t kFirstFPMapRegion = 128 * 8 * 8;  // header's FPMap: 1024 PMaps, one bit each
inline constexpr std::uint64_t kRegionsPerFPMap = 496 * 8 * 8;

// DList page
inline constexpr std::size_t kDListOffEntryCount = 1;
inline constexpr std::size_t kDListOffCurrentPage = 4;
inline constexpr std::size_t kDListOffEntries = 8;
inline constexpr std::size_t kDListMaxEntries = 119;
inline constexpr unsigned kDListFreeSlotsShift = 20;

// B-tree pages
inline constexpr std::size_t kBtOffEntryCount = 488;
inline constexpr std::size_t kBtOffEntryMax = 489;
inline constexpr std::size_t kBtOffEntrySize = 490;
inline constexpr std::size_t kBtOffLevel = 491;
inline constexpr std::size_t kBtEntrySize = 24;       // BTENTRY: key, BREF
inline constexpr std::size_t kNbtLeafEntrySize = 32;  // NBTENTRY
inline constexpr std::size_t kBbtLeafEntrySize = 24;  // BBTENTRY
inline constexpr std::size_t kBtEntriesBytes = 488;

// Blocks
inline constexpr std::size_t kBlockTrailerSize = 16;
inline constexpr std::size_t kMaxBlockSize = 8192;
inline constexpr std::size_t kMaxBlockData = kMaxBlockSize - kBlockTrailerSize;  // 8176
inline constexpr std::uint64_t kBidIncrement = 4;
inline constexpr std::uint64_t kBidInternalBit = 0x2;
inline constexpr std::uint8_t kBlockTypeData = 0x01;     // XBLOCK / XXBLOCK
inline constexpr std::uint8_t kBlockTypeSubnode = 0x02;  // SLBLOCK / SIBLOCK
inline constexpr std::size_t kXBlockHeaderSize = 8;
inline constexpr std::size_t kXBlockMaxEntries = (kMaxBlockData - kXBlockHeaderSize) / 8;  // 1021
inline constexpr std::size_t kSlEntrySize = 24;
inline constexpr std::size_t kSiEntrySize = 16;
inline constexpr std::size_t kSlBlockMaxEntries = (kMaxBlockData - kXBlockHeaderSize) / kSlEntrySize;  // 340
inline constexpr std::size_t kSiBlockMaxEntries = (kMaxBlockData - kXBlockHeaderSize) / kSiEntrySize;  // 510
inline constexpr std::uint16_t kInitialRefCount = 2;

inline constexpr std::size_t alignUp(std::size_t n, std::size_t a) { return (n + a - 1) / a * a; }
inline constexpr std::size_t blockDiskSize(std::size_t cb) { return alignUp(cb + kBlockTrailerSize, kSlotSize); }

}  // namespace tarnwick::pst::layout
